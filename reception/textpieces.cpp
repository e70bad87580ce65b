#include "reception/textpieces.h"

#include <algorithm>

#include <QTextBoundaryFinder>

namespace vk7 {

namespace {

// Where each piece of the text begins, 0 first, each further than the last;
// the text's length closes the last piece. Every loop here moves forward or
// stops.
QList<int> PieceStarts(const QString &text, TextUnit unit, const QList<int> &lineStarts)
{
    const int length = static_cast<int>(text.size());
    QList<int> starts{0};
    const auto add = [&](int position) {
        if (position > starts.last() && position < length)
            starts.append(position);
    };
    const auto afterLineBreaks = [&] {
        for (int i = 0; i < length; ++i) {
            if (text.at(i) == u'\n')
                add(i + 1);
        }
    };
    const auto byFinder = [&](QTextBoundaryFinder::BoundaryType type, bool itemStartsOnly) {
        QTextBoundaryFinder finder(type, text);
        for (int position = finder.toNextBoundary(); position > 0 && position < length;
             position = finder.toNextBoundary()) {
            if (!itemStartsOnly || (finder.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
                add(position);
        }
    };
    switch (unit) {
    case TextUnit::Character:
        byFinder(QTextBoundaryFinder::Grapheme, false);
        break;
    case TextUnit::Word:
        // A word and the spaces after it, as a reader moving by words wants.
        byFinder(QTextBoundaryFinder::Word, true);
        break;
    case TextUnit::Sentence:
        byFinder(QTextBoundaryFinder::Sentence, false);
        break;
    case TextUnit::Line:
        if (lineStarts.isEmpty()) {
            afterLineBreaks();
        } else {
            for (int start : lineStarts)
                add(start);
        }
        break;
    case TextUnit::Paragraph:
        afterLineBreaks();
        break;
    case TextUnit::Whole:
        break;
    }
    starts.append(length);
    return starts;
}

} // namespace

TextPiece TextPieceAt(const QString &text, int offset, TextUnit unit, int relation,
                      const QList<int> &lineStarts)
{
    const int length = static_cast<int>(text.size());
    if (length == 0 || offset < 0 || offset > length) {
        const int at = std::clamp(offset, 0, length);
        return {QString(), at, at};
    }
    const QList<int> starts = PieceStarts(text, unit, lineStarts);
    const int pieces = static_cast<int>(starts.size()) - 1;
    // The piece holding the offset; at the very end, the last piece (a
    // reader asks for the line at the end of the text), but no character.
    int index =
        static_cast<int>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) -
        1;
    if (offset == length)
        index = unit == TextUnit::Character ? pieces : pieces - 1;
    index += relation;
    if (index < 0 || index >= pieces) {
        const int at = index < 0 ? 0 : length;
        return {QString(), at, at};
    }
    const int start = starts.at(index);
    const int end = starts.at(index + 1);
    return {text.mid(start, end - start), start, end};
}

} // namespace vk7
