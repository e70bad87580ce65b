#include <gtest/gtest.h>

#include "components/formdocument.h"
#include "components/formreading.h"
#include "formtesting.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const FormFieldReading *Find(const QList<FormFieldReading> &list, int key)
{
    const int index = IndexOfKey(list, key);
    return index < 0 ? nullptr : &list.at(index);
}

// What a screen reader hears of a page: every value named by its label on
// the form (with its column heading), valued as the page shows it, in the
// order the eye reads the page.
TEST(FormReading, NamesEveryValueByItsLabelsAndReadsThePageLineByLine)
{
    TestFieldSource fields;
    FillOrdinaryDeposit(&fields);
    CFormDocument document;
    const Failure opened = document.Open(SourceFormFolder(), u"K7NP"_s);
    ASSERT_FALSE(opened.Failed()) << qPrintable(opened.text);
    document.SetFieldSource(&fields);
    document.Refresh();

    const QList<FormFieldReading> ident = ReadFormPage(document, 0);
    ASSERT_FALSE(ident.isEmpty());
    // The page heading's NIF comes first, then the company's name beside it.
    EXPECT_EQ(ident.at(0).key, 810210);
    EXPECT_EQ(ident.at(0).name, u"NIF"_s);
    EXPECT_EQ(ident.at(0).value, u"A28015865"_s);
    EXPECT_EQ(ident.at(1).key, 810220);
    EXPECT_EQ(ident.at(1).name, u"Denominación"_s);

    // A date in three parts: its line's label and the part's column heading,
    // day before month before year.
    const FormFieldReading *day = Find(ident, 810130);
    ASSERT_TRUE(day);
    EXPECT_EQ(day->name, u"Fecha de inicio, Día"_s);
    EXPECT_EQ(day->value, u"01"_s);
    EXPECT_LT(IndexOfKey(ident, 810130), IndexOfKey(ident, 810120));
    EXPECT_LT(IndexOfKey(ident, 810120), IndexOfKey(ident, 810290));
    // A section's title above a field is not its column.
    EXPECT_EQ(Find(ident, 810010)->name, u"Código de actividad (CNAE)"_s);
    // The same key lower down is named by its own line, not by the title of
    // the section over it.
    EXPECT_EQ(Find(ident.mid(2), 810220)->name, u"Denominación social (*)"_s);
    // A column's heading names every row of the column.
    EXPECT_EQ(Find(ident, 999515)->name, u"Pérdidas y ganancias abreviada (*), Miles de euros"_s);
    // Amounts as the page writes them; the previous year by its heading.
    const FormFieldReading *staff = Find(ident, 8101001);
    ASSERT_TRUE(staff);
    EXPECT_EQ(staff->name, u"Personal fijo (*), Ejercicio anterior"_s);
    EXPECT_EQ(Find(ident, 810100)->value, u"42,5"_s);
    // A field with no text beside or above it is named by its key; bars are
    // not read as their glyphs.
    EXPECT_EQ(Find(ident, 790999)->name, u"Clave 790999"_s);
    EXPECT_EQ(Find(ident, 790999)->value, u"código de barras"_s);

    // A statement page reads its listing, row by row, both years.
    const QList<FormFieldReading> assets = ReadFormPage(document, 1);
    const int current = IndexOfKey(assets, 120000);
    ASSERT_GE(current, 0);
    EXPECT_EQ(assets.at(current).name, u"Clave 120000, Ejercicio actual"_s);
    EXPECT_EQ(assets.at(current).value, FormatAmount(fields.FieldValue(120000)));
    ASSERT_EQ(IndexOfKey(assets, 1200001), current + 1);
    EXPECT_EQ(assets.at(current + 1).name, u"Clave 120000, Ejercicio anterior"_s);
    EXPECT_LT(IndexOfKey(assets, 110000), current);

    EXPECT_TRUE(ReadFormPage(document, document.PageCount()).isEmpty());
}

} // namespace
