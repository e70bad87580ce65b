#pragma once

#include <QList>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace vk7 {

// Geometry and paging of the form view as plain functions: values in, values
// out. Scales are screen pixels per page pixel; scroll positions are the
// top-left corner of the viewport over the scaled page, in screen pixels.

inline constexpr double kMinViewScale = 0.05;
inline constexpr double kMaxViewScale = 8.0;
// Blank border kept around the page in the view, in screen pixels.
inline constexpr int kViewMargin = 8;
// One "line" of scrolling, in screen pixels.
inline constexpr int kScrollLine = 40;

// The scale at which the page's width fills the viewport (margins kept).
double FitWidthScale(const QSizeF &page, const QSize &viewport);
// The scale at which the whole page is seen in the viewport.
double FullPageScale(const QSizeF &page, const QSize &viewport);
// scale x factor, kept within [kMinViewScale, kMaxViewScale]; false (scale
// unchanged) for a factor that is not a positive finite number.
bool ZoomedScale(double scale, double factor, double *result);
// Size of what is scrolled: the scaled page with its margins.
QSizeF ContentSize(const QSizeF &page, double scale);
// A scroll position kept inside the content (0 where the content is smaller
// than the viewport).
QPointF ClampScroll(const QPointF &scroll, const QSizeF &content, const QSize &viewport);
// The position after one scroll step: a line, or a viewport less one line.
QPointF ScrollStep(const QPointF &scroll, bool vertical, bool byLine, bool backward,
                   const QSize &viewport);
// Where the page's top-left corner goes in the viewport: centred where the
// content is narrower or lower than the viewport, else shifted by the scroll.
QPointF PageOrigin(const QSizeF &page, double scale, const QPointF &scroll, const QSize &viewport);
// Keeps the page point under a viewport point in place when the scale
// changes: the new scroll position.
QPointF ScrollKeepingPoint(const QSizeF &page, double oldScale, double newScale,
                           const QPointF &scroll, const QPointF &viewportPoint,
                           const QSize &viewport);
// The zoom window: the scale and scroll position that show a rectangle of
// the viewport as large as the viewport allows, centred. False for a
// rectangle too small to mean anything (a click rather than a drag).
bool ZoomToRectangle(const QSizeF &page, double scale, const QPointF &scroll,
                     const QRectF &viewportRect, const QSize &viewport, double *newScale,
                     QPointF *newScroll);
// The scroll position that centres a rectangle of the page (page pixels) in
// the viewport, as far as the content allows.
QPointF ScrollToShow(const QSizeF &page, double scale, const QRectF &pageRect,
                     const QSize &viewport);

// Where a printed page goes on its sheet (`sheet`, the page's own size): into
// the printable area the printer's unprintable edges (`margins`, same unit,
// as declared for its paper held upright) leave, scaled by one factor that
// keeps its proportions and centred there. A sheet wider than high is turned
// a quarter on the paper, so its edges take the margins of the paper's edges
// they lie on. Without margins, the whole sheet.
QRectF PrintablePlacement(const QSizeF &sheet, const QMarginsF &margins);

} // namespace vk7
