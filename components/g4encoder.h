#pragma once

#include <QByteArray>

namespace vk7 {

// CCITT Group 4 (T.6) coding of a bilevel bitmap: rows of packed bits, most
// significant bit first, 1 = black, `stride` bytes apart. Returns the coded
// data with its end-of-facsimile-block, ready to be stored as one strip.
// Written for speed on page images, where libtiff's row coder is the slowest
// step of saving a page: changing elements are found a word at a time.
QByteArray EncodeG4(const uchar *bits, int width, int height, qsizetype stride);

} // namespace vk7
