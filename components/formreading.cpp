#include "components/formreading.h"

#include <algorithm>
#include <cstdlib>

#include "components/formdocument.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// A column heading sits just above its values; farther up it belongs to
// another part of the page.
constexpr int kHeadingReach = 400;

bool OnLineOf(const QRect &text, const QRect &field)
{
    const int middle = field.center().y();
    return text.top() <= middle && middle <= text.bottom();
}

// A text with a field to its right on its line labels that line: it is not
// the heading of a column.
bool LabelsALine(const TemplatePage &page, const QRect &text)
{
    return std::any_of(page.fields.begin(), page.fields.end(), [&](const TemplateField &field) {
        return field.box.left() >= text.right() - 4 && OnLineOf(text, field.box);
    });
}

// The nearest fixed text to the left of the field on its line.
const TemplateText *RowLabel(const TemplatePage &page, const QRect &box)
{
    const TemplateText *best = nullptr;
    for (const TemplateText &text : page.texts) {
        if (text.content != TemplateText::Content::Fixed || text.box.right() > box.left() + 4 ||
            !OnLineOf(text.box, box))
            continue;
        if (!best || text.box.right() > best->box.right())
            best = &text;
    }
    return best;
}

// A field of another width between a text and a field below it ends the
// column the text heads; fields of the column itself continue it.
bool OtherFieldBetween(const TemplatePage &page, const QRect &text, const QRect &box)
{
    const int middle = box.center().x();
    return std::any_of(page.fields.begin(), page.fields.end(), [&](const TemplateField &field) {
        const QRect &f = field.box;
        const bool sameColumn =
            std::abs(f.left() - box.left()) <= 4 && std::abs(f.right() - box.right()) <= 4;
        return f.top() > text.bottom() && f.bottom() < box.top() && f.left() <= middle &&
               f.right() >= middle && !sameColumn;
    });
}

// A line drawn across the gap between a text and a field below it parts them.
bool LineBetween(const TemplatePage &page, const QRect &text, const QRect &box)
{
    return std::any_of(page.lines.begin(), page.lines.end(), [&](const TemplateLine &line) {
        const int y = (line.from.y() + line.to.y()) / 2;
        const int left = std::min(line.from.x(), line.to.x());
        const int right = std::max(line.from.x(), line.to.x());
        return y > text.bottom() && y < box.top() && left <= box.center().x() &&
               right >= box.center().x();
    });
}

// The nearest fixed text above the field, over its middle, not much wider
// than it, not parted from it by a line and not over its line's label (a
// section's title spans both).
QString ColumnHeading(const TemplatePage &page, const QRect &box, const QRect &rowLabel)
{
    const int middle = box.center().x();
    const TemplateText *best = nullptr;
    for (const TemplateText &text : page.texts) {
        const QRect &t = text.box;
        if (text.content != TemplateText::Content::Fixed || t.bottom() > box.top() + 4 ||
            box.top() - t.bottom() > kHeadingReach || middle < t.left() || middle > t.right() ||
            t.width() > 3 * box.width() || LabelsALine(page, t) || LineBetween(page, t, box) ||
            OtherFieldBetween(page, t, box) ||
            (!rowLabel.isEmpty() && t.left() < rowLabel.right() && t.right() > rowLabel.left()))
            continue;
        if (!best || t.bottom() > best->box.bottom())
            best = &text;
    }
    return best ? best->text.simplified() : QString();
}

QString FieldName(const TemplatePage &page, const TemplateField &field)
{
    const TemplateText *label = RowLabel(page, field.box);
    const QString row = label ? label->text.simplified() : QString();
    const QString column = ColumnHeading(page, field.box, label ? label->box : QRect());
    if (!row.isEmpty() && !column.isEmpty())
        return row + u", "_s + column;
    if (!row.isEmpty() || !column.isEmpty())
        return row + column;
    return field.label.isEmpty() ? u"Clave %1"_s.arg(field.key) : field.label;
}

QString FieldValue(const CFormDocument &document, const TemplateField &field)
{
    const QString shown = document.FieldText(field);
    // Bars are not read out as their glyph string.
    if (field.kind == FieldKind::Barcode)
        return shown.isEmpty() ? QString() : u"código de barras"_s;
    return shown;
}

// The cells of a listing's rows on a page, laid out as they are painted.
void ReadRows(const CFormDocument &document, const TemplateRows &area, const RowsSlice &slice,
              QList<FormFieldReading> *out)
{
    const TemplateListing &listing = document.Template().listings.at(area.listing);
    const QList<ListingRow> &rows = document.Rows(area.listing);
    const QRect box = area.box;
    const int keyWidth = static_cast<int>(std::min(box.width() * 0.3, 170.0));
    const int valueWidth = listing.previous ? (box.width() - keyWidth) / 2 : box.width() - keyWidth;
    const QString currentHeading = listing.previous ? u"Ejercicio actual"_s : u"Valor"_s;
    for (int i = 0; i < slice.count && slice.first + i < rows.size(); ++i) {
        const ListingRow &row = rows.at(slice.first + i);
        const int y = box.top() + area.rowHeight * (i + 1);
        const QString key = QString::number(row.key);
        out->append({row.key, u"Clave %1, %2"_s.arg(key, currentHeading),
                     listing.previous ? FormatAmount(row.current) : row.current,
                     QRect(box.left() + keyWidth, y, valueWidth, area.rowHeight)});
        if (listing.previous)
            out->append({row.key * 10 + 1, u"Clave %1, Ejercicio anterior"_s.arg(key),
                         FormatAmount(row.previous),
                         QRect(box.left() + keyWidth + valueWidth, y, valueWidth, area.rowHeight)});
    }
}

} // namespace

QList<FormFieldReading> ReadFormPage(const CFormDocument &document, int page)
{
    QList<FormFieldReading> values;
    if (!document.IsOpen() || page < 0 || page >= document.PageCount())
        return values;
    const TemplatePage &content = document.Template().pages.at(page);
    for (const TemplateField &field : content.fields)
        values.append(
            {field.key, FieldName(content, field), FieldValue(document, field), field.box});
    for (int r = 0; r < content.rows.size(); ++r)
        ReadRows(document, content.rows.at(r), document.Slice(page, r), &values);

    // Lines: a value whose middle falls within the first box of a line
    // belongs to it; lines from the top, values in a line from the left.
    std::stable_sort(values.begin(), values.end(),
                     [](const auto &a, const auto &b) { return a.box.top() < b.box.top(); });
    QList<FormFieldReading> ordered;
    for (qsizetype start = 0; start < values.size();) {
        const QRect first = values.at(start).box;
        qsizetype end = start + 1;
        while (end < values.size() && values.at(end).box.center().y() <= first.bottom())
            ++end;
        QList<FormFieldReading> line = values.mid(start, end - start);
        std::stable_sort(line.begin(), line.end(),
                         [](const auto &a, const auto &b) { return a.box.left() < b.box.left(); });
        ordered += line;
        start = end;
    }
    return ordered;
}

int IndexOfKey(const QList<FormFieldReading> &list, int key)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).key == key)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace vk7
