#pragma once

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vk7::testing {

// Makes sure a QGuiApplication exists (fonts and painting need one), on the
// offscreen platform unless another is asked for.
void EnsureGuiApplication();

// A fresh drive C: in a temporary folder for each test.
class DriveCTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    QString OnC(const QString &relative) const;

    QTemporaryDir driveC;
};

} // namespace vk7::testing
