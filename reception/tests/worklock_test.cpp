#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/paths.h"
#include "reception/worklock.h"

using namespace vk7;
using namespace Qt::StringLiterals;

// Two receptions on one drive C: — the second is refused until the first
// lets go; another drive C: never contends. The lock file lives beside the
// work folder, which each reception empties.
TEST(WorkFolderLockTest, OneReceptionAtATimePerWorkFolder)
{
    QTemporaryDir one;
    QTemporaryDir other;
    ASSERT_TRUE(one.isValid() && other.isValid());
    PathResolver::SetDriveRoot(u'C', one.path());
    WorkFolderLock first;
    QString error;
    ASSERT_TRUE(first.Acquire(error)) << error.toStdString();
    EXPECT_TRUE(first.Acquire(error)); // held already

    WorkFolderLock second;
    EXPECT_FALSE(second.Acquire(error));
    EXPECT_EQ(error, u"ERROR. otra recepción está usando la carpeta de trabajo "_s + one.path() +
                         u"/TMP_VK7"_s);
    EXPECT_FALSE(QDir(one.path() + u"/TMP_VK7"_s).exists());

    PathResolver::SetDriveRoot(u'C', other.path());
    WorkFolderLock elsewhere;
    EXPECT_TRUE(elsewhere.Acquire(error));

    PathResolver::SetDriveRoot(u'C', one.path());
    first.Release();
    EXPECT_TRUE(second.Acquire(error));
    PathResolver::ClearDriveRoots();
}
