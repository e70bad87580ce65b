#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/code128.h"
#include "components/formdocument.h"
#include "components/imaging.h"
#include "components/printdevice.h"
#include "components/tessocx.h"
#include "formtesting.h"
#include "reception/paths.h"
#include "testing/recordingprintdevice.h"
#include "testing/tiffpages.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

// Signals counted with lambdas, in the order they came.
struct Events
{
    explicit Events(CTessOCX *viewer)
    {
        QObject::connect(viewer, &CTessOCX::pageChanged, [this](short previous, short page) {
            pages.append({previous, page});
        });
        QObject::connect(viewer, &CTessOCX::pageCountChanged,
                         [this](short count) { counts.append(count); });
        QObject::connect(viewer, &CTessOCX::textSizeChanged,
                         [this](short size) { sizes.append(size); });
        QObject::connect(viewer, &CTessOCX::fieldsInvalidated, [this] { ++invalidated; });
    }
    void Clear()
    {
        pages.clear();
        counts.clear();
        sizes.clear();
        invalidated = 0;
    }
    QList<QPair<short, short>> pages;
    QList<short> counts;
    QList<short> sizes;
    int invalidated = 0;
};

class ViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(drive.isValid());
        PathResolver::SetDriveRoot(u'C', drive.path());
        // The program's folder with its FORM beside it, as the frame passes it.
        ASSERT_TRUE(QDir(drive.path()).mkpath(u"VK7/FORM"_s));
        const QDir source(SourceFormFolder());
        for (const QString &name : source.entryList(QDir::Files))
            QFile::copy(source.filePath(name), drive.filePath(u"VK7/FORM/"_s + name));
        FillOrdinaryDeposit(&fields);
    }
    void TearDown() override { PathResolver::ClearDriveRoots(); }

    QTemporaryDir drive;
    TestFieldSource fields;
    const QString formFolder = u"C:\\VK7\\FORM\\"_s;
};

TEST_F(ViewerTest, OpenFormRaisesCountPageAndTextSizeAndCloseEmptiesIt)
{
    CFormDocument document;
    CTessOCX viewer(document);
    Events events(&viewer);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    EXPECT_EQ(viewer.GetPageCount(), 14);
    EXPECT_EQ(viewer.GetCurrentPage(), 1);
    EXPECT_EQ(events.counts, QList<short>({14}));
    EXPECT_EQ(events.pages, (QList<QPair<short, short>>{{0, 1}}));
    EXPECT_EQ(events.sizes, QList<short>({CFormDocument::kDefaultTextSize}));

    // Another form replaces it, shown without field keys or boxes; a failed
    // one leaves the open form alone.
    events.Clear();
    viewer.SetShowFieldKeys(true);
    viewer.SetShowFieldBoxes(true);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7AE"_s, &fields).Failed());
    EXPECT_EQ(viewer.GetPageCount(), 9);
    EXPECT_FALSE(viewer.GetShowFieldKeys());
    EXPECT_FALSE(viewer.GetShowFieldBoxes());
    EXPECT_EQ(events.counts.last(), 9);
    EXPECT_TRUE(document.OpenForm(formFolder, u"K7XX"_s, &fields).Failed());
    EXPECT_TRUE(document.OpenForm(u"C:\\NOEXISTE\\"_s, u"K7NP"_s, &fields).Failed());
    EXPECT_EQ(viewer.GetPageCount(), 9);

    events.Clear();
    EXPECT_TRUE(document.CloseForm());
    EXPECT_EQ(viewer.GetPageCount(), 0);
    EXPECT_EQ(viewer.GetCurrentPage(), 0);
    EXPECT_EQ(events.counts, QList<short>({0}));
    EXPECT_TRUE(document.CloseForm());
    EXPECT_EQ(viewer.GoToPage(1), 0);
    EXPECT_FALSE(document.RefreshFields());
    EXPECT_TRUE(document.RuleErrors().isEmpty());
    EXPECT_TRUE(document.ExportPages(u"C:\\TMP_VK7\\"_s).Failed());
}

