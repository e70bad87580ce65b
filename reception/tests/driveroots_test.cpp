#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/driveroots.h"

using namespace vk7;
using namespace Qt::StringLiterals;

// FORM/ and DATA/ beside the executable (the build tree), or under the
// prefix's share/vk7 once installed; the build tree's copy wins when both are
// there, so a build run from its own folder never reads an older install.
TEST(ProgramDataFolderTest, BesideTheExecutableOrUnderThePrefix)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.path() + u"/bin"_s;
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(ProgramDataFolder(bin), bin);

    ASSERT_TRUE(QDir().mkpath(prefix.path() + u"/share/vk7/FORM"_s));
    EXPECT_EQ(ProgramDataFolder(bin), prefix.path() + u"/share/vk7"_s);

    ASSERT_TRUE(QDir().mkpath(bin + u"/FORM"_s));
    EXPECT_EQ(ProgramDataFolder(bin), bin);
}
