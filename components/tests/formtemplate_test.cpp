#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/formtemplate.h"
#include "formtesting.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

struct FormShape
{
    const char *name;
    int first;
};

// The printing of form pages picks them by position: the first block, then
// the own-shares pages, then two pages never printed.
TEST(FormTemplates, EachFormHasThePrintingBlocksInOrder)
{
    const FormShape shapes[] = {{"K7NP", 10}, {"K7NE", 10}, {"K7AP", 5}, {"K7AE", 5}, {"K7ME", 8}};
    for (const FormShape &shape : shapes) {
        SCOPED_TRACE(shape.name);
        FormTemplate form;
        const Failure parsed =
            ParseFormTemplate(SourceFormFolder(), QString::fromLatin1(shape.name), &form);
        ASSERT_FALSE(parsed.Failed()) << parsed.text.toStdString();
        EXPECT_EQ(form.CountPages(PageBlock::First), shape.first);
        EXPECT_EQ(form.CountPages(PageBlock::Shares), 2);
        EXPECT_EQ(form.CountPages(PageBlock::Screen), 2);
        ASSERT_EQ(form.pages.size(), shape.first + 4);
        for (int i = 0; i < form.pages.size(); ++i) {
            const PageBlock expected = i < shape.first       ? PageBlock::First
                                       : i < shape.first + 2 ? PageBlock::Shares
                                                             : PageBlock::Screen;
            EXPECT_EQ(form.pages.at(i).block, expected) << "page " << i + 1;
        }
        EXPECT_FALSE(form.title.isEmpty());
    }
}

// A wrong "required" makes good deposits invalid: only the company name is.
TEST(FormTemplates, OnlyTheCompanyNameIsRequiredAndPage1CarriesTheFingerprint)
{
    const char *names[] = {"K7NP", "K7NE", "K7AP", "K7AE", "K7ME"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        FormTemplate form;
        ASSERT_FALSE(
            ParseFormTemplate(SourceFormFolder(), QString::fromLatin1(name), &form).Failed());
        QSet<int> required;
        for (const TemplatePage &page : form.pages) {
            for (const TemplateField &field : page.fields) {
                if (field.required)
                    required.insert(field.key);
            }
        }
        EXPECT_EQ(required, QSet<int>{810220});
        bool fingerprint = false;
        bool barcode = false;
        for (const TemplateField &field : form.pages.first().fields) {
            fingerprint |= field.key == 790998 && field.kind == FieldKind::Text;
            barcode |= field.key == 790999 && field.kind == FieldKind::Barcode;
        }
        EXPECT_TRUE(fingerprint);
        EXPECT_TRUE(barcode);
        // Every accounting key range is listed somewhere in the first block.
        for (int from : {100000, 200000, 300000, 400000}) {
            bool listed = false;
            for (int p = 0; p < form.pages.size(); ++p) {
                for (const TemplateRows &rows : form.pages.at(p).rows) {
                    const TemplateListing &listing = form.listings.at(rows.listing);
                    listed |= listing.from == from && listing.previous &&
                              form.pages.at(p).block == PageBlock::First;
                }
            }
            EXPECT_TRUE(listed) << from;
        }
    }
}

TEST(FormTemplateFormat, ReadsElementsOptionsAndIncludes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile common(dir.filePath(u"COMUN"_s));
    ASSERT_TRUE(common.open(QIODevice::WriteOnly));
    common.write("text 10 10 200 40 \"Clave \\\"uno\\\"\" bold size=30 right # comentario\n");
    common.close();
    const QString text = uR"(form "Prueba"
listing activo 100000 199999 previous
page first "Uno"
include COMUN
field 810220 10 60 800 40 text required "Denominación social"
field 810100 10 110 300 40 amount
field 999021 10 160 40 40 mark left
box 0 0 1648 2336 width=3 shaded
line 0 2336 1648 0
rows activo 10 300 700 400 height=50
pagenumber 1200 10 400 40 right
page shares "Dos"
page screen "Tres"
)"_s;
    FormTemplate form;
    const Failure parsed = ParseFormTemplateText(dir.path(), u"K7XX"_s, text, &form);
    ASSERT_FALSE(parsed.Failed()) << parsed.text.toStdString();
    EXPECT_EQ(form.title, u"Prueba"_s);
    ASSERT_EQ(form.pages.size(), 3);
    const TemplatePage &page = form.pages.first();
    ASSERT_EQ(page.texts.size(), 2);
    EXPECT_EQ(page.texts.at(0).text, u"Clave \"uno\""_s);
    EXPECT_TRUE(page.texts.at(0).bold);
    EXPECT_EQ(page.texts.at(0).size, 30);
    EXPECT_EQ(page.texts.at(0).align, TextAlign::Right);
    EXPECT_EQ(page.texts.at(1).content, TemplateText::Content::PageNumber);
    ASSERT_EQ(page.fields.size(), 3);
    EXPECT_TRUE(page.fields.at(0).required);
    EXPECT_EQ(page.fields.at(0).label, u"Denominación social"_s);
    EXPECT_EQ(page.fields.at(1).kind, FieldKind::Amount);
    EXPECT_EQ(page.fields.at(1).align, TextAlign::Right); // amounts default to the right
    EXPECT_EQ(page.fields.at(2).align, TextAlign::Left);
    EXPECT_TRUE(page.boxes.at(0).shaded);
    EXPECT_EQ(page.boxes.at(0).width, 3);
    ASSERT_EQ(page.rows.size(), 1);
    EXPECT_EQ(page.rows.at(0).rowHeight, 50);
    EXPECT_EQ(form.listings.at(page.rows.at(0).listing).to, 199999);
    EXPECT_EQ(form.pages.at(1).block, PageBlock::Shares);
}

