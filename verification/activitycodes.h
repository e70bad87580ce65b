#pragma once

#include <QString>

#include "reception/failure.h"

namespace vk7 {

// Looks a four-digit activity code up in the table CNAE.TXT (a system path:
// appFolder + "DATA\CNAE.TXT"), one code a line. The file is read by the
// text-mode rule, 127 characters a line at most. A table that cannot be
// opened knows no code.
bool IsKnownActivityCode(const QString &code, const QString &tablePath);

// The same look-up, with the failure of the machine that kept the table
// from being read whole (Kind::None when none): the answer is then not the
// table's.
struct ActivityCodeLookup
{
    bool known = false;
    Failure failure;
};
ActivityCodeLookup LookUpActivityCode(const QString &code, const QString &tablePath);

} // namespace vk7
