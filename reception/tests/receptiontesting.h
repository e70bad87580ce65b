#pragma once

#include <functional>
#include <ostream>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/userinterface.h"
#include "testing/hostfiles.h"
#include "testing/scriptedinterface.h"

// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vk7::testing {

// A fresh drive C: (and A:) in temporary folders for each test.
class DriveTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Host path below the root of C: or A:, given with forward slashes.
    QString OnC(const QString &relative) const;
    QString OnA(const QString &relative) const;

    QTemporaryDir driveC;
    QTemporaryDir driveA;
};

} // namespace vk7::testing