struct BadCase
{
    const char *text;
    const char *where; // the place the message must name
};

TEST(FormTemplateFormat, MalformedInputIsRefusedWithFileAndLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile bad(dir.filePath(u"MALO"_s));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("page first \"x\"\nbox 0 0 10\n");
    bad.close();
    QFile loop(dir.filePath(u"BUCLE"_s));
    ASSERT_TRUE(loop.open(QIODevice::WriteOnly));
    loop.write("include BUCLE\n");
    loop.close();

    const BadCase cases[] = {
        {"page first \"a\"\ntext 1 1 10 10 \"sin cerrar\n", "K7XX:2"},
        {"page first \"a\"\nelipse 1 1 10 10\n", "K7XX:2"},
        {"page first \"a\"\n\nfield 810220 1600 10 100 40 text\n", "K7XX:3"},
        {"page first \"a\"\nfield 81O220 10 10 100 40 text\n", "K7XX:2"},
        {"page first \"a\"\nfield -5 10 10 100 40 text\n", "K7XX:2"},
        {"page first \"a\"\nfield 810220 10 10 100 40 texto\n", "K7XX:2"},
        {"page first \"a\"\nfield 810220 10 10 100 40 text required\n", "K7XX:2"},
        {"page first \"a\"\nbox 10 2300 100 40\n", "K7XX:2"},
        {"page first \"a\"\nline 0 0 1649 10\n", "K7XX:2"},
        {"page first \"a\"\nbox 10 10 100 40 colour=red\n", "K7XX:2"},
        {"text 1 1 10 10 \"antes de la página\"\n", "K7XX:1"},
        {"page first \"a\"\nrows nada 10 10 700 400\n", "K7XX:2"},
        {"listing a 2 1\npage first \"a\"\n", "K7XX:1"},
        {"page screen \"a\"\npage first \"b\"\n", "K7XX:2"},
        {"page otro \"a\"\n", "K7XX:1"},
        {"page first \"a\"\ninclude NOEXISTE\n", "K7XX:2"},
        {"page first \"a\"\ninclude ../K7NP\n", "K7XX:2"},
        {"include MALO\n", "MALO:2"},
        {"include BUCLE\n", "BUCLE:1"},
        {"# sin páginas\n", "K7XX"},
        {"listing a 1 5\npage first \"a\"\nrows a 10 10 700 60 height=40\n", "K7XX:3"},
    };
    for (const BadCase &bad : cases) {
        SCOPED_TRACE(bad.text);
        FormTemplate form;
        const Failure parsed =
            ParseFormTemplateText(dir.path(), u"K7XX"_s, QString::fromUtf8(bad.text), &form);
        EXPECT_TRUE(parsed.Failed());
        const QString &error = parsed.text;
        EXPECT_TRUE(error.startsWith(QString::fromLatin1(bad.where) + u':') ||
                    error.startsWith(QString::fromLatin1(bad.where)))
            << error.toStdString();
    }
}

TEST(FormTemplateFormat, MissingFileIsFalseAndNamesAreMatchedRegardlessOfCase)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FormTemplate form;
    const Failure missing = ParseFormTemplate(dir.path(), u"K7NP"_s, &form);
    EXPECT_TRUE(missing.Failed());
    EXPECT_TRUE(missing.text.contains(u"K7NP"_s));
    QFile lower(dir.filePath(u"k7np"_s));
    ASSERT_TRUE(lower.open(QIODevice::WriteOnly));
    lower.write("page first \"a\"\n");
    lower.close();
    EXPECT_FALSE(ParseFormTemplate(dir.path(), u"K7NP"_s, &form).Failed());
    // A name is never a path out of the folder.
    QDir(dir.path()).mkpath(u"sub"_s);
    QFile::copy(dir.filePath(u"k7np"_s), dir.filePath(u"sub/K7NP"_s));
    EXPECT_TRUE(ParseFormTemplate(dir.filePath(u"sub"_s), u"../k7np"_s, &form).Failed());
    EXPECT_TRUE(ParseFormTemplate(dir.path(), u"sub/K7NP"_s, &form).Failed());
    EXPECT_TRUE(ParseFormTemplate(dir.path(), QString(), &form).Failed());
}

} // namespace
