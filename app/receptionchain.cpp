#include "receptionchain.h"

#include <limits>

#include "components/formdocument.h"
#include "datafiles/depositmodel.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "reception/failure.h"
#include "reception/filetools.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/plaintext.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString FormatEntryNumber(const QString &number)
{
    // atol keeps to a C long; the text of anything larger is the saturated value.
    return QString::asprintf("%08lld", ReadDecimalInteger(number));
}

ReceptionChain::ReceptionChain(DepositState &state, FrameState &frame, IUserInterface *ui,
                               const Clock &clock)
    : state_(state), frame_(frame), ui_(ui), clock_(clock),
      loader_(std::make_unique<CFileCopyDialog>(state, ui))
{
}

ReceptionChain::ReceptionChain(DepositModel &model, FrameState &frame, IUserInterface *ui,
                               const Clock &clock)
    : ReceptionChain(model.Deposit(), frame, ui, clock)
{
    model_ = &model;
}

void ReceptionChain::Notify()
{
    if (model_)
        model_->NotifyChanged();
}

ReceptionChain::~ReceptionChain() = default;

void ReceptionChain::CloseDeposit()
{
    // The texts first: they read their pages back from the work copy, which
    // the next Open empties.
    state_.ClearDocuments();
    state_.otherDocumentNames.clear();
    state_.fields.RemoveAll();
    state_.formError.clear();
    state_.notCopied.clear();
    state_.depositFiles.reset();
    if (frame_.form && state_.formIdentified && frame_.form->CloseForm())
        state_.formIdentified = false;
    state_.open = false;
    Notify();
}

ReceptionResult ReceptionChain::Open(const OpenRequest &request, bool *accepted, QString *status)
{
    CloseDeposit();

    OpenDepositLogic dialog(ui_ ? *ui_ : silent_);
    PrepareOpenDialog(dialog);
    dialog.location = request.location;
    dialog.diskettes = request.diskettes;
    dialog.fingerprint = request.fingerprint;
    if (dialog.Accept() != OpenDepositLogic::Outcome::Accepted) {
        *accepted = false;
        *status = dialog.status();
        ReceptionResult refused;
        refused.ioFailure = dialog.failure();
        return refused;
    }
    *accepted = true;
    status->clear();
    return RunAfterOpen(AcceptedValues(dialog));
}

void ReceptionChain::PrepareOpenDialog(OpenDepositLogic &dialog) const
{
    const qint64 lastNumber = ReadDecimalInteger(state_.entryNumber);
    // The next entry follows the last one; a saturated number stays at its limit.
    if (lastNumber != 0)
        dialog.number = QString::number(
            lastNumber < std::numeric_limits<qint64>::max() ? lastNumber + 1 : lastNumber);
    if (!state_.entryDate.isEmpty())
        dialog.date = state_.entryDate;
    dialog.formSelection = state_.formSelectionMode;
    dialog.Initialize();
}

OpenDialogValues ReceptionChain::AcceptedValues(const OpenDepositLogic &dialog)
{
    return {dialog.fingerprint,   dialog.number,    dialog.date,
            dialog.formSelection, dialog.notCopied, dialog.copiedFiles};
}

ReceptionResult ReceptionChain::RunAfterOpen(const OpenDialogValues &values, std::stop_token stop)
{
    state_.entryNumber = FormatEntryNumber(values.entryNumber);
    state_.entryDate = values.entryDate;
    state_.fingerprint = values.fingerprint;
    state_.formSelectionMode = values.formSelection;
    state_.notCopied = values.notCopied;
    state_.depositFiles = values.depositFiles;
    state_.open = true;

    CFileTools tools(ui_, stop);
    loader_->SetStop(stop);
    ReceptionResult result;
    const ManifestCheck manifest = tools.CheckDepositFiles(WorkFolder());
    state_.structure = manifest.structure;
    state_.completeness = manifest.completeness;
    result.ioFailure = manifest.failure;
    Notify();

    // A step that met a failure of the machine, or the clerk's stop, ends
    // the chain: what it read or wrote is not the deposit, so nothing after
    // it may judge it. A stop asked after a step's last check point still
    // ends it: until the chain returns, nothing has been shown.
    const auto ended = [&result, &stop] {
        if (stop.stop_requested())
            result.ioFailure.KeepFirst(Failure::Stopped());
        return result.ioFailure.EndsWork();
    };
    if (ended())
        return result;
    if (state_.structure != ManifestVerdict::MandatoryMissing &&
        state_.completeness != ManifestVerdict::MandatoryMissing) {
        result.identificationRan = true;
        result.identification = IdentifyForm(state_, frame_.form, frame_.appFolder, *loader_);
        result.ioFailure.KeepFirst(result.identification.failure);
        Notify();
        if (ended())
            return result;
    }
    result.report = DiagnoseDeposit(state_, frame_.form, frame_.appFolder, tools, clock_,
                                    showFileWarnings_, stop);
    result.ioFailure.KeepFirst(result.report.failure);
    ended();
    Notify();
    return result;
}

} // namespace vk7
