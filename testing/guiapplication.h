#pragma once

#include <functional>

#include <gtest/gtest.h>

namespace vk7::testing {

// Makes sure a QGuiApplication exists (fonts and painting need one), on the
// offscreen platform unless another is asked for.
void EnsureGuiApplication();

// Registers a test environment that has a QGuiApplication for the whole run
// and ends it after the last test, so that font caches are freed. Use it at
// namespace scope: const auto *const gui = AddGuiApplicationEnvironment();
::testing::Environment *AddGuiApplicationEnvironment();

// Handles the application's events until `condition` holds or `seconds`
// have passed; whether it holds. For a command that goes on after it
// returns (a job off the window's thread and what follows it).
bool WaitUntil(const std::function<bool()> &condition, int seconds = 60);

} // namespace vk7::testing
