#pragma once

#include <QString>

namespace vk7 {

// Looks a four-digit activity code up in the table CNAE.TXT (a system path:
// appFolder + "DATA\CNAE.TXT"), one code a line. The file is read by the
// text-mode rule, 127 characters a line at most. A table that cannot be
// opened knows no code.
bool IsKnownActivityCode(const QString &code, const QString &tablePath);

} // namespace vk7
