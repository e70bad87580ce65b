#include "verificationgui.h"

#include "reception/paths.h"
#include "testing/guiapplication.h"

namespace vk7::testing {

namespace {
// Ends the application after the last test, so that font caches are freed.
const auto *const kGui = AddGuiApplicationEnvironment();
} // namespace

void DriveCTest::SetUp()
{
    EnsureGuiApplication();
    ASSERT_TRUE(driveC_.isValid());
    PathResolver::ClearDriveRoots();
    PathResolver::SetDriveRoot(u'C', driveC_.path());
}

void DriveCTest::TearDown()
{
    PathResolver::ClearDriveRoots();
}

QString DriveCTest::OnC(const QString &relative) const
{
    return driveC_.filePath(relative);
}

} // namespace vk7::testing
