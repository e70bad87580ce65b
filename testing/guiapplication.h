#pragma once

#include <gtest/gtest.h>

namespace vk7::testing {

// Makes sure a QGuiApplication exists (fonts and painting need one), on the
// offscreen platform unless another is asked for.
void EnsureGuiApplication();

// Registers a test environment that has a QGuiApplication for the whole run
// and ends it after the last test, so that font caches are freed. Use it at
// namespace scope: const auto *const gui = AddGuiApplicationEnvironment();
::testing::Environment *AddGuiApplicationEnvironment();

} // namespace vk7::testing
