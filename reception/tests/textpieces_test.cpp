#include <gtest/gtest.h>

#include "reception/textpieces.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

struct Asked
{
    int offset;
    TextUnit unit;
    int relation;
    const char16_t *text;
    int start;
    int end;
};

// What a screen reader gets for a path of two sentences, at its start, in
// it, at its very end (the last piece: the word that froze Qt's own reading,
// the whole line that came back without its last character) and past it.
TEST(TextPieces, EveryOffsetIsAnsweredWithAPieceOfTheText)
{
    constexpr char16_t kPath[] = u"A:\\FICHERO.TXT no existe. Otra frase";
    const QString path = QString::fromUtf16(kPath);
    const int end = static_cast<int>(path.size());
    const Asked cases[] = {
        {0, TextUnit::Word, 0, u"A:\\", 0, 3},
        {15, TextUnit::Word, 0, u"no ", 15, 18},
        {end, TextUnit::Word, 0, u"frase", end - 5, end},
        {end + 1, TextUnit::Word, 0, u"", end, end},
        {end, TextUnit::Word, -1, u"Otra ", end - 10, end - 5},
        {end, TextUnit::Word, 1, u"", end, end},
        {0, TextUnit::Word, -1, u"", 0, 0},
        {end, TextUnit::Sentence, 0, u"Otra frase", end - 10, end},
        {3, TextUnit::Sentence, 1, u"Otra frase", end - 10, end},
        {end - 1, TextUnit::Line, 0, kPath, 0, end},
        {end, TextUnit::Line, 0, kPath, 0, end},
        {end, TextUnit::Character, 0, u"", end, end},
        {end, TextUnit::Character, -1, u"e", end - 1, end},
        {-1, TextUnit::Line, 0, u"", 0, 0},
    };
    for (const Asked &asked : cases) {
        const TextPiece piece = TextPieceAt(path, asked.offset, asked.unit, asked.relation);
        EXPECT_EQ(piece.text, QString::fromUtf16(asked.text)) << asked.offset;
        EXPECT_EQ(piece.start, asked.start) << asked.offset;
        EXPECT_EQ(piece.end, asked.end) << asked.offset;
    }
    // Shown lines of a wrapped text, and the text's own line breaks.
    EXPECT_EQ(TextPieceAt(u"uno dos tres"_s, 9, TextUnit::Line, 0, {0, 8}).text, u"tres"_s);
    EXPECT_EQ(TextPieceAt(u"uno\ndos"_s, 2, TextUnit::Line, 1).text, u"dos"_s);
    EXPECT_EQ(TextPieceAt(QString(), 0, TextUnit::Word, 0).text, QString());
}

} // namespace
