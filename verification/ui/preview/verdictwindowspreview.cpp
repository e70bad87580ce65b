// Opens the state window or the error list on any deposit folder, as the
// desktop program would after an Open, so that a clerk's eye (or a script
// taking screenshots) can look at them. Nothing is printed and nothing is
// written outside the temporary drive C: it makes for itself.
#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "components/formdocument.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "verification/clock.h"
#include "verification/depositdiagnosis.h"
#include "verification/formidentification.h"
#include "verification/ui/estadodlg.h"
#include "verification/ui/listaerroresdlg.h"

using namespace Qt::StringLiterals;
using namespace vk7;

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

    CFormDocument form;
    DepositState state;
    const QString appFolder = QApplication::applicationDirPath() + u'\\';
    state.fingerprint = positional.at(1);
    CFileTools tools;
    const ManifestCheck manifest = tools.CheckDepositFiles(WorkFolder());
    state.structure = manifest.structure;
    state.completeness = manifest.completeness;
    CFileCopyDialog loader(state);
    if (state.structure != ManifestVerdict::MandatoryMissing &&
        state.completeness != ManifestVerdict::MandatoryMissing)
        IdentifyForm(state, &form, appFolder, loader);
    const DepositStateReport report =
        DiagnoseDeposit(state, &form, appFolder, tools, SystemClock(), false);

    std::unique_ptr<QDialog> dialog;
    if (parser.value(u"window"_s) == u"errores"_s)
        dialog = std::make_unique<CListaErroresDlg>(ClassErrorRecords(report.errorRecords, true));
    else
        dialog = std::make_unique<CEstadoDlg>(report);
    return dialog->exec() == QDialog::Accepted ? 0 : 1;
}
