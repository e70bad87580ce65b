#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include "components/imaging.h"
#include "datafiles/depositstate.h"
#include "verification/plausibility.h"
#include "verificationgui.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

QString Prose(int words)
{
    QStringList text;
    for (int i = 0; i < words; ++i)
        text << (i % 12 == 11 ? u"ejercicio.\r\n"_s : u"balance"_s);
    return text.join(u' ');
}

class PlausibilityTest : public DriveCTest
{
protected:
    void SetUp() override
    {
        DriveCTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(OnC(u"TMP_VK7"_s)));
    }
    // A bilevel page image of the given size in the work folder.
    void WritePage(const QString &name, int width, int height)
    {
        QImage page(width, height, QImage::Format_Mono);
        page.fill(0);
        ASSERT_FALSE(SaveImageFile(state_.DepositFilePath(name), page).Failed());
    }
    DepositState state_;
};

} // namespace

TEST(PlausibleText, RunsOfBlanksPerHundredCharacters)
{
    EXPECT_TRUE(IsPlausibleTextPage(Prose(200)));
    // One word of 200 characters: no blank at all.
    EXPECT_FALSE(IsPlausibleTextPage(QString(200, u'x')));
    // Three characters or fewer are always plausible.
    EXPECT_TRUE(IsPlausibleTextPage(u"xyz"_s));
    EXPECT_TRUE(IsPlausibleTextPage(u"\r\nab\r\n"_s));
    EXPECT_TRUE(IsPlausibleTextPage(QString()));
    // Four characters without blanks are not.
    EXPECT_FALSE(IsPlausibleTextPage(u"wxyz"_s));
    // A trailing run counts: "abc " is 4 characters, 1 run, 25 per 100.
    EXPECT_TRUE(IsPlausibleTextPage(u"abc "_s));

    // Threshold: 7 runs per 100 characters passes, fewer fails. Words of 13
    // letters and one blank: 7 runs in 98 characters passes.
    auto words = [](int count, int letters) {
        QStringList list(count, QString(letters, u'a'));
        return list.join(u' ');
    };
    // 7 words of 13 + 6 blanks + one trailing blank: 91 + 7 = 98 chars, 7 runs.
    EXPECT_TRUE(IsPlausibleTextPage(words(7, 13) + u' '));
    // 7 runs in exactly 100 characters: 7 per 100 passes.
    EXPECT_TRUE(IsPlausibleTextPage(words(7, 13) + u" aa"_s));
    // 7 runs in 101 characters: 6.93 per 100 fails.
    EXPECT_FALSE(IsPlausibleTextPage(words(7, 13) + u" aaa"_s));
    // A run of many blanks still counts as one character and one run; line
    // breaks count as nothing.
    EXPECT_FALSE(IsPlausibleTextPage(QString(60, u'a') + QString(50, u' ') + QString(40, u'b')));
    EXPECT_EQ(IsPlausibleTextPage(u"ab\r\ncd\r\nef\r\ngh"_s), false);
}

TEST_F(PlausibilityTest, TextKindsStopAtTheFirstBadPage)
{
    state_.Pages(DocumentKind::MemoriaText) = {Prose(50), QString(200, u'x'), Prose(10)};
    state_.Pages(DocumentKind::ManagementReportText) = {Prose(50), u"ok"_s};
    EXPECT_FALSE(IsPlausibleText(state_, DocumentKind::MemoriaText));
    EXPECT_TRUE(IsPlausibleText(state_, DocumentKind::ManagementReportText));
    EXPECT_TRUE(IsPlausibleText(state_, DocumentKind::OwnSharesText)); // no pages
}

TEST_F(PlausibilityTest, ImagePagesUpTo3000PixelsPass)
{
    WritePage(u"A1.TIF"_s, 3000, 20);
    WritePage(u"A2.TIF"_s, 20, 3000);
    WritePage(u"W.TIF"_s, 3001, 20);
    WritePage(u"H.TIF"_s, 20, 3001);
    state_.Images(DocumentKind::AuditorReportImages) = {u"A1.TIF"_s, u"A2.TIF"_s};
    EXPECT_TRUE(IsPlausibleImageList(state_, DocumentKind::AuditorReportImages));
    state_.Images(DocumentKind::AuditorReportImages) = {u"A1.TIF"_s, u"W.TIF"_s};
    EXPECT_FALSE(IsPlausibleImageList(state_, DocumentKind::AuditorReportImages));
    state_.Images(DocumentKind::AuditorReportImages) = {u"H.TIF"_s};
    EXPECT_FALSE(IsPlausibleImageList(state_, DocumentKind::AuditorReportImages));
}

TEST_F(PlausibilityTest, HolesAndUnreadableFilesAreImplausible)
{
    WritePage(u"M1.TIF"_s, 100, 100);
    WritePage(u"M3.TIF"_s, 100, 100);
    state_.Images(DocumentKind::MemoriaImages) = {u"M1.TIF"_s, QString(), u"M3.TIF"_s};
    EXPECT_FALSE(IsPlausibleImageList(state_, DocumentKind::MemoriaImages));
    QFile text(OnC(u"TMP_VK7/G1.TIF"_s));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no es una imagen");
    text.close();
    state_.Images(DocumentKind::ManagementReportImages) = {u"G1.TIF"_s};
    EXPECT_FALSE(IsPlausibleImageList(state_, DocumentKind::ManagementReportImages));
    state_.Images(DocumentKind::ManagementReportImages) = {u"M1.TIF"_s, u"M3.TIF"_s};
    EXPECT_TRUE(IsPlausibleImageList(state_, DocumentKind::ManagementReportImages));
    state_.Images(DocumentKind::AnnouncementsImages) = {u"FALTA.TIF"_s};
    EXPECT_FALSE(IsPlausibleImageList(state_, DocumentKind::AnnouncementsImages));
}

