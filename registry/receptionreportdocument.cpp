#include "receptionreportdocument.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <QDateTime>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// A4 in points, and the margins of the page.
constexpr qreal kPageWidth = 595.0;
constexpr qreal kPageHeight = 842.0;
constexpr qreal kMargin = 42.0;
constexpr qreal kFoot = 30.0;
constexpr qreal kWidth = kPageWidth - 2 * kMargin;

constexpr int kVerdicts = 3;
constexpr ReceptionVerdict kVerdictOrder[kVerdicts] = {
    ReceptionVerdict::Valid, ReceptionVerdict::NotValid, ReceptionVerdict::Failed};

// The outcomes' colours stay apart three ways: by hue for most readers,
// by lightness (dark, light, middle) in grey print and for a reader who
// tells no hues apart, and the failed ones are hatched besides.
QColor VerdictColour(int verdict)
{
    static const QColor colours[kVerdicts] = {QColor(0x2B, 0x5C, 0x8A), QColor(0xF2, 0xB1, 0x34),
                                              QColor(0xC8, 0x55, 0x3D)};
    return colours[verdict];
}
QColor TextOn(int verdict)
{
    return verdict == 1 ? QColor(Qt::black) : QColor(Qt::white);
}
const QColor kSingleColour(0x4F, 0x6D, 0x7A);
const QColor kGridColour(0xC8, 0xC8, 0xC8);
const QColor kInk(0x20, 0x20, 0x20);

QString Number(qint64 value)
{
    return QLocale(QLocale::Spanish, QLocale::Spain).toString(value);
}

