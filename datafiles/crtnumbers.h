#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace vk7 {

// Number texts of the C runtime as the data files were written for: "C"
// locale whatever the process locale is. The parsers are in
// reception/plaintext.h.

// printf("%.Nf", value) for N = 0 or 2, rounding included.
QByteArray FormatFixed(double value, int decimals);

// The same into a buffer of at least kFixedBufferSize bytes, without
// allocating; returns the length written.
constexpr int kFixedBufferSize = 400;
int FormatFixed(double value, int decimals, char *buffer);

// printf("%.Nf", hundredths * 0.01) for N = 0 or 2 and 0 <= hundredths <
// 10^15, the amounts of the accounts file. The product is within 0.003 of
// the exact decimal, so it renders as the exact decimal except for the
// halves that %.0f must round from the binary value itself.
int FormatHundredths(qint64 hundredths, int decimals, char *buffer);

} // namespace vk7
