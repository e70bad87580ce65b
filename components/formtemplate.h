#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include "reception/failure.h"

namespace vk7 {

// A form template as read from a file of the FORM folder (format described in
// FORM/README.md). Coordinates are pixels of the 1648 x 2336 page at 200 dpi.
inline constexpr int kFormPageWidth = 1648;
inline constexpr int kFormPageHeight = 2336;

enum class FieldKind { Text, Amount, Mark, Date, Barcode };
enum class TextAlign { Left, Center, Right };
// Where a page belongs for printing: the first block (identification,
// balance sheet, profit and loss account), the own-shares pages, or the
// pages shown on screen only.
enum class PageBlock { First, Shares, Screen };

struct TemplateText
{
    QRect box;
    QString text;
    TextAlign align = TextAlign::Left;
    int size = 28; // font height in pixels
    bool bold = false;
    bool italic = false;
    // What is written: the text, "Página n de N", or the form's title.
    enum class Content { Fixed, PageNumber, FormTitle } content = Content::Fixed;
};

struct TemplateBox
{
    QRect box;
    int width = 2;
    bool shaded = false;
};

struct TemplateLine
{
    QPoint from;
    QPoint to;
    int width = 2;
};

struct TemplateField
{
    int key = 0;
    QRect box;
    FieldKind kind = FieldKind::Text;
    TextAlign align = TextAlign::Left;
    int size = 0; // 0: the control's text size
    bool required = false;
    QString label; // name shown when a required field is empty
    QString where; // "file:line", for messages
};

// A keyed listing: every key of [from, to] the store holds, in key order.
struct TemplateListing
{
    QString name;
    int from = 0;
    int to = 0;
    bool previous = false; // a column with the previous year's value (key * 10 + 1)
};

// One area of a page where the rows of a listing continue.
struct TemplateRows
{
    int listing = -1; // index into FormTemplate::listings
    QRect box;
    int rowHeight = 40;
};

struct TemplatePage
{
    PageBlock block = PageBlock::First;
    QString title;
    QList<TemplateText> texts;
    QList<TemplateBox> boxes;
    QList<TemplateLine> lines;
    QList<TemplateField> fields;
    QList<TemplateRows> rows;
};

struct FormTemplate
{
    QString name;
    QString title;
    QList<TemplateListing> listings;
    QList<TemplatePage> pages;

    int CountPages(PageBlock block) const;
};

// Reads a template from a host folder. A failure with the reason ("file:line:
// message") when the file is missing or malformed; included files are
// looked up in the same folder.
Failure ParseFormTemplate(const QString &hostFolder, const QString &name, FormTemplate *result);
// The same on a text already in memory (tests, tools); includes still come
// from hostFolder.
Failure ParseFormTemplateText(const QString &hostFolder, const QString &name, const QString &text,
                              FormTemplate *result);

} // namespace vk7
