#include "guiapplication.h"

#include <QGuiApplication>

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

} // namespace vk7::testing
