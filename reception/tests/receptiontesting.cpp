#include "receptiontesting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "reception/paths.h"

namespace vk7::testing {

void DriveTest::SetUp()
{
    ASSERT_TRUE(driveC.isValid());
    ASSERT_TRUE(driveA.isValid());
    PathResolver::SetDriveRoot(u'C', driveC.path());
    PathResolver::SetDriveRoot(u'A', driveA.path());
}

void DriveTest::TearDown()
{
    PathResolver::ClearDriveRoots();
}

QString DriveTest::OnC(const QString &relative) const
{
    return driveC.path() + u'/' + relative;
}

QString DriveTest::OnA(const QString &relative) const
{
    return driveA.path() + u'/' + relative;
}

} // namespace vk7::testing