QFont ReportFont(int size, bool bold)
{
    QFont font(u"DejaVu Sans"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(size);
    font.setBold(bold);
    // No ligatures: the PDF's text is searched and copied as typed ("fi",
    // not one glyph).
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

const QFontMetricsF &Metrics(int size, bool bold)
{
    static QHash<int, QFontMetricsF> cache;
    const int key = size * 2 + (bold ? 1 : 0);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, QFontMetricsF(ReportFont(size, bold)));
    return *it;
}

qreal TextWidth(const QString &text, int size, bool bold = false)
{
    return Metrics(size, bold).horizontalAdvance(text);
}

QString Elided(const QString &text, qreal width, int size, bool bold = false)
{
    return Metrics(size, bold).elidedText(text, Qt::ElideRight, width);
}

// At most `most` lines of at most `width`, the last elided.
QStringList Wrapped(const QString &text, qreal width, int size, int most, bool bold = false)
{
    QStringList lines;
    QString line;
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString longer = line.isEmpty() ? words[i] : line + u' ' + words[i];
        if (line.isEmpty() || TextWidth(longer, size, bold) <= width) {
            line = longer;
            continue;
        }
        if (lines.size() == most - 1) {
            line += u' ' + words.mid(i).join(u' ');
            break;
        }
        lines.append(line);
        line = words[i];
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines.append(line);
    for (QString &each : lines)
        each = Elided(each, width, size, bold);
    return lines;
}

ReportShape Text(const QString &text, QPointF at, int size, Qt::Alignment anchor = Qt::AlignLeft,
                 bool bold = false, QColor colour = kInk)
{
    ReportShape shape;
    shape.kind = ReportShape::Kind::Text;
    shape.text = text;
    shape.at = at;
    shape.size = size;
    shape.anchor = anchor;
    shape.bold = bold;
    shape.fill = colour;
    return shape;
}

ReportShape Box(const QRectF &rect, QColor fill, bool hatch = false)
{
    ReportShape shape;
    shape.rect = rect;
    shape.fill = fill;
    shape.hatch = hatch;
    return shape;
}

ReportShape Line(QPointF from, QPointF to, QColor colour = kInk)
{
    ReportShape shape;
    shape.kind = ReportShape::Kind::Line;
    shape.rect = QRectF(from, to);
    shape.fill = colour;
    return shape;
}

// The axis's step: 1, 2 or 5 times a power of ten, five steps at most.
qint64 NiceStep(qint64 most)
{
    for (qint64 power = 1;; power *= 10) {
        for (const qint64 factor : {1, 2, 5}) {
            if (most <= 5 * factor * power)
                return factor * power;
        }
    }
}

// The scale's step and its top, the step's first multiple at or above the
// longest row.
std::pair<qint64, qint64> Scale(const QList<ReportRow> &rows)
{
    qint64 most = 0;
    for (const ReportRow &row : rows)
        most = std::max(most, row.Total());
    const qint64 step = NiceStep(std::max<qint64>(most, 1));
    return {step, std::max<qint64>(1, (most + step - 1) / step) * step};
}

// The legend of the outcomes, from (x, y), in a row.
void Legend(QList<ReportShape> &shapes, qreal x, qreal y)
{
    for (int v = 0; v < kVerdicts; ++v) {
        shapes.append(Box(QRectF(x, y - 8, 10, 10), VerdictColour(v), v == 2));
        const QString label = VerdictLabel(kVerdictOrder[v]);
        shapes.append(Text(label, QPointF(x + 14, y), 8));
        x += 14 + TextWidth(label, 8) + 16;
    }
}

// A value in a box of width `room` at `x` (centred): smaller type when it
// does not fit, read upwards when even that does not.
void CentredValue(QList<ReportShape> &shapes, const QString &value, qreal x, qreal baseline,
                  qreal room, QColor colour)
{
    int size = 7;
    if (TextWidth(value, size) > room)
        size = 6;
    ReportShape shape = Text(value, QPointF(x, baseline), size, Qt::AlignHCenter, false, colour);
    if (TextWidth(value, size) > room) {
        shape.vertical = true;
        shape.anchor = Qt::AlignLeft;
        shape.at = QPointF(x + size / 2.5, baseline);
    }
    shapes.append(shape);
}

QString VerdictFigures(const std::array<qint64, 3> &byVerdict)
{
    QStringList figures;
    for (int v = 0; v < kVerdicts; ++v)
        figures.append(
            u"%1 %2"_s.arg(Number(byVerdict[v]), VerdictLabel(kVerdictOrder[v]).toLower()));
    return figures.join(u", "_s);
}

// Columns stacked by outcome, one per period, over a scale of receptions.
ReportChart ColumnChart(const QString &title, const QString &axisTitle,
                        const QList<ReportRow> &rows)
{
    ReportChart chart;
    chart.title = title;
    QList<ReportShape> &shapes = chart.shapes;
    const auto [step, top] = Scale(rows);

    const qreal left = 46, right = kWidth - 6, plotTop = 48;
    const qreal slot = (right - left) / qreal(std::max<qsizetype>(rows.size(), 1));
    qreal labelWidth = 0;
    for (const ReportRow &row : rows)
        labelWidth = std::max(labelWidth, TextWidth(row.name, 7));
    const bool verticalLabels = labelWidth > slot - 2;
    const qreal plotBottom = 200;
    const qreal height = plotBottom + (verticalLabels ? labelWidth + 6 : 12) + 22;
    chart.size = QSizeF(kWidth, height);

    shapes.append(Text(title, QPointF(0, 13), 11, Qt::AlignLeft, true));
    Legend(shapes, 0, 32);
    const qreal plotHeight = plotBottom - plotTop;
    for (qint64 tick = 0; tick <= top; tick += step) {
        const qreal y = plotBottom - plotHeight * qreal(tick) / qreal(top);
        shapes.append(Line(QPointF(left, y), QPointF(right, y), kGridColour));
        shapes.append(Text(Number(tick), QPointF(left - 4, y + 3), 7, Qt::AlignRight));
    }
    ReportShape yTitle =
        Text(u"Recepciones"_s, QPointF(10, (plotTop + plotBottom) / 2), 8, Qt::AlignHCenter);
    yTitle.vertical = true;
    shapes.append(yTitle);
    const qreal barWidth = slot * 0.72;
    // The parts' values go inside the bars only when every one fits: some
    // bars with and some without would read as missing figures.
    bool valuesInside = true;
    for (const ReportRow &row : rows) {
        for (const qint64 value : row.byVerdict)
            valuesInside = valuesInside && TextWidth(Number(value), 7) <= barWidth - 1;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ReportRow &row = rows[i];
        const qreal centre = left + slot * (qreal(i) + 0.5);
        qreal y = plotBottom;
        for (int v = 0; v < kVerdicts; ++v) {
            const qint64 value = row.byVerdict[size_t(v)];
            if (value == 0)
                continue;
            const qreal h = plotHeight * qreal(value) / qreal(top);
            shapes.append(
                Box(QRectF(centre - barWidth / 2, y - h, barWidth, h), VerdictColour(v), v == 2));
            if (valuesInside && h >= 10 && value != row.Total())
                shapes.append(Text(Number(value), QPointF(centre, y - h / 2 + 2.5), 7,
                                   Qt::AlignHCenter, false, TextOn(v)));
            y -= h;
        }
        if (row.Total() > 0)
            CentredValue(shapes, Number(row.Total()), centre, y - 3, slot - 1, kInk);
        ReportShape label = Text(row.name, QPointF(centre, plotBottom + 10), 7, Qt::AlignHCenter);
        if (verticalLabels) {
            label.vertical = true;
            label.anchor = Qt::AlignRight;
            label.at = QPointF(centre + 2.5, plotBottom + 4);
        }
        shapes.append(label);
    }
    shapes.append(Line(QPointF(left, plotBottom), QPointF(right, plotBottom)));
    shapes.append(Line(QPointF(left, plotTop - 4), QPointF(left, plotBottom)));
    shapes.append(Text(axisTitle, QPointF((left + right) / 2, height - 4), 8, Qt::AlignHCenter));

    QStringList said;
    for (const ReportRow &row : rows) {
        if (row.Total() > 0)
            said.append(
                u"%1: %2 (%3)"_s.arg(row.name, Number(row.Total()), VerdictFigures(row.byVerdict)));
    }
    chart.description = u"%1, eje horizontal %2, eje vertical recepciones. %3."_s.arg(
        title, axisTitle.toLower(), said.isEmpty() ? u"Sin recepciones"_s : said.join(u"; "_s));
    return chart;
}

// Horizontal bars, one per name; stacked by outcome when `stacked`.
ReportChart BarChart(const QString &title, const QString &categoryTitle,
                     const QList<ReportRow> &rows, bool stacked)
{
    ReportChart chart;
    chart.title = title;
    QList<ReportShape> &shapes = chart.shapes;
    const auto [step, top] = Scale(rows);

    const qreal labelWidth = kWidth * 0.42;
    const qreal left = labelWidth + 8, right = kWidth - 34;
    // Long names (errors) take two lines rather than lose their end.
    bool twoLines = false;
    for (const ReportRow &row : rows)
        twoLines = twoLines || TextWidth(row.name, 8) > labelWidth;
    const qreal rowsTop = stacked ? 56 : 40, rowHeight = twoLines ? 23 : 17;
    const qreal plotBottom = rowsTop + rowHeight * qreal(rows.size());
    chart.size = QSizeF(kWidth, plotBottom + 30);

    shapes.append(Text(title, QPointF(0, 13), 11, Qt::AlignLeft, true));
    if (stacked)
        Legend(shapes, 0, 32);
    shapes.append(Text(categoryTitle, QPointF(labelWidth, rowsTop - 5), 8, Qt::AlignRight, true));
    const qreal plotWidth = right - left;
    for (qint64 tick = 0; tick <= top; tick += step) {
        const qreal x = left + plotWidth * qreal(tick) / qreal(top);
        shapes.append(Line(QPointF(x, rowsTop), QPointF(x, plotBottom), kGridColour));
        shapes.append(Text(Number(tick), QPointF(x, plotBottom + 10), 7, Qt::AlignHCenter));
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ReportRow &row = rows[i];
        const qreal y = rowsTop + rowHeight * qreal(i) + 2.5;
        const qreal barHeight = rowHeight - 5;
        const QStringList label = Wrapped(row.name, labelWidth, 8, 2);
        for (qsizetype l = 0; l < label.size(); ++l)
            shapes.append(
                Text(label[l],
                     QPointF(labelWidth, y + barHeight / 2 + 3 +
                                             9.5 * (qreal(l) - qreal(label.size() - 1) / 2)),
                     8, Qt::AlignRight));
        qreal x = left;
        for (int v = 0; v < kVerdicts; ++v) {
            const qint64 value = row.byVerdict[size_t(v)];
            if (value == 0)
                continue;
            const qreal w = plotWidth * qreal(value) / qreal(top);
            const QColor colour = stacked ? VerdictColour(v) : kSingleColour;
            shapes.append(Box(QRectF(x, y, w, barHeight), colour, stacked && v == 2));
            if (stacked && value != row.Total() && TextWidth(Number(value), 7) <= w - 2)
                shapes.append(Text(Number(value), QPointF(x + w / 2, y + barHeight / 2 + 2.5), 7,
                                   Qt::AlignHCenter, false, TextOn(v)));
            x += w;
        }
        shapes.append(Text(Number(row.Total()), QPointF(x + 3, y + barHeight / 2 + 3), 8,
                           Qt::AlignLeft, true));
    }
    shapes.append(Line(QPointF(left, rowsTop), QPointF(left, plotBottom)));
    shapes.append(Line(QPointF(left, plotBottom), QPointF(right, plotBottom)));
    shapes.append(
        Text(u"Recepciones"_s, QPointF((left + right) / 2, plotBottom + 24), 8, Qt::AlignHCenter));

    QStringList said;
    for (const ReportRow &row : rows)
        said.append(stacked ? u"%1: %2 (%3)"_s.arg(row.name, Number(row.Total()),
                                                   VerdictFigures(row.byVerdict))
                            : u"%1: %2"_s.arg(row.name, Number(row.Total())));
    chart.description = u"%1, barras por %2, en recepciones. %3."_s.arg(
        title, categoryTitle.toLower(), said.join(u"; "_s));
    return chart;
}

QList<ReportRow> CountRows(const QList<ReportCount> &counts)
{
    QList<ReportRow> rows;
    for (const ReportCount &count : counts)
        rows.append({count.name, {count.count, 0, 0}});
    return rows;
}

ReportPart Part(ReportPart::Kind kind, const QString &text)
{
    ReportPart part;
    part.kind = kind;
    part.text = text;
    return part;
}

ReportPart ChartPart(const ReportChart &chart)
{
    ReportPart part;
    part.kind = ReportPart::Kind::Chart;
    part.chart = chart;
    return part;
}

QString SpanText(const ReportSpan &span)
{
    if (span.from == span.to)
        return u"Día %1"_s.arg(span.from.toString(u"dd/MM/yyyy"_s));
    return u"Del %1 al %2"_s.arg(span.from.toString(u"dd/MM/yyyy"_s),
                                 span.to.toString(u"dd/MM/yyyy"_s));
}

} // namespace

