#pragma once

#include <QString>

namespace vk7 {

class CFormDocument;

// What only the main frame owns, beside the deposit: the form document the
// logic works on (its viewer shows it), the program's folder and the
// clerk's choices in the frame.
struct FrameState
{
    CFormDocument *form = nullptr; // owned by the frame (or the checker)
    QString appFolder;             // executable's folder with a trailing backslash
    bool printerChosen = false;    // "Configurar &Impesora" confirmed, until the form pages print
    int textSize = 0;              // the size last placed in the text-size list; 0 before any
};

} // namespace vk7
