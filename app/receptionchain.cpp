#include "receptionchain.h"

#include <limits>

#include "components/tessocx.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "reception/cfiletools.h"
#include "reception/opendepositlogic.h"
#include "verification/decimal.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString FormatEntryNumber(const QString &number)
{
    // atol keeps to a C long; the text of anything larger is the saturated value.
    return QString::asprintf("%08lld", ReadDecimalInteger(number));
}

ReceptionChain::ReceptionChain(DepositState &state, IUserInterface *ui, const Clock &clock)
    : state_(state), ui_(ui), clock_(clock), loader_(std::make_unique<CFileCopyDialog>(state))
{
}

ReceptionChain::~ReceptionChain() = default;

void ReceptionChain::CloseDeposit()
{
    for (QStringList *list :
         {&state_.memoriaPages, &state_.gestionPages, &state_.accionesPages, &state_.ambientaPages,
          &state_.simcavPages, &state_.certaproPages, &state_.gestionImages, &state_.memoriaImages,
          &state_.auditorImages, &state_.anuncioImages, &state_.otherDocumentNames})
        list->clear();
    state_.fields.RemoveAll();
    state_.formError.clear();
    if (state_.viewer && state_.formIdentified && state_.viewer->CloseForm())
        state_.formIdentified = false;
}

ReceptionResult ReceptionChain::Open(const OpenRequest &request, bool *accepted, QString *status)
{
    CloseDeposit();

    OpenDepositLogic dialog(ui_ ? *ui_ : silent_);
    const qint64 lastNumber = ReadDecimalInteger(state_.entryNumber);
    // The next entry follows the last one; a saturated number stays at its limit.
    if (lastNumber != 0)
        dialog.number = QString::number(
            lastNumber < std::numeric_limits<qint64>::max() ? lastNumber + 1 : lastNumber);
    if (!state_.entryDate.isEmpty())
        dialog.date = state_.entryDate;
    dialog.formSelection = state_.formSelectionMode;
    dialog.Initialize();
    dialog.location = request.location;
    dialog.diskettes = request.diskettes;
    dialog.fingerprint = request.fingerprint;
    if (dialog.Accept() != OpenDepositLogic::Outcome::Accepted) {
        *accepted = false;
        *status = dialog.status();
        return {};
    }
    *accepted = true;
    status->clear();
    return RunAfterOpen(
        {dialog.location, dialog.fingerprint, dialog.number, dialog.date, dialog.formSelection});
}

ReceptionResult ReceptionChain::RunAfterOpen(const OpenDialogValues &values)
{
    state_.entryChannel.clear();
    state_.entryNumber = FormatEntryNumber(values.entryNumber);
    state_.entryDate = values.entryDate;
    state_.fingerprint = values.fingerprint;
    state_.workFolder = values.location;
    if (state_.workFolder.endsWith(u'\\'))
        state_.workFolder.chop(1);
    state_.formSelectionMode = values.formSelection;

    CFileTools tools(ui_);
    tools.CheckDepositFiles(state_.workFolder, state_.structureStatus, state_.completenessStatus);

    ReceptionResult result;
    if (state_.structureStatus != u"0"_s && state_.completenessStatus != u"0"_s) {
        result.identificationRan = true;
        result.identification = IdentifyForm(state_, *loader_);
    }
    result.report = DiagnoseDeposit(state_, tools, clock_, showFileWarnings_ ? ui_ : nullptr);
    return result;
}

} // namespace vk7