TEST_F(PlausibilityTest, OversizedPageIsRefusedFromItsHeader)
{
    // A page that claims 100000 x 100000 with a few bytes of data: decoding
    // it would need over a gigabyte. It is judged by its directory alone.
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    auto put16 = [&bytes](int v) { bytes.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    auto put32 = [&bytes](quint32 v) {
        for (int i = 0; i < 4; ++i)
            bytes.append(char((v >> (8 * i)) & 0xff));
    };
    const int entries = 8;
    put16(entries);
    auto entry = [&](int tag, int type, quint32 value) {
        put16(tag);
        put16(type);
        put32(1);
        put32(value);
    };
    entry(256, 4, 100000);
    entry(257, 4, 100000);
    entry(258, 3, 1);
    entry(259, 3, 4);
    entry(262, 3, 0);
    entry(273, 4, 8 + 2 + entries * 12 + 4);
    entry(278, 4, 100000);
    entry(279, 4, 8);
    put32(0);
    bytes.append(QByteArray(8, '\0'));
    QFile file(OnC(u"TMP_VK7/BOMB.TIF"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    state_.Images(DocumentKind::AnnouncementsImages) = {u"BOMB.TIF"_s};
    EXPECT_FALSE(IsPlausibleImageList(state_, DocumentKind::AnnouncementsImages));
}

TEST_F(PlausibilityTest, OneWidePageAmongGoodFiles)
{
    // Files 1 and 3 fine, file 2 too wide.
    WritePage(u"P1.TIF"_s, 50, 50);
    WritePage(u"P2.TIF"_s, 3100, 50);
    state_.Images(DocumentKind::MemoriaImages) = {u"P1.TIF"_s, u"P2.TIF"_s, u"P1.TIF"_s};
    EXPECT_FALSE(IsPlausibleImageList(state_, DocumentKind::MemoriaImages));
}

TEST_F(PlausibilityTest, SuspiciousFilesGiveTheirWarningsInOrder)
{
    for (const QString &name : {u"K7.D01"_s, u"K7.001"_s, u"K7.M03"_s}) {
        QFile f(OnC(u"TMP_VK7/"_s + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    WritePage(u"MEMORIA1.TIF"_s, 100, 100);
    WritePage(u"ANCHO.TIF"_s, 4000, 100);
    const QString bad = QString(300, u'x');
    state_.fileWarnings = u"antiguo"_s;
    state_.Pages(DocumentKind::MemoriaText) = {Prose(30)};
    state_.Pages(DocumentKind::ManagementReportText) = {bad};
    state_.Pages(DocumentKind::OwnSharesText) = {bad};
    state_.Pages(DocumentKind::EnvironmentalReportText) = {Prose(5)};
    state_.Pages(DocumentKind::SimcavReportText) = {bad};
    state_.Pages(DocumentKind::ApprovalCertificateText) = {bad};
    state_.Images(DocumentKind::MemoriaImages) = {u"MEMORIA1.TIF"_s};
    state_.Images(DocumentKind::ManagementReportImages) = {u"ANCHO.TIF"_s};
    state_.Images(DocumentKind::AuditorReportImages) = {u"FALTA.TIF"_s};
    state_.Images(DocumentKind::AnnouncementsImages) = {}; // no images: not checked
    CheckSuspiciousFiles(state_);
    EXPECT_EQ(state_.fileWarnings, u"Posible fichero TXT erróneo. Revisar GESTION.TXT\n"
                                   "Posible fichero TXT erróneo. Revisar ACCIONS2.TXT\n"
                                   "Posible fichero TXT erróneo. Revisar SIMCAV.TXT\n"
                                   "Posible fichero TXT erróneo. Revisar CERTAPRO.TXT\n"
                                   "Posible fichero TIF erróneo. Revisar GESTION.TIF\n"
                                   "Posible fichero TIF erróneo. Revisar AUDITOR.TIF\n"_s);
    // The work folder's page images are gone; the deposit's files stay.
    const QStringList left = QDir(OnC(u"TMP_VK7"_s)).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left, (QStringList{u"ANCHO.TIF"_s, u"MEMORIA1.TIF"_s}));

    // Texts all well, the work folder gone: it is created again, and the
    // image that went with it gives the only warning.
    DepositState clean;
    clean.fileWarnings = u"antiguo"_s;
    clean.Pages(DocumentKind::MemoriaText) = {Prose(40)};
    clean.Images(DocumentKind::AnnouncementsImages) = {u"MEMORIA1.TIF"_s};
    ASSERT_TRUE(QDir(OnC(u"TMP_VK7"_s)).removeRecursively());
    CheckSuspiciousFiles(clean);
    EXPECT_TRUE(QDir(OnC(u"TMP_VK7"_s)).exists());
    EXPECT_EQ(clean.fileWarnings, u"Posible fichero TIF erróneo. Revisar ANUNCIO.TIF\n"_s);
}
