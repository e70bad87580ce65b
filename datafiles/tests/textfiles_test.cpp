#include <QDir>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include "datafiles/blankruns.h"
#include "datafiles/dostext.h"
#include "depositfolder.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

class TextFilesTest : public ::testing::Test
{
protected:
    QStringList Read(const QByteArray &bytes)
    {
        folder.Write(u"MEMORIA.TXT"_s, bytes);
        TextPageList pages;
        EXPECT_TRUE(folder.dialog.ReadTextFile(u"MEMORIA.TXT"_s, pages));
        return pages.ToList();
    }

    DepositFolder folder;
};

} // namespace

TEST_F(TextFilesTest, FormFeedsSeparatePages)
{
    EXPECT_EQ(Read("A\f\r\nB"), (QStringList{u"A"_s, u"B"_s}));
    EXPECT_EQ(Read("A\f\fB"), (QStringList{u"A"_s, QString(), u"B"_s}));
    EXPECT_EQ(Read("A\r\nline\r\n\f"), (QStringList{u"A\r\nline\r\n"_s}));
    EXPECT_EQ(Read("A\f\nB\f\r"), (QStringList{u"A"_s, u"\nB"_s, u"\r"_s}));
    EXPECT_EQ(Read(""), QStringList());
    EXPECT_EQ(Read("\f"), QStringList{QString()});
}

TEST_F(TextFilesTest, ZeroBytesAreDroppedAlone)
{
    QByteArray text("Uno\0dos", 7);
    text += QByteArray(3000, 'x') + QByteArray("\0\0y\fZ", 5);
    const QStringList pages = Read(text);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0], u"Unodos"_s + QString(3000, u'x') + u"y"_s);
    EXPECT_EQ(pages[1], u"Z"_s);
}

TEST_F(TextFilesTest, LongPagesAreCutAtTheChunkThatReachesTheLimit)
{
    QStringList pages = Read(QByteArray(60000, 'a'));
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[0].size(), 13 * 2047);
    EXPECT_EQ(pages[1].size(), 13 * 2047);
    EXPECT_EQ(pages[2].size(), 60000 - 26 * 2047);

    // After a form feed the count starts again from the page's own start,
    // but cuts still fall on chunk boundaries of the file.
    pages = Read("ab\f" + QByteArray(30000, 'b'));
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].size(), 13 * 2047 - 3);
    EXPECT_EQ(pages[2].size(), 30000 - (13 * 2047 - 3));

    // A page reaching exactly 25000 characters is cut too.
    pages = Read(QByteArray(25000 - 2047 * 12, 'c') + '\f' + QByteArray(2047 * 12, 'c'));
    ASSERT_EQ(pages.size(), 2);
}

TEST_F(TextFilesTest, DosPagesAreDetectedAndDecodedPerPage)
{
    // 160 and 164 (á, ñ in code page 850) outnumber the Windows letters.
    const QStringList pages = Read("a\xa0\xa4\xe9\f"                    // DOS: 2 against 1
                                   "\xa0\xe1\f"                         // tie: Windows
                                   "\xa8\xad\xae\xaf\xf8\xc9\xa0\xa2"); // ¿ ¡ « » ° ╔ á ó
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[0], u"aáñÚ"_s);
    EXPECT_EQ(pages[1], u"\u00a0á"_s);
    EXPECT_EQ(pages[2], u"¿¡«»°╔áó"_s);
}

// The pages as reading the whole file chunk by chunk cuts them.
QStringList ReadWhole(const QByteArray &file)
{
    QStringList pages;
    QByteArray page;
    for (qsizetype at = 0; at < file.size(); at += 2047) {
        QByteArray chunk = file.mid(at, 2047);
        chunk.removeIf([](char c) { return c == '\0'; });
        QByteArrayView rest(chunk);
        for (;;) {
            const qsizetype formFeed = rest.indexOf('\f');
            if (formFeed < 0) {
                page.append(rest);
                if (page.size() >= 25000) {
                    pages.append(DecodeTextPage(page));
                    page.clear();
                }
                break;
            }
            page.append(rest.first(formFeed));
            pages.append(DecodeTextPage(page));
            page.clear();
            rest = rest.sliced(formFeed + 1);
            if (rest.startsWith("\r\n"))
                rest = rest.sliced(2);
        }
    }
    if (!page.isEmpty())
        pages.append(DecodeTextPage(page));
    return pages;
}

