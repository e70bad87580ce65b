// Opens the state window or the error list on a deposit folder, as the
// desktop program would after an Open, so that a clerk's eye (or a script
// taking screenshots) can look at them. Nothing is printed and nothing is
// written outside the temporary drive C: it makes for itself.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include "components/tessocx.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "reception/cfiletools.h"
#include "reception/paths.h"
#include "verification/clock.h"
#include "verification/depositdiagnosis.h"
#include "verification/formidentification.h"
#include "verification/ui/errorlistwindow.h"
#include "verification/ui/statewindow.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

// Saves what the screen shows of the window, frame included, then closes it.
void ScreenshotAndClose(QDialog *dialog, const QString &file)
{
    QTimer::singleShot(1500, dialog, [dialog, file] {
        const QRect frame = dialog->frameGeometry();
        const QPixmap shot =
            dialog->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        if (!shot.save(file))
            std::fprintf(stderr, "No se pudo guardar %s\n", qPrintable(file));
        dialog->reject();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Muestra la ventana de estado o la lista de errores "
                                     u"de un depósito."_s);
    parser.addHelpOption();
    parser.addOption({u"window"_s, u"estado o errores"_s, u"VENTANA"_s, u"estado"_s});
    parser.addOption(
        {u"screenshot"_s, u"Guarda la ventana en FICHERO.png y la cierra."_s, u"FICHERO"_s});
    parser.addPositionalArgument(u"DEPOSITO"_s, u"Carpeta del depósito."_s);
    parser.addPositionalArgument(u"HUELLA"_s, u"Huella digital tecleada."_s);
    parser.process(app);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        parser.showHelp(2);

    QTemporaryDir driveC;
    if (!driveC.isValid() || !QDir().mkpath(driveC.filePath(u"TMP_VK7"_s)))
        return 2;
    PathResolver::SetDriveRoot(u'C', driveC.path());
    const QDir deposit(positional.at(0));
    for (const QString &name : deposit.entryList(QDir::Files))
        QFile::copy(deposit.filePath(name), driveC.filePath(u"TMP_VK7/"_s + name));

    CTessOCX viewer;
    DepositState state;
    FrameState frame;
    frame.viewer = &viewer;
    frame.appFolder = QApplication::applicationDirPath() + u'\\';
    state.fingerprint = positional.at(1);
    CFileTools tools;
    tools.CheckDepositFiles(WorkFolder(), state.structureStatus, state.completenessStatus);
    CFileCopyDialog loader(state);
    if (state.structureStatus != u"0"_s && state.completenessStatus != u"0"_s)
        IdentifyForm(state, frame, loader);
    const DepositStateReport report = DiagnoseDeposit(state, frame, tools, SystemClock(), nullptr);

    std::unique_ptr<QDialog> dialog;
    if (parser.value(u"window"_s) == u"errores"_s)
        dialog = std::make_unique<CListaErroresDlg>(ClassErrorRecords(report.errorRecords, true));
    else
        dialog = std::make_unique<CEstadoDlg>(report);
    if (parser.isSet(u"screenshot"_s))
        ScreenshotAndClose(dialog.get(), parser.value(u"screenshot"_s));
    return dialog->exec() == QDialog::Accepted ? 0 : 1;
}
