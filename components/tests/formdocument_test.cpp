#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/formdocument.h"
#include "components/formpainter.h"
#include "formtesting.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

TEST(FormatAmount, ThousandsSeparatorsAndTheDecimalsTheValueHolds)
{
    EXPECT_EQ(FormatAmount(u"1234.56"_s), u"1.234,56"_s);
    EXPECT_EQ(FormatAmount(u"1234"_s), u"1.234"_s);
    EXPECT_EQ(FormatAmount(u"-500"_s), u"-500"_s);
    EXPECT_EQ(FormatAmount(u"-1234567.5"_s), u"-1.234.567,5"_s);
    EXPECT_EQ(FormatAmount(u"123456"_s), u"123.456"_s);
    EXPECT_EQ(FormatAmount(u"0"_s), u"0"_s);
    EXPECT_EQ(FormatAmount(u"42,25"_s), u"42,25"_s);
    EXPECT_EQ(FormatAmount(u"999999999999999.99"_s), u"999.999.999.999.999,99"_s);
    // Not a plain number: shown as it is.
    EXPECT_EQ(FormatAmount(u"12a"_s), u"12a"_s);
    EXPECT_EQ(FormatAmount(u"1.2.3"_s), u"1.2.3"_s);
    EXPECT_EQ(FormatAmount(QString()), QString());
}

// A form written for the test, in a folder of its own.
class DocumentTest : public ::testing::Test
{
protected:
    bool Open(const QByteArray &text)
    {
        QFile file(dir.filePath(u"K7T"_s));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(text);
        file.close();
        const Failure opened = document.Open(dir.path(), u"K7T"_s);
        if (opened.Failed())
            ADD_FAILURE() << opened.text.toStdString();
        return !opened.Failed();
    }

    QTemporaryDir dir;
    TestFieldSource fields;
    CFormDocument document;
};

// Two areas of 3 rows each (4 rows high, one for the headings).
const QByteArray kListingForm = R"(listing activo 100000 199999 previous
page first "a"
rows activo 10 10 700 160 height=40
field 150000 10 500 300 40 amount
page first "b"
rows activo 10 10 700 160 height=40
page screen "c"
)";

TEST_F(DocumentTest, ListingsHoldTheRangeInKeyOrderWithBothYears)
{
    fields.Set(130000, u"30"_s);
    fields.Set(99999, u"fuera"_s);
    fields.Set(110000, u"10.5"_s);
    fields.Set(1100001, u"9"_s);
    fields.Append(110000, u"otro"_s); // a second record: the first wins
    fields.Set(120000, QString());    // emptied by a range clearing
    fields.Set(1200001, QString());
    fields.Set(1400001, u"7"_s); // only the previous year holds a value
    fields.Set(150000, u"5"_s);  // has a cell of its own
    fields.Set(200000, u"fuera"_s);
    document.SetFieldSource(&fields);
    ASSERT_TRUE(Open(kListingForm));
    const QList<ListingRow> &rows = document.Rows(0);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(0).key, 110000);
    EXPECT_EQ(rows.at(0).current, u"10.5"_s);
    EXPECT_EQ(rows.at(0).previous, u"9"_s);
    EXPECT_EQ(rows.at(1).key, 130000);
    EXPECT_EQ(rows.at(2).key, 140000);
    EXPECT_EQ(rows.at(2).previous, u"7"_s);
    const RowsSlice first = document.Slice(0, 0);
    EXPECT_EQ(first.first, 0);
    EXPECT_EQ(first.count, 3);
    EXPECT_EQ(first.hidden, 0);
    EXPECT_EQ(document.Slice(1, 0).count, 0);
    EXPECT_EQ(document.PageOfKey(130000), 0);
    EXPECT_EQ(document.PageOfKey(150000), 0);
    EXPECT_EQ(document.PageOfKey(120000), -1);
}

TEST_F(DocumentTest, RowsContinueOverTheReservedPagesAndANoteCountsTheRest)
{
    for (int i = 0; i < 6; ++i)
        fields.Set(100000 + i, u"1"_s);
    document.SetFieldSource(&fields);
    ASSERT_TRUE(Open(kListingForm));
    EXPECT_EQ(document.Slice(0, 0).count, 3);
    EXPECT_EQ(document.Slice(1, 0).first, 3);
    EXPECT_EQ(document.Slice(1, 0).count, 3);
    EXPECT_EQ(document.Slice(1, 0).hidden, 0);
    EXPECT_EQ(document.PageOfKey(100005), 1);

    // One more row than fits: the last place holds the note about two rows.
    fields.Set(100006, u"1"_s);
    document.Refresh();
    EXPECT_EQ(document.Slice(1, 0).count, 2);
    EXPECT_EQ(document.Slice(1, 0).hidden, 2);
    EXPECT_EQ(document.PageOfKey(100006), 1); // the page with the note
    EXPECT_EQ(document.PageCount(), 3);       // pages never grow
}

