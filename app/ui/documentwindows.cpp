#include "documentwindows.h"

#include "viewing/ui/imagesetdialog.h"
#include "viewing/ui/textpagedialog.h"

namespace vk7 {

void DocumentWindows::ShowDocument(const EditCommand &command, qsizetype entries,
                                   DepositModel &model)
{
    // The dialogs find the kind's list in the deposit themselves.
    Q_UNUSED(entries);
    if (command.imageSet) {
        ImageSetDialog dialog(model.Deposit(), command.kind, ui_, parent_);
        if (printerChoice_)
            dialog.SetPrinterChoice(printerChoice_);
        dialog.exec();
    } else {
        TextPageDialog dialog(model.Deposit(), command.kind, ui_, parent_);
        if (printerChoice_)
            dialog.SetPrinterChoice(printerChoice_);
        dialog.exec();
    }
}

} // namespace vk7