QSizeF ReportPageSize()
{
    return QSizeF(kPageWidth, kPageHeight);
}

ReportDocument BuildReportDocument(const ReceptionTally &tally, const QString &source,
                                   const QDateTime &made)
{
    ReportDocument document;
    document.title = u"Informe de recepciones. %1"_s.arg(SpanText(tally.Span()));
    QList<ReportPart> &parts = document.parts;
    parts.append(Part(ReportPart::Kind::Title, u"Informe de recepciones"_s));
    parts.append(Part(ReportPart::Kind::Text,
                      u"%1. Registro de recepciones %2. Hecho el %3 a las %4."_s.arg(
                          SpanText(tally.Span()), source, made.toString(u"dd/MM/yyyy"_s),
                          made.toString(u"HH:mm"_s))));

    parts.append(Part(ReportPart::Kind::Heading, u"Totales"_s));
    ReportPart totals;
    totals.kind = ReportPart::Kind::Table;
    totals.table.heads = {u"Recepciones"_s, u"Número"_s};
    totals.table.widths = {0.5, 0.2};
    totals.table.rightAligned = {false, true};
    totals.table.rows = {
        {u"Recibidas"_s, Number(tally.Received())},
        {VerdictLabel(ReceptionVerdict::Valid), Number(tally.Count(ReceptionVerdict::Valid))},
        {VerdictLabel(ReceptionVerdict::NotValid), Number(tally.Count(ReceptionVerdict::NotValid))},
        {VerdictLabel(ReceptionVerdict::Failed), Number(tally.Count(ReceptionVerdict::Failed))},
        {u"Porcentaje de válidas"_s,
         QLocale(QLocale::Spanish, QLocale::Spain).toString(tally.ValidShare(), 'f', 1) + u" %"_s}};
    parts.append(totals);

    static const QString grainTitles[] = {u"Recepciones por hora"_s, u"Recepciones por día"_s,
                                          u"Recepciones por mes"_s};
    static const QString grainAxes[] = {u"Hora del día"_s, u"Día"_s, u"Mes"_s};
    parts.append(ChartPart(ColumnChart(grainTitles[int(tally.Grain())],
                                       grainAxes[int(tally.Grain())], tally.Periods())));
    parts.append(
        ChartPart(BarChart(u"Formularios"_s, u"Formulario"_s, CountRows(tally.Forms()), false)));
    parts.append(
        ChartPart(BarChart(u"Monedas"_s, u"Moneda"_s, CountRows(tally.Currencies()), false)));
    const QList<ReportCount> errors = tally.TopPrimaryErrors();
    if (errors.isEmpty()) {
        parts.append(Part(ReportPart::Kind::Heading, u"Errores primarios más frecuentes"_s));
        parts.append(Part(ReportPart::Kind::Text, u"Ninguna recepción tuvo errores primarios."_s));
    } else {
        parts.append(ChartPart(
            BarChart(u"Errores primarios más frecuentes"_s, u"Error"_s, CountRows(errors), false)));
    }
    if (const QList<ReportRow> rows = tally.Workstations(); rows.size() > 1)
        parts.append(ChartPart(BarChart(u"Por puesto"_s, u"Puesto"_s, rows, true)));
    if (const QList<ReportRow> rows = tally.Clerks(); rows.size() > 1)
        parts.append(ChartPart(BarChart(u"Por usuario"_s, u"Usuario"_s, rows, true)));

    const QList<ReportProblem> &problems = tally.Problems();
    parts.append(Part(ReportPart::Kind::Heading,
                      u"Recepciones no válidas y fallidas (%1)"_s.arg(Number(problems.size()))));
    if (problems.isEmpty()) {
        parts.append(Part(ReportPart::Kind::Text, u"Ninguna."_s));
    } else {
        ReportPart list;
        list.kind = ReportPart::Kind::Table;
        list.table.heads = {u"Hora"_s, u"NIF"_s, u"Nombre"_s, u"Resultado"_s, u"Primer motivo"_s};
        list.table.widths = {0.19, 0.12, 0.21, 0.13, 0.35};
        list.table.rightAligned = {false, false, false, false, false};
        list.table.rows.reserve(problems.size());
        // One day's report gives the time alone.
        const bool oneDay = tally.Span().from == tally.Span().to;
        for (const ReportProblem &problem : problems)
            list.table.rows.append({oneDay ? problem.time.section(u' ', 1) : problem.time,
                                    problem.nif, problem.name, problem.result, problem.reason});
        parts.append(list);
    }
    return document;
}

