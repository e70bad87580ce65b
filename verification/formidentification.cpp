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
    // The load pass. Its result tells nothing the form decision does not find
    // out from the store.
    loader.LoadDeposit();

    if (!DecideFormType(state.fields, form, appFolder, &state.formName, &state.formError,
                        state.formSelectionMode == 0))
        return {};

    state.formIdentified = true;
    PublishFormData(state, form);
    form->SetRuleCheckMode(false);
    return {true};
}

} // namespace vk7