TEST_F(ViewerTest, MalformedTemplateIsFalseNeverACrash)
{
    QFile bad(drive.filePath(u"VK7/FORM/K7NP"_s));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("form \"roto\"\npage first \"a\"\nfield 81x220 10 10 100 40 text\n");
    bad.close();
    CFormDocument document;
    CTessOCX viewer(document);
    Events events(&viewer);
    EXPECT_TRUE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    EXPECT_TRUE(events.counts.isEmpty());
    EXPECT_EQ(viewer.GetPageCount(), 0);
}

TEST_F(ViewerTest, PagingMovesWithinTheFormAndRaisesPageChanged)
{
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7AP"_s, &fields).Failed());
    Events events(&viewer);
    EXPECT_EQ(viewer.PreviousPage(), 1); // nothing before page 1
    EXPECT_EQ(viewer.NextPage(), 2);
    EXPECT_EQ(viewer.GoToPage(9), 9);
    EXPECT_EQ(viewer.NextPage(), 9); // nothing after the last
    EXPECT_EQ(viewer.GoToPage(0), 9);
    EXPECT_EQ(viewer.GoToPage(10), 9);
    EXPECT_EQ(viewer.PreviousPage(), 8);
    EXPECT_EQ(events.pages, (QList<QPair<short, short>>{{1, 2}, {2, 9}, {9, 8}}));
}

TEST_F(ViewerTest, ZoomFitAndScrollDriveTheViewState)
{
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    viewer.SetViewportSize(QSize(840, 600));
    viewer.FitWidth();
    EXPECT_EQ(viewer.GetFitMode(), CTessOCX::FitMode::Width);
    EXPECT_DOUBLE_EQ(viewer.ViewScale(), (840.0 - 16) / 1648.0);
    // Fit width follows the window.
    viewer.SetViewportSize(QSize(1016, 600));
    EXPECT_DOUBLE_EQ(viewer.ViewScale(), 1000.0 / 1648.0);

    viewer.Scroll(true, true, false);
    EXPECT_EQ(viewer.ScrollPosition(), QPointF(0, 40));
    viewer.Scroll(true, true, true);
    viewer.Scroll(true, true, true);
    EXPECT_EQ(viewer.ScrollPosition(), QPointF(0, 0));
    viewer.Scroll(false, true, false); // the page is as wide as the view
    EXPECT_EQ(viewer.ScrollPosition(), QPointF(0, 0));
    for (int i = 0; i < 20; ++i)
        viewer.Scroll(true, false, false);
    const double bottom = viewer.ContentSizeInView().height() - 600;
    EXPECT_DOUBLE_EQ(viewer.ScrollPosition().y(), bottom);
    // A new page is seen from its top.
    viewer.NextPage();
    EXPECT_EQ(viewer.ScrollPosition().y(), 0);

    const double before = viewer.ViewScale();
    EXPECT_TRUE(viewer.Zoom(1.5));
    EXPECT_DOUBLE_EQ(viewer.ViewScale(), before * 1.5);
    EXPECT_EQ(viewer.GetFitMode(), CTessOCX::FitMode::None);
    viewer.Scroll(false, true, false);
    EXPECT_GT(viewer.ScrollPosition().x(), 0);
    EXPECT_TRUE(viewer.Zoom(0.66));
    EXPECT_DOUBLE_EQ(viewer.ViewScale(), before * 1.5 * 0.66);
    EXPECT_FALSE(viewer.Zoom(0));
    EXPECT_FALSE(viewer.Zoom(-2));

    viewer.FullPage();
    EXPECT_DOUBLE_EQ(viewer.ViewScale(), (600.0 - 16) / 2336.0);
    EXPECT_EQ(viewer.ScrollPosition(), QPointF(0, 0));

    viewer.SetZoomWindowMode(true);
    EXPECT_TRUE(viewer.GetZoomWindowMode());
    EXPECT_TRUE(viewer.ZoomToRect(QRectF(400, 200, 100, 50)));
    EXPECT_GT(viewer.ViewScale(), 5.0 * (600.0 - 16) / 2336.0);
    EXPECT_FALSE(viewer.ZoomToRect(QRectF(400, 200, 1, 1)));
}