namespace {

// Lays the parts on pages, top to bottom.
class PageFlow
{
public:
    QList<ReportPage> pages;

    PageFlow() { NewPage(); }
    void NewPage()
    {
        pages.append(ReportPage{});
        y_ = kMargin;
    }
    qreal Room() const { return kPageHeight - kFoot - kMargin - y_; }
    void Need(qreal height)
    {
        if (height > Room() && y_ > kMargin)
            NewPage();
    }
    void Add(const ReportShape &shape, QPointF offset)
    {
        ReportShape moved = shape;
        moved.rect.translate(offset);
        moved.at += offset;
        pages.last().shapes.append(moved);
    }
    qreal &Y() { return y_; }

private:
    qreal y_ = kMargin;
};

void LayTable(PageFlow &flow, const ReportTable &table)
{
    constexpr int size = 8;
    constexpr qreal lineHeight = 10.5;
    QList<qreal> widths, lefts;
    qreal x = 0;
    for (const qreal share : table.widths) {
        lefts.append(x);
        widths.append(kWidth * share);
        x += kWidth * share;
    }
    const qreal tableWidth = x;
    const auto head = [&] {
        flow.Add(Box(QRectF(0, 0, tableWidth, 15), QColor(0xE4, 0xE4, 0xE4)),
                 QPointF(kMargin, flow.Y()));
        for (qsizetype c = 0; c < table.heads.size(); ++c) {
            const bool right = table.rightAligned.value(c);
            flow.Add(Text(table.heads[c],
                          QPointF(right ? lefts[c] + widths[c] - 3 : lefts[c] + 3, 11), size,
                          right ? Qt::AlignRight : Qt::AlignLeft, true),
                     QPointF(kMargin, flow.Y()));
        }
        flow.Y() += 15;
    };
    flow.Need(15 + 2 * lineHeight + 4);
    head();
    for (const QStringList &row : table.rows) {
        QList<QStringList> cells;
        qsizetype lines = 1;
        for (qsizetype c = 0; c < row.size(); ++c) {
            cells.append(Wrapped(row[c], widths[c] - 6, size, 3));
            lines = std::max(lines, cells.last().size());
        }
        const qreal height = qreal(lines) * lineHeight + 4;
        if (height > flow.Room()) {
            flow.NewPage();
            head();
        }
        for (qsizetype c = 0; c < cells.size(); ++c) {
            const bool right = table.rightAligned.value(c);
            for (qsizetype l = 0; l < cells[c].size(); ++l)
                flow.Add(Text(cells[c][l],
                              QPointF(right ? lefts[c] + widths[c] - 3 : lefts[c] + 3,
                                      10 + lineHeight * qreal(l)),
                              size, right ? Qt::AlignRight : Qt::AlignLeft),
                         QPointF(kMargin, flow.Y()));
        }
        flow.Y() += height;
        flow.Add(Line(QPointF(0, 0), QPointF(tableWidth, 0), kGridColour),
                 QPointF(kMargin, flow.Y()));
    }
    flow.Y() += 10;
}

} // namespace