TEST_F(DocumentTest, AHundredThousandKeysAreCollectedOncePerRefresh)
{
    for (int i = 0; i < 100000; ++i)
        fields.Set(199999 - i, QString::number(i));
    document.SetFieldSource(&fields);
    ASSERT_TRUE(Open(kListingForm));
    EXPECT_EQ(fields.visits, 1);
    const QList<ListingRow> &rows = document.Rows(0);
    ASSERT_EQ(rows.size(), 99999); // 150000 has its own cell
    EXPECT_TRUE(
        std::is_sorted(rows.begin(), rows.end(),
                       [](const ListingRow &a, const ListingRow &b) { return a.key < b.key; }));
    EXPECT_EQ(document.Slice(1, 0).hidden, 99999 - 5);
    // Painting every page does not go back to the store.
    QImage image(200, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(200.0 / 1648, 300.0 / 2336);
    for (int page = 0; page < document.PageCount(); ++page)
        PaintFormPage(painter, document, page);
    painter.end();
    EXPECT_EQ(fields.visits, 1);
}

TEST_F(DocumentTest, RequiredFieldsAreReportedOnceEachWithTheirLabel)
{
    document.SetFieldSource(&fields);
    ASSERT_TRUE(Open(R"(page first "a"
field 810220 10 10 300 40 text required "Denominación social"
field 810210 10 60 300 40 text required "NIF"
page first "b"
field 810220 10 10 300 40 text required "Denominación social"
)"));
    fields.Set(810210, u"A28015865"_s);
    EXPECT_EQ(FormatErrorRecords(document.RuleErrors()),
              QStringList({u"R|810220|9999:Campo obligatorio sin rellenar. (Error Primario)|810220|"
                           u"Denominación social|"_s}));
    fields.Set(810220, u"X"_s);
    EXPECT_TRUE(document.RuleErrors().isEmpty());
}

// Pixels that differ between two renderings of a page, outside a box.
int PixelsChangedOutside(const QImage &a, const QImage &b, const QRect &box)
{
    int changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!box.contains(x, y) && a.pixel(x, y) != b.pixel(x, y))
                ++changed;
        }
    }
    return changed;
}

TEST_F(DocumentTest, ValuesOfAnyLengthStayInsideTheirBoxes)
{
    document.SetFieldSource(&fields);
    ASSERT_TRUE(Open(R"(listing l 100000 199999 previous
page first "a"
field 810220 100 100 300 40 text
field 810100 100 200 200 40 amount
field 999021 100 300 40 40 mark
field 790999 100 400 600 100 barcode
rows l 100 600 500 120
)"));
    const QImage empty = document.RenderPageImage(0);
    fields.Set(810220, QString(5000, u'W'));
    fields.Set(810100, QString(300, u'9'));
    fields.Set(999021, u"XXXXXXXXXXXX"_s);
    fields.Set(790999, QString(400, u'0'));
    fields.Set(100000, QString(300, u'8'));
    fields.Set(1000001, QString(300, u'7'));
    document.SetTextSize(72);
    document.Refresh();
    const QImage full = document.RenderPageImage(0);
    int outside = 0;
    for (int y = 0; y < full.height(); ++y) {
        for (int x = 0; x < full.width(); ++x) {
            const bool inBox = QRect(100, 100, 300, 40).contains(x, y) ||
                               QRect(100, 200, 200, 40).contains(x, y) ||
                               QRect(100, 300, 40, 40).contains(x, y) ||
                               QRect(100, 400, 600, 100).contains(x, y) ||
                               QRect(100, 600, 500, 120).contains(x, y);
            if (!inBox && empty.pixel(x, y) != full.pixel(x, y))
                ++outside;
        }
    }
    EXPECT_EQ(outside, 0);
    // And something was drawn inside.
    EXPECT_GT(PixelsChangedOutside(empty, full, QRect()), 1000);
}

TEST_F(DocumentTest, ExportedPageIsOneBitAt200Dpi)
{
    ASSERT_TRUE(Open("page first \"a\"\ntext 10 10 500 60 \"Hoja\"\n"));
    const QImage page = document.RenderPageImage(0);
    EXPECT_EQ(page.size(), QSize(1648, 2336));
    EXPECT_EQ(page.depth(), 1);
    EXPECT_EQ(page.dotsPerMeterX(), 7874);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
