#pragma once

#include <QChar>
#include <QString>

namespace vk7 {

// Encodes a text as the glyph string of a Code 128 symbol in code set 'B' or
// 'C' (start, FNC1, data, check value, stop), for the barcode glyphs drawn by
// DrawCode128Glyphs. Empty text: empty glyphs and true. Code set C needs
// digits only (an odd count gets a leading "0"); code set B needs characters
// 32 to 127. Text that does not fit the code set gives "ERROR" and false; an
// unknown code set gives empty glyphs and false.
bool EncodeCode128(const QString &text, QChar codeSet, QString *glyphs);

// True when every character is a digit, or '-' in first place with
// `allowMinus`, or '.' / ',' (at most one of them in all) with `allowDecimal`.
// An empty text is numeric.
bool IsNumericText(const QString &text, bool allowMinus, bool allowDecimal);

} // namespace vk7