QList<ReportPage> LayoutReportPages(const ReportDocument &document)
{
    PageFlow flow;
    for (const ReportPart &part : document.parts) {
        switch (part.kind) {
        case ReportPart::Kind::Title:
            flow.Add(Text(part.text, QPointF(0, 18), 18, Qt::AlignLeft, true),
                     QPointF(kMargin, flow.Y()));
            flow.Y() += 30;
            break;
        case ReportPart::Kind::Heading:
            flow.Need(20 + 60);
            flow.Y() += 4;
            flow.Add(Text(part.text, QPointF(0, 13), 12, Qt::AlignLeft, true),
                     QPointF(kMargin, flow.Y()));
            flow.Y() += 22;
            break;
        case ReportPart::Kind::Text: {
            const QStringList lines = Wrapped(part.text, kWidth, 9, 20);
            flow.Need(13 * qreal(lines.size()));
            for (const QString &line : lines) {
                flow.Add(Text(line, QPointF(0, 10), 9), QPointF(kMargin, flow.Y()));
                flow.Y() += 13;
            }
            flow.Y() += 8;
            break;
        }
        case ReportPart::Kind::Chart:
            flow.Need(part.chart.size.height());
            for (const ReportShape &shape : part.chart.shapes)
                flow.Add(shape, QPointF(kMargin, flow.Y()));
            flow.pages.last().chartDescriptions.append(part.chart.description);
            flow.Y() += part.chart.size.height() + 16;
            break;
        case ReportPart::Kind::Table:
            LayTable(flow, part.table);
            break;
        }
    }
    const qsizetype count = flow.pages.size();
    for (qsizetype i = 0; i < count; ++i) {
        ReportPage &page = flow.pages[i];
        page.shapes.append(Line(QPointF(kMargin, kPageHeight - kFoot),
                                QPointF(kPageWidth - kMargin, kPageHeight - kFoot), kGridColour));
        page.shapes.append(Text(document.title, QPointF(kMargin, kPageHeight - kFoot + 12), 7));
        page.shapes.append(Text(u"Página %1 de %2"_s.arg(i + 1).arg(count),
                                QPointF(kPageWidth - kMargin, kPageHeight - kFoot + 12), 7,
                                Qt::AlignRight));
    }
    return flow.pages;
}