TEST_F(TextFilesTest, PagesReadBackAgreeWithTheWholeReadingWhateverTheIndexKeeps)
{
    // Form feeds, CR LF and zero bytes everywhere, chunk boundaries
    // included, and long stretches without form feeds that are cut.
    QByteArray file;
    quint32 seed = 7;
    const auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
    const char pieces[] = {'a', 'b', '\f', '\r', '\n', '\0', '\xa4', '\xe1', ' '};
    while (file.size() < 200000) {
        if (next() % 2000 == 0)
            file += QByteArray(int(next() % 30000), 'x');
        else
            file += pieces[next() % sizeof(pieces)];
    }
    folder.Write(u"MEMORIA.TXT"_s, file);
    const QStringList whole = ReadWhole(file);
    ASSERT_GT(whole.size(), 1000);
    const QByteArray path = QFile::encodeName(folder.HostPath(u"MEMORIA.TXT"_s));
    for (const qsizetype kept :
         {qsizetype(1), qsizetype(3), qsizetype(100), TextPageList::kMaxIndexEntries}) {
        const std::optional<TextPageList> pages = TextPageList::ReadFile(path, kept).pages;
        ASSERT_TRUE(pages.has_value());
        EXPECT_EQ(pages->ToList(), whole) << kept;
        // Backwards and at random: every page found again from the index.
        for (qsizetype i = whole.size() - 1; i >= whole.size() - 50; --i)
            ASSERT_EQ(pages->at(i), whole.at(i)) << kept << " " << i;
        for (int n = 0; n < 200; ++n) {
            const qsizetype i = next() % whole.size();
            ASSERT_EQ(pages->at(i), whole.at(i)) << kept << " " << i;
        }
        EXPECT_EQ(pages->at(whole.size()), QString());
    }

    // A page replaced in a copy is replaced there only.
    const TextPageList read = *TextPageList::ReadFile(path).pages;
    TextPageList copy = read;
    copy.Replace(1, u"cambiada"_s);
    EXPECT_EQ(copy.at(1), u"cambiada"_s);
    EXPECT_EQ(read.at(1), whole.at(1));
    EXPECT_FALSE(copy == read);
}

TEST_F(TextFilesTest, PagesJudgedWhileIndexingAsTheirDecodedTextsWouldBe)
{
    // Prose near 7 runs of blanks per 100 characters, with the bytes the
    // reader treats apart (form feeds, CR LF, zero bytes) and long pages it
    // cuts, so that the judgement of a whole file often turns on one page.
    quint32 seed = 11;
    const auto next = [&seed] { return (seed = seed * 1103515245 + 12345) >> 16; };
    int prose = 0;
    int notProse = 0;
    for (int round = 0; round < 150; ++round) {
        QByteArray file;
        const qsizetype size = next() % 60000;
        const quint32 longestWord = 6 + next() % 20;
        while (file.size() < size) {
            const quint32 pick = next() % 100;
            if (pick < 2)
                file += pick == 0 ? "\f\r\n" : "\f";
            else if (pick < 8)
                file += "\r\n";
            else if (pick < 10)
                file += '\0';
            else
                file += QByteArray(int(1 + next() % longestWord), "xa\xe1\x82"[next() % 4]) +
                        QByteArray(int(1 + next() % 3), ' ');
        }
        folder.Write(u"MEMORIA.TXT"_s, file);
        const std::optional<TextPageList> pages =
            TextPageList::ReadFile(QFile::encodeName(folder.HostPath(u"MEMORIA.TXT"_s))).pages;
        ASSERT_TRUE(pages.has_value());
        bool expected = true;
        for (const QString &page : *pages) {
            BlankRunTally tally;
            tally.Add(QStringView(page));
            expected = expected && tally.LooksLikeProse();
        }
        ASSERT_EQ(pages->EveryPageLooksLikeProse(), std::optional<bool>(expected)) << round;
        ++(expected ? prose : notProse);

        // Bytes in pieces of any size count as they do one by one.
        BlankRunTally whole;
        BlankRunTally single;
        for (qsizetype at = 0; at < file.size();) {
            const qsizetype piece = std::min<qsizetype>(file.size() - at, next() % 5000);
            whole.Add(QByteArrayView(file).sliced(at, piece));
            at += piece;
        }
        for (const char c : file)
            single.Add(c);
        ASSERT_EQ(whole.LooksLikeProse(), single.LooksLikeProse()) << round;
    }
    EXPECT_GT(prose, 20);
    EXPECT_GT(notProse, 20);

    // A replaced page, or pages given as a list, are judged by the caller.
    TextPageList copy =
        *TextPageList::ReadFile(QFile::encodeName(folder.HostPath(u"MEMORIA.TXT"_s))).pages;
    copy.Replace(0, u"otra"_s);
    EXPECT_EQ(copy.EveryPageLooksLikeProse(), std::nullopt);
    EXPECT_EQ(TextPageList({u"uno"_s}).EveryPageLooksLikeProse(), std::nullopt);
}

