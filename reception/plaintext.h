#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

namespace vk7 {

// Text read by the C library's rules in the "C" locale, whatever the process
// locale is, never reading past the view. Only ASCII digits and blanks count;
// any other character ends a number like a non-digit.

// A decimal integer as atol reads it: leading blanks (space, \t \n \v \f \r),
// an optional sign, then digits up to the first other character; no digits
// gives 0. Values too large for any integer are held at the int64 bounds, so
// they stay out of every range.
qint64 ReadDecimalInteger(QStringView text);
qint64 ReadDecimalInteger(QByteArrayView text);

// The same held within the int range, as atoi gives it.
int CAtoi(QStringView text);
int CAtoi(QByteArrayView text);

// atof: leading blanks, optional sign, digits with an optional decimal point
// and exponent; anything unparsable gives 0, overflow HUGE_VAL.
double CAtof(QByteArrayView text);

// The text without the blanks (the character ' ' only; tabs stay) at either
// end.
QStringView TrimBlanks(QStringView text);

} // namespace vk7