void PaintReportPage(QPainter &painter, const ReportPage &page)
{
    painter.save();
    const QRect window = painter.viewport();
    const qreal scale =
        std::min(qreal(window.width()) / kPageWidth, qreal(window.height()) / kPageHeight);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const ReportShape &shape : page.shapes) {
        switch (shape.kind) {
        case ReportShape::Kind::Box:
            painter.fillRect(shape.rect, shape.fill);
            if (shape.hatch)
                painter.fillRect(shape.rect, QBrush(QColor(0x30, 0x10, 0x08), Qt::BDiagPattern));
            break;
        case ReportShape::Kind::Line:
            painter.setPen(QPen(shape.fill, 0.7));
            painter.drawLine(shape.rect.topLeft(), shape.rect.bottomRight());
            break;
        case ReportShape::Kind::Text: {
            painter.setFont(ReportFont(shape.size, shape.bold));
            painter.setPen(shape.fill);
            const qreal width = TextWidth(shape.text, shape.size, shape.bold);
            const qreal shift = shape.anchor & Qt::AlignRight     ? -width
                                : shape.anchor & Qt::AlignHCenter ? -width / 2
                                                                  : 0;
            painter.save();
            painter.translate(shape.at);
            if (shape.vertical)
                painter.rotate(-90);
            painter.drawText(QPointF(shift, 0), shape.text);
            painter.restore();
            break;
        }
        }
    }
    painter.restore();
}