TEST(DosTextTest, DetectionCountsExactlyTheListedBytes)
{
    const QByteArray dos("\x80\x81\x82\x84\x85\x87\x89\x8a\x8b\x8d\x8e\x90\x94\x95\x97\x99\x9a"
                         "\xa0\xa1\xa2\xa3\xa4\xa5\xb5\xd4\xd8\xde\xe3");
    const QByteArray windows("\xc0\xc1\xc4\xc7\xc8\xc9\xcb\xcc\xcd\xcf\xd1\xd2\xd9\xda\xdc\xe1"
                             "\xe4\xe7\xe8\xec\xed\xef\xf1\xf2\xf3\xf6\xf9\xfc");
    ASSERT_EQ(dos.size(), 28);
    ASSERT_EQ(windows.size(), 28);
    EXPECT_FALSE(IsDosText(QByteArray(dos + windows)));
    for (int i = 0; i < 28; ++i) {
        EXPECT_TRUE(IsDosText(QByteArray(dos + windows.left(i) + windows.mid(i + 1)))) << i;
        EXPECT_FALSE(IsDosText(QByteArray(dos.left(i) + dos.mid(i + 1) + windows))) << i;
    }
    // Bytes outside both sets do not count.
    QByteArray others;
    for (int b = 0; b < 256; ++b)
        if (!dos.contains(char(b)) && !windows.contains(char(b)))
            others.append(char(b));
    EXPECT_FALSE(IsDosText(others));
    EXPECT_TRUE(IsDosText(QByteArray(others + '\xa4')));
    EXPECT_FALSE(IsDosText(QByteArray(others + '\xa4' + '\xfc')));
}

TEST_F(TextFilesTest, MissingTextLeavesThePagesAlone)
{
    TextPageList pages{u"old"_s};
    EXPECT_FALSE(folder.dialog.ReadTextFile(u"GESTION.TXT"_s, pages));
    EXPECT_EQ(pages.ToList(), QStringList{u"old"_s});
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Leyendo texto. Fichero: GESTION.TXT"_s);
    folder.Write(u"gestion.txt"_s, "new");
    EXPECT_TRUE(folder.dialog.ReadTextFile(u"GESTION.TXT"_s, pages));
    EXPECT_EQ(pages.ToList(), QStringList{u"new"_s});
    EXPECT_EQ(folder.dialog.StatusLine(), u"Leyendo texto. Esperar ..."_s);
}

TEST_F(TextFilesTest, ImagesGoToTheirPagePositions)
{
    for (const QString &name : {u"MEMO.M01"_s, u"memo.m03"_s, u"X.M00"_s, u"AUDITOR.G01"_s,
                                u"INFORME.G02"_s, u"ANUNCIO.M02"_s, u"anuncio.x01"_s,
                                u"AUDITOR2.TIF"_s, u"AUDITOR.A05"_s, u"P.MAX"_s, u"Q.G100"_s})
        folder.Write(name, "I");
    QDir(folder.HostPath(QString())).mkdir(u"DIR.M04"_s);
    DepositState &state = folder.state;
    state.Images(DocumentKind::MemoriaImages) =
        QStringList{u"KEEP"_s, u"KEEP"_s, u"KEEP"_s, u"KEEP"_s, u"KEEP"_s};

    EXPECT_TRUE(folder.dialog.ReadImageList(u"*.G??"_s));
    EXPECT_TRUE(folder.dialog.ReadImageList(u"*.M??"_s));
    EXPECT_TRUE(folder.dialog.ReadImageList(u"AUDITOR.*"_s));
    EXPECT_TRUE(folder.dialog.ReadImageList(u"ANUNCIO.*"_s));
    EXPECT_FALSE(folder.dialog.ReadImageList(u"*.Z??"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"Leyendo imágenes. Esperar ..."_s);

    EXPECT_EQ(state.Images(DocumentKind::MemoriaImages),
              (QStringList{u"MEMO.M01"_s, u"KEEP"_s, u"MEMO.M03"_s, u"KEEP"_s, u"KEEP"_s}));
    EXPECT_EQ(state.Images(DocumentKind::ManagementReportImages),
              (QStringList{QString(), u"INFORME.G02"_s}));
    EXPECT_EQ(state.Images(DocumentKind::AuditorReportImages),
              (QStringList{u"AUDITOR.G01"_s, QString(), QString(), QString(), u"AUDITOR.A05"_s}));
    EXPECT_EQ(state.Images(DocumentKind::AnnouncementsImages),
              (QStringList{u"ANUNCIO.X01"_s, u"ANUNCIO.M02"_s}));
}
