#pragma once

#include <QString>
#include <QtGlobal>

namespace vk7 {

// A text read as a decimal integer the way the C library's atol reads it:
// leading blanks, an optional sign, then digits up to the first other
// character; no digits gives 0. Values too large for any integer are held at
// the int64 bounds instead of overflowing, so they stay out of every range.
qint64 ReadDecimalInteger(const QString &text);

} // namespace vk7