namespace {

// Where a report may go: a file, new or replaced, in a folder that exists
// (said as such, not as the system's "file not found"). Never a device, a
// pipe or anything else that is not a plain file: the new file would be
// renamed over it.
Failure CheckTarget(const QString &path)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return Failure::Data(u"ERROR. No existe la carpeta %1."_s.arg(folder.filePath()), path);
    if (target.exists() && !target.isFile())
        return Failure::Data(u"ERROR. %1 no es un fichero: no se escribe en él."_s.arg(path), path);
    return {};
}

} // namespace

QImage ReportPageImage(const ReportPage &page, int dpi)
{
    QImage image(int(kPageWidth * dpi / 72), int(kPageHeight * dpi / 72), QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMetre = int(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    PaintReportPage(painter, page);
    return image;
}

Failure WriteReportPdf(const ReportDocument &document, const QString &path)
{
    if (const Failure folder = CheckTarget(path); folder.Failed())
        return folder;
    const QList<ReportPage> pages = LayoutReportPages(document);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure::Io(path, errno ? errno : EIO);
    {
        QPdfWriter writer(&file);
        writer.setTitle(document.title);
        writer.setCreator(document.creator);
        writer.setResolution(72);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer))
            return Failure::Io(path, EIO);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            PaintReportPage(painter, pages[i]);
        }
        painter.end();
    }
    if (!file.commit())
        return Failure::Io(path, errno ? errno : EIO);
    return {};
}

namespace {

QString Svg(qreal value)
{
    return QString::number(value, 'f', 1);
}

QString SvgChart(const ReportChart &chart, int index)
{
    const QString id = u"g%1"_s.arg(index);
    QString svg =
        u"<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" "
        u"viewBox=\"0 0 %1 %2\" width=\"%1\" height=\"%2\" aria-labelledby=\"%3t %3d\">"
        u"<title id=\"%3t\">%4</title><desc id=\"%3d\">%5</desc>"
        u"<defs><pattern id=\"%3h\" patternUnits=\"userSpaceOnUse\" width=\"5\" "
        u"height=\"5\"><path d=\"M0,5 L5,0\" stroke=\"#301008\" stroke-width=\"0.8\"/>"
        u"</pattern></defs>"_s.arg(Svg(chart.size.width()), Svg(chart.size.height()), id,
                                   chart.title.toHtmlEscaped(), chart.description.toHtmlEscaped());
    for (const ReportShape &shape : chart.shapes) {
        switch (shape.kind) {
        case ReportShape::Kind::Box: {
            const QString rect =
                u"<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>"_s;
            svg += rect.arg(Svg(shape.rect.x()), Svg(shape.rect.y()), Svg(shape.rect.width()),
                            Svg(shape.rect.height()), shape.fill.name());
            if (shape.hatch)
                svg += rect.arg(Svg(shape.rect.x()), Svg(shape.rect.y()), Svg(shape.rect.width()),
                                Svg(shape.rect.height()), u"url(#%1h)"_s.arg(id));
            break;
        }
        case ReportShape::Kind::Line:
            svg += u"<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" "
                   u"stroke-width=\"0.7\"/>"_s.arg(Svg(shape.rect.left()), Svg(shape.rect.top()),
                                                   Svg(shape.rect.right()),
                                                   Svg(shape.rect.bottom()), shape.fill.name());
            break;
        case ReportShape::Kind::Text: {
            const QString anchor = shape.anchor & Qt::AlignRight     ? u"end"_s
                                   : shape.anchor & Qt::AlignHCenter ? u"middle"_s
                                                                     : u"start"_s;
            QString transform;
            if (shape.vertical)
                transform =
                    u" transform=\"rotate(-90 %1 %2)\""_s.arg(Svg(shape.at.x()), Svg(shape.at.y()));
            svg += u"<text x=\"%1\" y=\"%2\" font-size=\"%3\"%4 text-anchor=\"%5\" fill=\"%6\"%7>"
                   u"%8</text>"_s.arg(Svg(shape.at.x()), Svg(shape.at.y()))
                       .arg(shape.size)
                       .arg(shape.bold ? u" font-weight=\"bold\""_s : QString(), anchor,
                            shape.fill.name(), transform, shape.text.toHtmlEscaped());
            break;
        }
        }
    }
    return svg + u"</svg>"_s;
}

} // namespace

