#include <cstdio>

#include <QGuiApplication>

#include "app/translations.h"
#include "checker/depositchecker.h"
#include "checker/terminaluserinterface.h"

namespace {

// Standard error carries the checker's own warnings; the platform's remark
// about a missing runtime folder (usual without a desktop session) is not one.
void FilterMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Q_UNUSED(context);
    if (type != QtFatalMsg && message.startsWith(QStringLiteral("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
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
    // Qt's own texts of the help ("Opciones:", "Argumentos:") in Spanish too.
    vk7::InstallSpanishTranslations(app);
    vk7::TerminalUserInterface ui;
    // FORM\ and DATA\ sit beside the executable.
    const QString appFolder = QGuiApplication::applicationDirPath() + QLatin1Char('\\');
    return vk7::RunCheckerProgram(QGuiApplication::arguments(), ui, appFolder);
}
