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

// The same into a buffer of at least FixedBufferSize bytes, without
// allocating; returns the length written.
constexpr int FixedBufferSize = 400;
int FormatFixed(double value, int decimals, char *buffer);

// printf("%.Nf", hundredths * 0.01) for N = 0 or 2 and 0 <= hundredths <
// 10^15, the amounts of the accounts file. The product is within 0.003 of
// the exact decimal, so it renders as the exact decimal except for the
// halves that %.0f must round from the binary value itself.
int FormatHundredths(qint64 hundredths, int decimals, char *buffer);

} // namespace vk7
