#pragma once

namespace vk7 {

// The entries of the Edit menu ("&Edición"): each opens one document dialog
// on one of the deposit's texts or image sets, by kind code.
struct EditMenuEntry
{
    enum class Dialog { ImageSet, TextPage };
    int commandId; // 50020-50030
    Dialog dialog;
    int kind; // the dialog's kind code
};

// The entry of a command id, or null for any other id.
const EditMenuEntry *EditMenuEntryOf(int commandId);

} // namespace vk7
