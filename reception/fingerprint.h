#pragma once

#include <QString>

namespace vk7 {

// The 32 symbols of a deposit fingerprint, indexed by a 5-bit value: the
// digits and the capital letters without I, L, O and W.
QString FingerprintAlphabet();

// A fingerprint has this many symbols.
inline constexpr int FingerprintLength = 26;

// The chunk in which the fingerprint moves file contents.
inline constexpr int FingerprintChunk = 64000;

} // namespace vk7
