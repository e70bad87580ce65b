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
    ASSERT_FALSE(first.Acquire().Failed());
    EXPECT_FALSE(first.Acquire().Failed()); // held already

    WorkFolderLock second;
    EXPECT_EQ(second.Acquire().text, u"ERROR. otra recepción está usando la carpeta de trabajo "_s +
                                         one.path() + u"/TMP_VK7"_s);
    EXPECT_FALSE(QDir(one.path() + u"/TMP_VK7"_s).exists());

    PathResolver::SetDriveRoot(u'C', other.path());
    WorkFolderLock elsewhere;
    EXPECT_FALSE(elsewhere.Acquire().Failed());

    PathResolver::SetDriveRoot(u'C', one.path());
    first.Release();
    EXPECT_FALSE(second.Acquire().Failed());
    PathResolver::ClearDriveRoots();
}
