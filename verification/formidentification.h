#pragma once

#include <QString>

namespace vk7 {

class CFileCopyDialog;
struct DepositState;
struct FrameState;

// What identification leaves for the shell besides the deposit's state.
struct FormIdentification
{
    bool identified = false;
    // The main window's new title ("Velmora - EUROS"); empty when the title
    // is to stay as it was (identification failed).
    QString windowTitle;
};

// Loads the whole deposit (the load pass of `loader`), decides its form,
// opens the template (from the program's folder) on the frame's viewer and
// publishes the deposit's fields to it.
// On failure formError says why and formIdentified stays as it was.
FormIdentification IdentifyForm(DepositState &state, const FrameState &frame,
                                CFileCopyDialog &loader);

// "Velmora - PESETAS" or "Velmora - EUROS" after the form's last letter,
// "Velmora" for any other.
QString WindowTitleForForm(const QString &formName);

} // namespace vk7
