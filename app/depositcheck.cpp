#include "depositcheck.h"

#include "checkreport.h"
#include "components/tessocx.h"
#include "datafiles/depositstate.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "receptionchain.h"
#include "verification/textpages.h"

using namespace Qt::StringLiterals;

namespace vk7 {

// The Open dialog wants the manifest's path; a folder stands for the
// FICHERO.TXT it holds.
QString ManifestLocation(const QString &medium)
{
    PathResolver::EntryKind kind;
    if (!PathResolver::Lookup(medium, &kind) || kind != PathResolver::EntryKind::Folder)
        return medium;
    if (medium.endsWith(u'\\') || medium.endsWith(u'/'))
        return medium + OpenDepositLogic::ManifestName();
    const bool drivePath = medium.size() >= 2 && medium.at(1) == u':';
    return medium + (drivePath ? u'\\' : u'/') + OpenDepositLogic::ManifestName();
}

DepositCheckOutput RunDepositCheck(const DepositCheckOptions &options, IUserInterface &ui,
                                   const Clock &clock)
{
    DepositCheckOutput output;
    CTessOCX viewer;
    DepositState state;
    FrameState frame{.viewer = &viewer, .appFolder = options.appFolder};

    ReceptionChain chain(state, frame, &ui, clock);
    chain.SetShowFileWarnings(false);
    bool accepted = false;
    QString status;
    const ReceptionResult result =
        chain.Open({ManifestLocation(options.medium), options.diskettes, options.fingerprint},
                   &accepted, &status);
    if (!accepted) {
        output.standardError = status.toUtf8() + '\n';
        output.exitCode = 2;
        return output;
    }

    // The sheet's pages, as the output pipeline renders them before printing.
    const QString pageFolder = WorkFolder();
    if (!RenderTextPages(state, 10, pageFolder, &state.diagnosticText))
        output.standardError += "ERROR Creando DIAGNOSTICO\n";
    if (options.formPages && state.formIdentified && !viewer.ExportPages(4, pageFolder))
        output.standardError += QStringLiteral("ERROR Creando TIF's\n").toUtf8();

    if (!state.fileWarnings.isEmpty())
        output.standardError.prepend(state.fileWarnings.toUtf8());
    output.standardOutput =
        options.json ? BuildCheckJson(state, result) : result.report.sheet.toUtf8();
    output.exitCode = result.report.valid ? 0 : 1;
    chain.CloseDeposit();
    return output;
}

} // namespace vk7
