#include "guiapplication.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>

namespace vk7::testing {

namespace {

QGuiApplication *g_application = nullptr;

class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { EnsureGuiApplication(); }
    void TearDown() override
    {
        delete g_application;
        g_application = nullptr;
    }
};

} // namespace

void EnsureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vk7_test";
    static char *argv[] = {name, nullptr};
    g_application = new QGuiApplication(argc, argv);
}

::testing::Environment *AddGuiApplicationEnvironment()
{
    return ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
}

bool WaitUntil(const std::function<bool()> &condition, int seconds)
{
    const QDeadlineTimer deadline(seconds * 1000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QThread::msleep(2);
    }
    return true;
}

} // namespace vk7::testing