QByteArray ReportHtml(const ReportDocument &document)
{
    QString html =
        u"<!DOCTYPE html>\n<html lang=\"es\"><head><meta charset=\"utf-8\">"
        u"<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        u"style-src 'unsafe-inline'\">"
        u"<title>%1</title><style>"
        u"body{font-family:'DejaVu Sans',sans-serif;color:#202020;max-width:52em;margin:2em auto;"
        u"padding:0 1em}"
        u"table{border-collapse:collapse;margin:0.5em 0 1.5em}"
        u"th,td{border-bottom:1px solid #c8c8c8;padding:0.2em 0.6em;text-align:left;"
        u"vertical-align:top;font-size:0.85em}"
        u"th{background:#e4e4e4}td.n{text-align:right}"
        u"svg{width:100%;height:auto;font-family:'DejaVu Sans',sans-serif}"
        u"figure{margin:1em 0 2em}"
        u"</style></head><body>\n"_s.arg(document.title.toHtmlEscaped());
    int charts = 0;
    for (const ReportPart &part : document.parts) {
        switch (part.kind) {
        case ReportPart::Kind::Title:
            html += u"<h1>%1</h1>\n"_s.arg(part.text.toHtmlEscaped());
            break;
        case ReportPart::Kind::Heading:
            html += u"<h2>%1</h2>\n"_s.arg(part.text.toHtmlEscaped());
            break;
        case ReportPart::Kind::Text:
            html += u"<p>%1</p>\n"_s.arg(part.text.toHtmlEscaped());
            break;
        case ReportPart::Kind::Chart:
            html += u"<figure>"_s + SvgChart(part.chart, ++charts) + u"</figure>\n"_s;
            break;
        case ReportPart::Kind::Table: {
            html += u"<table><thead><tr>"_s;
            for (const QString &head : part.table.heads)
                html += u"<th scope=\"col\">"_s + head.toHtmlEscaped() + u"</th>"_s;
            html += u"</tr></thead><tbody>\n"_s;
            for (const QStringList &row : part.table.rows) {
                html += u"<tr>"_s;
                for (qsizetype c = 0; c < row.size(); ++c)
                    html += (part.table.rightAligned.value(c) ? u"<td class=\"n\">"_s : u"<td>"_s) +
                            row[c].toHtmlEscaped() + u"</td>"_s;
                html += u"</tr>\n"_s;
            }
            html += u"</tbody></table>\n"_s;
            break;
        }
        }
    }
    html += u"</body></html>\n"_s;
    return html.toUtf8();
}

Failure WriteReportHtml(const ReportDocument &document, const QString &path)
{
    if (const Failure folder = CheckTarget(path); folder.Failed())
        return folder;
    QSaveFile file(path);
    const QByteArray html = ReportHtml(document);
    if (!file.open(QIODevice::WriteOnly) || file.write(html) != html.size() || !file.commit())
        return Failure::Io(path, errno ? errno : EIO);
    return {};
}

} // namespace vk7
