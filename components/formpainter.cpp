#include "components/formpainter.h"

#include <QFont>
#include <QPainter>
#include <QPen>

#include "components/code128.h"
#include "components/formdocument.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// Metric-compatible fonts picked by exact family, so pages are alike everywhere.
const QString kFamily = u"Liberation Sans"_s;
constexpr int kCellPadding = 6;

QFont PageFont(double pixelSize, bool bold = false, bool italic = false)
{
    QFont font(kFamily);
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferMatch);
    return font;
}

Qt::Alignment HorizontalAlignment(TextAlign align)
{
    switch (align) {
    case TextAlign::Center:
        return Qt::AlignHCenter;
    case TextAlign::Right:
        return Qt::AlignRight;
    case TextAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}

// Text inside a box, never outside it whatever its length.
void DrawClippedText(QPainter &painter, const QRectF &box, const QString &text, Qt::Alignment align,
                     int flags = 0)
{
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    const QRectF inner = box.adjusted(kCellPadding, 0, -kCellPadding, 0);
    painter.drawText(inner, static_cast<int>(align | Qt::AlignVCenter) | flags, text);
    painter.restore();
}

void PaintField(QPainter &painter, const CFormDocument &document, const TemplateField &field,
                const FormPaintOptions &options)
{
    const QRectF box(field.box);
    const QString text = document.FieldText(field);
    const bool marked = (options.markedKey != 0 && options.markedKey == field.key) ||
                        options.markedWith.contains(field.key);

    if (marked)
        painter.fillRect(box, QColor(255, 240, 120));

    if (field.kind == FieldKind::Barcode) {
        if (!text.isEmpty()) {
            painter.save();
            painter.setClipRect(box, Qt::IntersectClip);
            DrawCode128Glyphs(painter, box, text);
            painter.restore();
        }
    } else if (!text.isEmpty()) {
        // The control's text size, but never taller than the box.
        double size = field.size > 0 ? field.size : document.TextPixelSize();
        size = std::min(size, box.height() - 2.0);
        painter.setFont(PageFont(size, field.kind == FieldKind::Mark));
        painter.setPen(Qt::black);
        DrawClippedText(painter, box, text, HorizontalAlignment(field.align));
    }

    if (options.showFieldBoxes) {
        painter.setPen(QPen(QColor(120, 120, 200), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
    }
    if (options.showRequired && field.required && text.trimmed().isEmpty()) {
        painter.setPen(QPen(QColor(230, 120, 0), 4, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(-3, -3, 3, 3));
    }
    if (marked) {
        painter.setPen(QPen(QColor(220, 0, 0), 6));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(-5, -5, 5, 5));
    }
    if (options.showKeys) {
        painter.setFont(PageFont(16));
        painter.setPen(QColor(0, 0, 200));
        painter.drawText(box.topLeft() + QPointF(2, 16), QString::number(field.key));
    }
}

void PaintRows(QPainter &painter, const CFormDocument &document, const TemplateRows &area,
               const RowsSlice &slice, const FormPaintOptions &options)
{
    const TemplateListing &listing = document.Template().listings.at(area.listing);
    const QList<ListingRow> &rows = document.Rows(area.listing);
    const QRectF box(area.box);
    const double h = area.rowHeight;
    // Columns: the key, then the current year, then (for amounts) the previous one.
    const double keyWidth = std::min(box.width() * 0.3, 170.0);
    const double valueWidth =
        listing.previous ? (box.width() - keyWidth) / 2.0 : box.width() - keyWidth;
    const Qt::Alignment valueAlign = listing.previous ? Qt::AlignRight : Qt::AlignLeft;
    const double textSize = std::min(document.TextPixelSize(), h - 4.0);

    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.setPen(QPen(Qt::black, 2));

    // Column headings.
    painter.setFont(PageFont(std::min(26.0, h - 6.0), true));
    QRectF cell(box.left(), box.top(), keyWidth, h);
    DrawClippedText(painter, cell, u"Clave"_s, Qt::AlignLeft);
    cell = QRectF(box.left() + keyWidth, box.top(), valueWidth, h);
    DrawClippedText(painter, cell, listing.previous ? u"Ejercicio actual"_s : u"Valor"_s,
                    valueAlign);
    if (listing.previous) {
        cell.translate(valueWidth, 0);
        DrawClippedText(painter, cell, u"Ejercicio anterior"_s, Qt::AlignRight);
    }
    painter.drawLine(QPointF(box.left(), box.top() + h), QPointF(box.right(), box.top() + h));

    painter.setPen(QPen(Qt::black, 1));
    for (int i = 0; i < slice.count; ++i) {
        const ListingRow &row = rows.at(slice.first + i);
        const double y = box.top() + h * (i + 1);
        const QRectF line(box.left(), y, box.width(), h);
        const bool marked =
            options.markedKey != 0 && (options.markedKey == row.key ||
                                       (listing.previous && options.markedKey == row.key * 10 + 1));
        if (marked)
            painter.fillRect(line, QColor(255, 240, 120));
        painter.setPen(Qt::black);
        painter.setFont(PageFont(textSize));
        DrawClippedText(painter, QRectF(box.left(), y, keyWidth, h), QString::number(row.key),
                        Qt::AlignLeft);
        const QString current = listing.previous ? FormatAmount(row.current) : row.current;
        DrawClippedText(painter, QRectF(box.left() + keyWidth, y, valueWidth, h), current,
                        valueAlign);
        if (listing.previous)
            DrawClippedText(painter, QRectF(box.left() + keyWidth + valueWidth, y, valueWidth, h),
                            FormatAmount(row.previous), Qt::AlignRight);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawLine(QPointF(box.left(), y + h), QPointF(box.right(), y + h));
        if (marked) {
            painter.setPen(QPen(QColor(220, 0, 0), 5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(line.adjusted(2, 2, -2, -2));
        }
    }

    const double after = box.top() + h * (slice.count + 1);
    painter.setPen(Qt::black);
    painter.setFont(PageFont(std::min(26.0, h - 6.0), true, true));
    if (slice.hidden > 0) {
        const QString note =
            slice.hidden == 1
                ? u"Falta 1 clave con valor que no cabe en estas páginas."_s
                : u"Faltan %1 claves con valor que no caben en estas páginas."_s.arg(slice.hidden);
        DrawClippedText(painter, QRectF(box.left(), after, box.width(), h), note, Qt::AlignLeft);
    } else if (rows.isEmpty() && slice.first == 0) {
        DrawClippedText(painter, QRectF(box.left(), after, box.width(), h),
                        u"Ninguna clave de este intervalo tiene valor en el depósito."_s,
                        Qt::AlignLeft);
    }
    painter.restore();
}

} // namespace

void PaintFormPage(QPainter &painter, const CFormDocument &document, int page,
                   const FormPaintOptions &options)
{
    if (page < 0 || page >= document.PageCount())
        return;
    const TemplatePage &content = document.Template().pages.at(page);
    painter.save();
    painter.fillRect(QRect(0, 0, kFormPageWidth, kFormPageHeight), Qt::white);

    for (const TemplateBox &box : content.boxes) {
        if (box.shaded)
            painter.fillRect(box.box, QBrush(Qt::black, Qt::Dense7Pattern));
        painter.setPen(QPen(Qt::black, box.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.box);
    }
    for (const TemplateLine &line : content.lines) {
        painter.setPen(QPen(Qt::black, line.width));
        painter.drawLine(line.from, line.to);
    }
    for (const TemplateText &text : content.texts) {
        painter.setPen(Qt::black);
        painter.setFont(PageFont(text.size, text.bold, text.italic));
        QString shown = text.text;
        if (text.content == TemplateText::Content::PageNumber)
            shown = u"Página %1 de %2"_s.arg(page + 1).arg(document.PageCount());
        else if (text.content == TemplateText::Content::FormTitle)
            shown = document.Template().title;
        DrawClippedText(painter, text.box, shown, HorizontalAlignment(text.align),
                        Qt::TextWordWrap);
    }
    for (int r = 0; r < content.rows.size(); ++r)
        PaintRows(painter, document, content.rows.at(r), document.Slice(page, r), options);
    for (const TemplateField &field : content.fields)
        PaintField(painter, document, field, options);

    painter.restore();
}

} // namespace vk7
