#pragma once

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "testing/guiapplication.h"

namespace vk7::testing {

// A fresh drive C: in a temporary folder for each test.
class DriveCTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    QString OnC(const QString &relative) const;

    QTemporaryDir driveC_;
};

} // namespace vk7::testing
