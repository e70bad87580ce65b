#pragma once

#include <QList>
#include <QString>

namespace vk7 {

// The pieces a screen reader asks a text for: a character, the word (with
// the spaces after it), the sentence, the shown line, the paragraph, or the
// whole text.
enum class TextUnit { Character, Word, Sentence, Line, Paragraph, Whole };

struct TextPiece
{
    QString text;
    int start = 0;
    int end = 0;
};

// The piece of `text` of kind `unit` at (relation 0), before (-1) or after
// (1) `offset`. At the very end of the text it is the last piece (no
// character there); past the end, before the start, or beyond the first or
// last piece, nothing (start = end). `lineStarts`, for lines, are where the
// shown lines begin (empty: after each line break). The pieces are cut from
// boundaries made in one forward pass, so every offset is answered.
TextPiece TextPieceAt(const QString &text, int offset, TextUnit unit, int relation,
                      const QList<int> &lineStarts = {});

} // namespace vk7
