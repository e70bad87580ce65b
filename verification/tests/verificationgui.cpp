#include "verificationgui.h"

#include <QGuiApplication>

#include "reception/paths.h"

namespace vk7::testing {

namespace {

QGuiApplication *g_application = nullptr;

// Ends the application after the last test, so that font caches are freed.
class GuiEnvironment : public ::testing::Environment
{
public:
    void TearDown() override
    {
        delete g_application;
        g_application = nullptr;
    }
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

void EnsureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vk7_verification_test";
    static char *argv[] = {name, nullptr};
    g_application = new QGuiApplication(argc, argv);
}

void DriveCTest::SetUp()
{
    EnsureGuiApplication();
    ASSERT_TRUE(driveC.isValid());
    PathResolver::ClearDriveRoots();
    PathResolver::SetDriveRoot(u'C', driveC.path());
}

void DriveCTest::TearDown()
{
    PathResolver::ClearDriveRoots();
}

QString DriveCTest::OnC(const QString &relative) const
{
    return driveC.filePath(relative);
}

} // namespace vk7::testing
