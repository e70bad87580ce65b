#include "formidentification.h"

#include "components/tessocx.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "formtype.h"
#include "viewing/formdata.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString WindowTitleForForm(const QString &formName)
{
    if (formName.endsWith(u'P'))
        return u"Velmora - PESETAS"_s;
    if (formName.endsWith(u'E'))
        return u"Velmora - EUROS"_s;
    return u"Velmora"_s;
}

FormIdentification IdentifyForm(DepositState &state, const FrameState &frame,
                                CFileCopyDialog &loader)
{
    // The load pass: kind 0, mode 11. Its result tells nothing the form
    // decision does not find out from the store.
    loader.kind = 0;
    loader.mode = 11;
    loader.LoadDeposit();

    CTessOCX *viewer = frame.viewer;
    if (viewer) {
        if (viewer->GetProperty4())
            viewer->SetProperty4(false);
        if (viewer->GetProperty5())
            viewer->SetProperty5(false);
    }
    if (!DecideFormType(state.fields, viewer, frame.appFolder, &state.formName, &state.formError,
                        state.formSelectionMode == 0))
        return {};

    state.formIdentified = true;
    PublishFormData(state, viewer);
    viewer->SetRuleCheckMode(false);
    return {true, WindowTitleForForm(state.formName)};
}

} // namespace vk7