TEST_F(ViewerTest, TextSizeIsKeptInRangeAndAnnounced)
{
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    Events events(&viewer);
    viewer.SetTextSize(12);
    viewer.SetTextSize(12);
    viewer.SetTextSize(0); // an empty size list gives 0: nothing changes
    viewer.SetTextSize(500);
    EXPECT_EQ(events.sizes, QList<short>({12, CFormDocument::kMaxTextSize}));
    EXPECT_EQ(viewer.GetTextSize(), CFormDocument::kMaxTextSize);
}

TEST_F(ViewerTest, RequiredFieldsLeftEmptyBecomePrimaryRecords)
{
    CFormDocument document;
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NE"_s, &fields).Failed());
    EXPECT_TRUE(document.RuleErrors().isEmpty()); // nothing missing

    fields.Set(810220, u"   "_s);
    EXPECT_EQ(FormatErrorRecords(document.RuleErrors()),
              QStringList({u"R|810220|9999:Campo obligatorio sin rellenar. (Error "
                           u"Primario)|810220|Denominación social|"_s}));

    // No field source at all: the required field is empty.
    CFormDocument bare;
    ASSERT_FALSE(bare.OpenForm(formFolder, u"K7AP"_s, nullptr).Failed());
    EXPECT_EQ(bare.RuleErrors().size(), 1);
}

TEST_F(ViewerTest, ShowRuleErrorGoesToThePageOfTheFieldAndMarksIt)
{
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    Events events(&viewer);
    viewer.GoToPage(5);
    EXPECT_TRUE(viewer.ShowRuleError(810220));
    EXPECT_EQ(viewer.GetCurrentPage(), 1);
    EXPECT_EQ(viewer.MarkedFieldKey(), 810220);

    // A listed amount: the page of its row, brought into view; its
    // previous-year key too.
    viewer.SetViewportSize(QSize(800, 600));
    viewer.Zoom(4.0);
    EXPECT_TRUE(viewer.ShowRuleError(210000));
    EXPECT_EQ(viewer.GetCurrentPage(), 5);
    const QRect row = viewer.Document()->KeyBox(210000, 4);
    ASSERT_FALSE(row.isEmpty());
    const QPointF seen = viewer.PageOriginInView() + QPointF(row.center()) * viewer.ViewScale();
    EXPECT_TRUE(QRectF(0, 0, 800, 600).contains(seen));
    EXPECT_TRUE(viewer.ShowRuleError(1120001));
    EXPECT_EQ(viewer.GetCurrentPage(), 2);
    EXPECT_EQ(viewer.MarkedFieldKey(), 112000);
    // The error list's numbering of marks: 9999111 is handed over as 9991101.
    EXPECT_TRUE(viewer.ShowRuleError(9991101));
    EXPECT_EQ(viewer.GetCurrentPage(), 1);
    EXPECT_EQ(viewer.MarkedFieldKey(), 999111);
    // Application marks live on the summary page.
    EXPECT_TRUE(viewer.ShowRuleError(780805));
    EXPECT_EQ(viewer.GetCurrentPage(), 13);
    // A key the form does not show: false, the view stays.
    EXPECT_FALSE(viewer.ShowRuleError(555555));
    EXPECT_FALSE(viewer.ShowRuleError(0));
    EXPECT_EQ(viewer.GetCurrentPage(), 13);
    EXPECT_EQ(events.pages.last(), (QPair<short, short>(1, 13)));

    // A date's error names its year: the day and month are marked with it,
    // and nothing of the other date.
    viewer.SetViewportSize(QSize(1648, 2336));
    viewer.Zoom(1.0 / viewer.ViewScale());
    EXPECT_TRUE(viewer.ShowRuleError(810290));
    EXPECT_EQ(viewer.MarkedFieldKey(), 810290);
    QImage view(1648, 2336, QImage::Format_RGB32);
    view.fill(Qt::white);
    {
        QPainter painter(&view);
        viewer.PaintView(painter);
    }
    const auto markedAt = [&](int key) {
        const QRect box = viewer.Document()->KeyBox(key, 0);
        const QPointF corner =
            viewer.PageOriginInView() + QPointF(box.topLeft() + QPoint(4, 4)) * viewer.ViewScale();
        return view.pixelColor(corner.toPoint()) == QColor(255, 240, 120);
    };
    for (int key : {810130, 810120, 810290})
        EXPECT_TRUE(markedAt(key)) << key;
    EXPECT_FALSE(markedAt(810030));
}

