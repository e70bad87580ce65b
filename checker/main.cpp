#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <QGuiApplication>

#include "app/translations.h"
#include "checker/depositchecker.h"
#include "checker/terminaluserinterface.h"
#include "reception/driveroots.h"

namespace {

// Standard error carries the checker's own warnings; the platform's remark
// about a missing runtime folder (usual without a desktop session) is not one.
void FilterMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Q_UNUSED(context);
    if (type != QtFatalMsg && message.startsWith(QStringLiteral("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    // The platform could not start (its plugin would not load, a failing
    // disk): the check did not run, which is exit code 2, not a crash.
    if (type == QtFatalMsg) {
        std::fflush(stderr);
        std::_Exit(2);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // The checker draws page images but never shows a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(FilterMessages);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vk7check"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VK7_VERSION));
    // Qt's own texts of the help ("Opciones:", "Argumentos:") in Spanish too.
    vk7::InstallSpanishTranslations(app);
    vk7::TerminalUserInterface ui;
    // Without a terminal nobody answers the diskette prompt: it is taken as OK.
    ui.SetUnattended(::isatty(STDIN_FILENO) != 1);
    // FORM\ and DATA\ beside the executable, or under the installed share/vk7.
    const QString appFolder =
        vk7::ProgramDataFolder(QGuiApplication::applicationDirPath()) + QLatin1Char('\\');
    return vk7::RunCheckerProgram(QGuiApplication::arguments(), ui, appFolder);
}
