#include <cstdio>
#include <memory>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include "app/depositcheck.h"
#include "app/framecontroller.h"
#include "app/translations.h"
#include "app/ui/mainframe.h"
#include "app/ui/singleinstance.h"
#include "reception/backgroundwork.h"
#include "reception/driveroots.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "reception/ui/textfieldaccessible.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;

namespace {

struct DesktopOptions
{
    QString root;
    QString driveA;
    QString medium;
    QString fingerprint;
};

// vk7 [--root DIR] [--drive-a DIR] [MEDIO HUELLA]; false with the exit code
// when the program is to end at once (help, wrong arguments).
bool ParseArguments(const QStringList &arguments, DesktopOptions &options, int &exitCode)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Recepción de Depósitos Digitales. Con MEDIO y HUELLA abre ese depósito al empezar, "
        u"como si se hubieran escrito en el diálogo \"Abrir un Depósito Digital\"."_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, u"Muestra esta ayuda."_s);
    parser.addOption(help);
    const QCommandLineOption root(u"root"_s, vk7::DriveCRootHelp(), u"DIR"_s);
    const QCommandLineOption driveA(
        u"drive-a"_s,
        u"Carpeta que hace de unidad A: (por omisión, el medio "
        u"extraíble montado en ese momento en /media/USUARIO o /run/media/USUARIO)."_s,
        u"DIR"_s);
    parser.addOptions({root, driveA});
    parser.addPositionalArgument(u"MEDIO"_s,
                                 u"Ruta del FICHERO.TXT o de la carpeta que lo contiene."_s);
    parser.addPositionalArgument(u"HUELLA"_s, u"Huella Digital del Depósito (26 caracteres)."_s);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        exitCode = 2;
        return false;
    }
    if (parser.isSet(help)) {
        const QString text = u"Uso: vk7 [--root DIR] [--drive-a DIR] [MEDIO HUELLA]\n\n"_s +
                             parser.helpText().section(u'\n', 1);
        std::fprintf(stdout, "%s", text.toUtf8().constData());
        exitCode = 0;
        return false;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 0 && positional.size() != 2) {
        std::fprintf(
            stderr, "%s\n",
            u"Se esperan MEDIO y HUELLA juntos, o ninguno (véase --help)."_s.toUtf8().constData());
        exitCode = 2;
        return false;
    }
    options.root = parser.value(root);
    options.driveA = parser.value(driveA);
    if (positional.size() == 2) {
        options.medium = positional.at(0);
        options.fingerprint = positional.at(1);
    }
    return true;
}

bool SetUpDrives(const DesktopOptions &options)
{
    // A drive C: that cannot be used is told on standard error and in a
    // message box, since the program is usually started from a menu.
    const vk7::Failure failure = vk7::SetUpDriveC(options.root);
    if (failure.Failed()) {
        const QString &error = failure.text;
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        QMessageBox::critical(nullptr, u"ERROR"_s, error);
        return false;
    }
    // Drive A: is the medium that is in whenever it is used, since the clerk
    // swaps media while the program runs; --drive-a fixes it (scripts, tests).
    if (options.driveA.isEmpty())
        vk7::PathResolver::SetDriveRootSource(u'A', [] { return vk7::RemovableMediumFolder(); });
    else
        vk7::PathResolver::SetDriveRoot(u'A', QFileInfo(options.driveA).absoluteFilePath());
    return true;
}

// A host path given on the command line stays valid whatever the program's
// current folder; the system's own paths (A:\...) are kept as written.
QString AbsoluteMedium(const QString &medium)
{
    if (medium.size() >= 2 && medium.at(1) == u':')
        return medium;
    return QFileInfo(medium).absoluteFilePath();
}

// For the start-up benchmark: with VK7_EXIT_AFTER_FIRST_PAINT set, the
// first painted form page is reported on standard error and the program
// ends at once.
class FirstPaintProbe : public QObject
{
public:
    FirstPaintProbe(vk7::CMainFrame &frame, QWidget *viewport) : frame_(frame)
    {
        viewport->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Not while the Open's work still runs: the form is identified
        // before the fingerprint and the checks, and the view paints meanwhile.
        if (event->type() == QEvent::Paint && !reported_ &&
            frame_.Controller().State().formIdentified && !vk7::WorkRunning()) {
            reported_ = true;
            QTimer::singleShot(0, [] {
                std::fprintf(stderr, "vk7: primera página pintada\n");
                std::fflush(stderr);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    vk7::CMainFrame &frame_;
    bool reported_ = false;
};

// The platform's remark about a missing runtime folder (usual without a
// desktop session) is not the program's to show.
void FilterMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg && message.startsWith(u"QStandardPaths:"_s))
        return;
    std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
}

// True when the arguments ask for the help (before any "--"): it is printed
// without the window system, which may not be there.
bool AsksForHelp(int argc, char *argv[])
{
    for (int i = 1; i < argc && qstrcmp(argv[i], "--") != 0; ++i) {
        if (qstrcmp(argv[i], "--help") == 0 || qstrcmp(argv[i], "-h") == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(FilterMessages);
    vk7::UseSpanishSystemLocale();
    if (AsksForHelp(argc, argv)) {
        QCoreApplication core(argc, argv);
        vk7::InstallSpanishTranslations(core);
        DesktopOptions options;
        int exitCode = 0;
        ParseArguments(QCoreApplication::arguments(), options, exitCode);
        return exitCode;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"VK7"_s);
    QApplication::setApplicationVersion(QStringLiteral(VK7_VERSION));
    QApplication::setDesktopFileName(u"vk7"_s);
    QApplication::setWindowIcon(QIcon(u":/icons/vk7.svg"_s));
    vk7::InstallSpanishTranslations(application);
    vk7::InstallTextFieldReading();

    DesktopOptions options;
    int exitCode = 0;
    if (!ParseArguments(QApplication::arguments(), options, exitCode))
        return exitCode;

    vk7::SingleInstance instance;
    if (!instance.Start())
        return 0;
    if (!SetUpDrives(options))
        return 2;

    // FORM\ and DATA\ beside the executable, or under the installed share/vk7.
    const QString appFolder =
        vk7::ProgramDataFolder(QApplication::applicationDirPath()) + QLatin1Char('\\');
    vk7::CMainFrame frame(appFolder, vk7::DefaultClock());
    instance.SetWindow(&frame);
    // Its size when no window manager maximises it.
    frame.resize(1100, 800);
    frame.showMaximized();

    // The program's temporary folder.
    vk7::CFileTools tools(nullptr);
    tools.CreateFolderChain(vk7::TemporaryFolder());

    std::unique_ptr<FirstPaintProbe> probe;
    if (qEnvironmentVariableIsSet("VK7_EXIT_AFTER_FIRST_PAINT")) {
        if (auto *view = qobject_cast<QAbstractScrollArea *>(frame.centralWidget()))
            probe = std::make_unique<FirstPaintProbe>(frame, view->viewport());
    }

    if (!options.medium.isEmpty()) {
        const vk7::OpenRequest request{vk7::ManifestLocation(AbsoluteMedium(options.medium)),
                                       u"1"_s, options.fingerprint};
        QTimer::singleShot(0, &frame, [&frame, request] {
            frame.Controller().Open(request);
            frame.UpdateActions();
        });
    }
    return application.exec();
}
