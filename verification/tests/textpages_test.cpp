#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "components/imaging.h"
#include "datafiles/depositstate.h"
#include "reception/paths.h"
#include "testing/tiffpages.h"
#include "verification/textpages.h"
#include "verificationgui.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

QString Lines(int count, const QString &prefix)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << prefix + QString::number(i);
    return lines.join(u"\r\n"_s);
}

class TextPagesTest : public DriveCTest
{
protected:
    void SetUp() override
    {
        DriveCTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(OnC(u"TMP_VK7"_s)));
    }
    QStringList Written() const
    {
        return QDir(OnC(u"TMP_VK7"_s)).entryList(QDir::Files, QDir::Name);
    }
    const QString workFolder_ = u"C:\\TMP_VK7\\"_s;
};

// Rows of a loaded page that carry ink, grouped into the line bands of 35.
QList<bool> InkedBands(const QImage &page)
{
    QList<bool> bands(page.height() / 35 + 1, false);
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (row[x] < 128) {
                bands[y / 35] = true;
                break;
            }
        }
    }
    return bands;
}

} // namespace

TEST_F(TextPagesTest, PagesAreNumberedAcrossPageTexts)
{
    DepositState state;
    // Two page texts of 70 lines: 01 and 02 for the first, 03 and 04 for
    // the second, which starts on a page of its own.
    state.Pages(DocumentKind::MemoriaText) = {Lines(70, u"primera "_s), Lines(70, u"segunda "_s)};
    ASSERT_FALSE(RenderTextPages(state, DocumentKind::MemoriaText, workFolder_).Failed());
    EXPECT_EQ(Written(), (QStringList{u"K7.M01"_s, u"K7.M02"_s, u"K7.M03"_s, u"K7.M04"_s}));

    // Full page: 66 inked bands; the overflow page: 4.
    QImage page;
    ASSERT_FALSE(LoadImageFile(workFolder_ + u"K7.M01"_s, &page).Failed());
    EXPECT_EQ(InkedBands(page).count(true), 66);
    ASSERT_FALSE(LoadImageFile(workFolder_ + u"K7.M04"_s, &page).Failed());
    const QList<bool> bands = InkedBands(page);
    EXPECT_EQ(bands.count(true), 4);
    EXPECT_TRUE(bands.at(0) && bands.at(1) && bands.at(2) && bands.at(3));
}

TEST_F(TextPagesTest, RenderedPageIsA200DpiG4BilevelA4Image)
{
    DepositState state;
    state.diagnosticText = {u"DIAGNOSTICO\r\n\r\nEstructura: 1\r\nCompletitud: 1"_s};
    ASSERT_FALSE(RenderTextPages(state, DocumentKind::DiagnosticSheet, workFolder_).Failed());
    ASSERT_EQ(Written(), QStringList{u"K7.D01"_s});

    ExpectStandardPageImage(OnC(u"TMP_VK7/K7.D01"_s));

    // Lines 1, 3 and 4 carry text; line 2 is empty.
    QImage page;
    ASSERT_FALSE(LoadImageFile(workFolder_ + u"K7.D01"_s, &page).Failed());
    const QList<bool> bands = InkedBands(page);
    EXPECT_TRUE(bands.at(0));
    EXPECT_FALSE(bands.at(1));
    EXPECT_TRUE(bands.at(2));
    EXPECT_TRUE(bands.at(3));
    EXPECT_EQ(bands.count(true), 3);
}

TEST_F(TextPagesTest, EarlierPagesOfThePrefixAreDeletedOthersKept)
{
    for (const QString &name :
         {u"K7.G01"_s, u"K7.G07"_s, u"K7.GX"_s, u"K7.M01"_s, u"DATOS.ASC"_s}) {
        QFile file(OnC(u"TMP_VK7/"_s + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    DepositState state;
    state.Pages(DocumentKind::ManagementReportText) = {u"Informe de gestión"_s};
    ASSERT_FALSE(RenderTextPages(state, DocumentKind::ManagementReportText, workFolder_).Failed());
    EXPECT_EQ(Written(), (QStringList{u"DATOS.ASC"_s, u"K7.G01"_s, u"K7.M01"_s}));
}

TEST_F(TextPagesTest, ExplicitPagesReplaceTheKindsListAndKindsSelectPrefixes)
{
    DepositState state;
    state.Pages(DocumentKind::OwnSharesText) = {u"no"_s, u"no"_s, u"no"_s};
    const QStringList explicitPages = {u"una"_s};
    ASSERT_FALSE(
        RenderTextPages(state, DocumentKind::OwnSharesText, workFolder_, &explicitPages).Failed());
    EXPECT_EQ(Written(), QStringList{u"K7.A01"_s});

    state.Pages(DocumentKind::EnvironmentalReportText) = {u"a"_s};
    state.Pages(DocumentKind::SimcavReportText) = {u"s"_s};
    state.Pages(DocumentKind::ApprovalCertificateText) = {u"c"_s, QString()};
    ASSERT_FALSE(
        RenderTextPages(state, DocumentKind::EnvironmentalReportText, workFolder_).Failed());
    ASSERT_FALSE(RenderTextPages(state, DocumentKind::SimcavReportText, workFolder_).Failed());
    ASSERT_FALSE(
        RenderTextPages(state, DocumentKind::ApprovalCertificateText, workFolder_).Failed());
    // An empty page text still gives its (blank) page.
    EXPECT_EQ(Written(),
              (QStringList{u"K7.A01"_s, u"K7.B01"_s, u"K7.C01"_s, u"K7.C02"_s, u"K7.S01"_s}));

    // A kind without text fails at once and writes nothing.
    for (DocumentKind kind :
         {DocumentKind::AuditorReportImages, DocumentKind::AnnouncementsImages}) {
        EXPECT_TRUE(RenderTextPages(state, kind, workFolder_, &explicitPages).Failed())
            << int(kind);
    }
    EXPECT_EQ(Written().size(), 5);
    // An empty list writes nothing and succeeds.
    state.Pages(DocumentKind::MemoriaText).clear();
    EXPECT_FALSE(RenderTextPages(state, DocumentKind::MemoriaText, workFolder_).Failed());
}

TEST_F(TextPagesTest, FolderNamedInAnotherCaseIsTheSameFolder)
{
    DepositState state;
    state.Pages(DocumentKind::MemoriaText) = {u"uno"_s, u"dos"_s};
    ASSERT_FALSE(RenderTextPages(state, DocumentKind::MemoriaText, u"C:\\tmp_vk7\\"_s).Failed());
    EXPECT_EQ(Written(), (QStringList{u"K7.M01"_s, u"K7.M02"_s}));
}

TEST_F(TextPagesTest, UnwritableFolderFails)
{
    DepositState state;
    state.Pages(DocumentKind::MemoriaText) = {u"texto"_s};
    EXPECT_TRUE(RenderTextPages(state, DocumentKind::MemoriaText, u"C:\\NO_EXISTE\\"_s).Failed());
    PathResolver::ClearDriveRoots();
    EXPECT_TRUE(RenderTextPages(state, DocumentKind::MemoriaText, workFolder_).Failed());
}
