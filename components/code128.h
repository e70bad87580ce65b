#pragma once

#include <QChar>
#include <QMap>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace vk7 {

// The 106 width patterns of Code 128 symbol values 0 to 105: six digits, the
// widths in modules of bar, space, bar, space, bar, space. 103, 104 and 105
// are Start A, B and C. The stop pattern is not among them.
const QStringList &Code128SymbolTable();

// The stop pattern: bar, space, bar, space, bar, space, bar.
QString Code128StopPattern();

// Glyph of each distinct first triplet (bar, space, bar) of the table, in
// ascending order: "0" (0x30) to "T" (0x54).
const QMap<QString, QChar> &FirstTripletGlyphs();

// Glyph of each distinct last triplet (space, bar, space), in ascending
// order: "U" (0x55) to "z" (0x7A).
const QMap<QString, QChar> &SecondTripletGlyphs();

// The stop symbol's glyph.
inline constexpr char16_t kCode128StopGlyph = u'#';

// The module widths a glyph string stands for, bars and spaces alternating
// from a bar: a first-triplet glyph gives bar, space, bar; a second-triplet
// glyph space, bar, space; "#" the stop pattern. Characters that are no glyph
// draw nothing.
QList<int> Code128ModuleWidths(const QString &glyphs);

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

// Draws a glyph string as black bars filling the box: ten modules of quiet
// zone on either side, the module width chosen so that the whole symbol fits
// the box's width, bars the box's full height.
void DrawCode128Glyphs(QPainter &painter, const QRectF &box, const QString &glyphs);

} // namespace vk7
