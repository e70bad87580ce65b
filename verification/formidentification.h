#pragma once

#include <QString>

#include "reception/failure.h"

namespace vk7 {

class CFileCopyDialog;
class CFormDocument;
struct DepositState;

// What identification leaves for the shell besides the deposit's state.
struct FormIdentification
{
    bool identified = false;
    // The failure of the machine or the clerk's stop that ended it
    // (Kind::None when none): nothing read is then the deposit.
    Failure failure;
};

// Loads the whole deposit (the load pass of `loader`), decides its form,
// opens the template (from the program's folder, `appFolder`) in the form
// document and publishes the deposit's fields to it.
// On failure formError says why and formIdentified stays as it was.
FormIdentification IdentifyForm(DepositState &state, CFormDocument *form, const QString &appFolder,
                                CFileCopyDialog &loader);

} // namespace vk7
