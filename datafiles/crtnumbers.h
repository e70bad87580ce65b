#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace vk7 {

// Number conversions of the C runtime as the data files were written for:
// "C" locale whatever the process locale is, never reading past the view.

// atol/atoi: leading blanks, an optional sign, digits up to the first
// non-digit; no digits gives 0. Out-of-range values saturate as strtol does.
int CAtoi(QByteArrayView text);

// atof: leading blanks, optional sign, digits with an optional decimal point
// and exponent; anything unparsable gives 0.
double CAtof(QByteArrayView text);

// printf("%.Nf", value) for N = 0 or 2, rounding included.
QByteArray FormatFixed(double value, int decimals);

} // namespace vk7
