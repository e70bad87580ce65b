#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include "reception/failure.h"
#include "receptionreport.h"

class QPainter;

namespace vk7 {

// One thing drawn, in points: a box (filled, perhaps hatched), a line or a
// line of text anchored at its baseline.
struct ReportShape
{
    enum class Kind { Box, Line, Text };
    Kind kind = Kind::Box;
    QRectF rect; // Box; a Line runs from its top left to its bottom right
    QColor fill; // Box; a Line's or Text's colour
    bool hatch = false;
    QString text;
    QPointF at;             // Text: the baseline's anchor
    Qt::Alignment anchor{}; // Text: AlignLeft, AlignHCenter or AlignRight of `at`
    int size = 9;           // Text: pixel size (a point on the page)
    bool bold = false;
    bool vertical = false; // Text: read bottom to top
};

// A chart laid out: its shapes in its own box from (0, 0), and what it
// shows in words, figures included, for a reader who cannot see it.
struct ReportChart
{
    QString title;
    QString description;
    QSizeF size;
    QList<ReportShape> shapes;
};

// A table: its column heads, their share of the width, and its rows.
struct ReportTable
{
    QStringList heads;
    QList<qreal> widths; // shares of the width, adding to 1
    QList<QStringList> rows;
    QList<bool> rightAligned;
};

// The report as a sequence of parts, ready to be laid out on pages (PDF,
// printer, the desktop's window) or written as one HTML page.
struct ReportPart
{
    enum class Kind { Title, Heading, Text, Chart, Table };
    Kind kind = Kind::Text;
    QString text;
    ReportChart chart;
    ReportTable table;
};

struct ReportDocument
{
    QString title;
    // The program that made it: the PDF's Creator.
    QString creator = QStringLiteral("vk7check");
    QList<ReportPart> parts;
};

// A page of the report in points (A4 portrait).
struct ReportPage
{
    QList<ReportShape> shapes;
    QStringList chartDescriptions; // of the charts on it
};

// The register's words on a tally: the parts of the report. `source` says
// which register it read, `made` when.
ReportDocument BuildReportDocument(const ReceptionTally &tally, const QString &source,
                                   const QDateTime &made);

// The parts laid out on A4 pages, their numbers at the foot.
QList<ReportPage> LayoutReportPages(const ReportDocument &document);
QSizeF ReportPageSize();

// Draws a page (in points) with `painter`, scaled to what it paints on.
void PaintReportPage(QPainter &painter, const ReportPage &page);
// A page as a printer's page image: white, at `dpi`, its resolution set.
QImage ReportPageImage(const ReportPage &page, int dpi);

// The report as a PDF file (vector: text and shapes), written whole or not
// at all.
Failure WriteReportPdf(const ReportDocument &document, const QString &path);
// The report as one HTML page: charts as inline SVG, no script, nothing
// fetched.
QByteArray ReportHtml(const ReportDocument &document);
Failure WriteReportHtml(const ReportDocument &document, const QString &path);

} // namespace vk7