TEST_F(ViewerTest, FieldSourceChangesInvalidateAndRefreshRecollects)
{
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    Events events(&viewer);
    document.SetFieldSource(&fields);
    EXPECT_EQ(events.invalidated, 0);
    TestFieldSource other;
    document.SetFieldSource(&other);
    EXPECT_EQ(events.invalidated, 1);
    const int visits = other.visits;
    EXPECT_TRUE(document.RefreshFields());
    EXPECT_EQ(other.visits, visits + 1);
}

QString ResolvedFile(const QString &systemPath)
{
    return PathResolver::Resolve(systemPath);
}

TEST_F(ViewerTest, ExportedPagesAreGroup4TiffsAt200DpiAndTheBarcodeScans)
{
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    ASSERT_TRUE(QDir(drive.path()).mkpath(u"TMP_VK7"_s));
    ASSERT_FALSE(document.ExportPages(u"C:\\TMP_VK7\\"_s).Failed());
    for (int page = 1; page <= 14; ++page) {
        const QString host =
            ResolvedFile(u"C:\\TMP_VK7\\K7.%1"_s.arg(page, 3, 10, QLatin1Char('0')));
        ASSERT_TRUE(QFile::exists(host)) << page;
        vk7::testing::ExpectStandardPageImage(host);
    }
    EXPECT_FALSE(QFile::exists(ResolvedFile(u"C:\\TMP_VK7\\K7.015"_s)));

    // The fingerprint's barcode on page 1 reads back as the fingerprint.
    const QString zbar = QStandardPaths::findExecutable(u"zbarimg"_s);
    ASSERT_FALSE(zbar.isEmpty()) << "zbarimg is needed to check the barcode";
    QImage page1;
    ASSERT_FALSE(LoadImageFile(u"C:\\TMP_VK7\\K7.001"_s, &page1).Failed());
    const QString png = drive.filePath(u"page1.png"_s);
    ASSERT_TRUE(page1.convertToFormat(QImage::Format_Grayscale8).save(png));
    QProcess scan;
    scan.start(zbar, {u"--raw"_s, u"-q"_s, u"-Sdisable"_s, u"-Scode128.enable"_s, png});
    ASSERT_TRUE(scan.waitForFinished(30000));
    const QString decoded = QString::fromLatin1(scan.readAllStandardOutput()).trimmed();
    // FNC1 after the start makes the symbol GS1-128; readers may show it or not.
    EXPECT_TRUE(decoded.endsWith(fields.FieldValue(790998))) << decoded.toStdString();
}

TEST_F(ViewerTest, PrintPagesPutsEachChosenPageOnItsOwnPrinterPage)
{
    CFormDocument document;
    RecordingPrintDevice printer;
    EXPECT_FALSE(document.PrintPages(printer, u"VK7_K7NP_12:00:00"_s, {1})); // no form yet
    ASSERT_FALSE(document.OpenForm(formFolder, u"K7NP"_s, &fields).Failed());
    EXPECT_FALSE(document.PrintPages(printer, u"VK7_K7NP_12:00:00"_s, {}));
    ASSERT_TRUE(document.PrintPages(printer, u"VK7_K7NP_12:00:00"_s, {1, 2, 5}));

    ASSERT_EQ(printer.Jobs().size(), 1);
    const RecordingPrintDevice::Job &job = printer.Jobs().first();
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(job.name, u"VK7_K7NP_12:00:00"_s);
    ASSERT_EQ(job.pages.size(), 3);
    // Each printer page carries the page image the export writes.
    EXPECT_EQ(job.pages.at(2).bitmap, document.RenderPageImage(4));

    // A page the form does not have is not printed, and says so.
    EXPECT_FALSE(document.PrintPages(printer, u"VK7_K7NP_12:00:01"_s, {13, 15}));
    EXPECT_EQ(printer.Jobs().last().pages.size(), 1);
    printer.SetRefusing(true);
    EXPECT_FALSE(document.PrintPages(printer, u"VK7_K7NP_12:00:02"_s, {13}));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
