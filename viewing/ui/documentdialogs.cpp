#include "documentdialogs.h"

#include "imagesetdialog.h"
#include "textpagedialog.h"
#include "viewing/editmenu.h"

namespace vk7 {

bool RunEditMenuDialog(int commandId, const DepositState &state, IUserInterface &ui,
                       QWidget *parent)
{
    const EditMenuEntry *entry = EditMenuEntryOf(commandId);
    if (!entry)
        return false;
    if (entry->dialog == EditMenuEntry::Dialog::ImageSet) {
        ImageSetDialog dialog(state, entry->kind, ui, parent);
        dialog.exec();
    } else {
        TextPageDialog dialog(state, entry->kind, ui, parent);
        dialog.exec();
    }
    return true;
}

} // namespace vk7
