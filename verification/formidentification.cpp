#include "formidentification.h"

#include "components/formdocument.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "formtype.h"
#include "viewing/formdata.h"

using namespace Qt::StringLiterals;

namespace vk7 {

FormIdentification IdentifyForm(DepositState &state, CFormDocument *form, const QString &appFolder,
                                CFileCopyDialog &loader)
{
    // The load pass. Its files' own failures tell nothing the form decision
    // does not find out from the store; the machine's end the reception.
    FormIdentification identification;
    identification.failure = loader.LoadDeposit();
    if (identification.failure.EndsWork())
        return identification;

    const Failure decided = DecideFormType(state.fields, form, appFolder, &state.formName,
                                           &state.formError, state.formSelectionMode == 0);
    if (decided.Failed()) {
        if (decided.IsIo())
            identification.failure = decided;
        return identification;
    }

    state.formIdentified = true;
    PublishFormData(state, form);
    form->SetRuleCheckMode(false);
    identification.identified = true;
    return identification;
}

} // namespace vk7
