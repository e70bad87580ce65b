#include "components/pagegeometry.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

namespace vk7 {

namespace {

double ClampScale(double scale)
{
    return std::clamp(scale, kMinViewScale, kMaxViewScale);
}

} // namespace

double FitWidthScale(const QSizeF &page, const QSize &viewport)
{
    if (page.width() <= 0)
        return 1.0;
    return ClampScale((viewport.width() - 2.0 * kViewMargin) / page.width());
}

double FullPageScale(const QSizeF &page, const QSize &viewport)
{
    if (page.width() <= 0 || page.height() <= 0)
        return 1.0;
    const double w = (viewport.width() - 2.0 * kViewMargin) / page.width();
    const double h = (viewport.height() - 2.0 * kViewMargin) / page.height();
    return ClampScale(std::min(w, h));
}

bool ZoomedScale(double scale, double factor, double *result)
{
    if (!std::isfinite(factor) || factor <= 0) {
        *result = scale;
        return false;
    }
    *result = ClampScale(scale * factor);
    return true;
}

QSizeF ContentSize(const QSizeF &page, double scale)
{
    return QSizeF(page.width() * scale + 2.0 * kViewMargin,
                  page.height() * scale + 2.0 * kViewMargin);
}

QPointF ClampScroll(const QPointF &scroll, const QSizeF &content, const QSize &viewport)
{
    const double maxX = std::max(0.0, content.width() - viewport.width());
    const double maxY = std::max(0.0, content.height() - viewport.height());
    return QPointF(std::clamp(scroll.x(), 0.0, maxX), std::clamp(scroll.y(), 0.0, maxY));
}

QPointF ScrollStep(const QPointF &scroll, bool vertical, bool byLine, bool backward,
                   const QSize &viewport)
{
    const int extent = vertical ? viewport.height() : viewport.width();
    double step = byLine ? kScrollLine : std::max(kScrollLine, extent - kScrollLine);
    if (backward)
        step = -step;
    return vertical ? QPointF(scroll.x(), scroll.y() + step)
                    : QPointF(scroll.x() + step, scroll.y());
}

QPointF PageOrigin(const QSizeF &page, double scale, const QPointF &scroll, const QSize &viewport)
{
    const QSizeF content = ContentSize(page, scale);
    const double x = content.width() <= viewport.width()
                         ? (viewport.width() - page.width() * scale) / 2.0
                         : kViewMargin - scroll.x();
    const double y = content.height() <= viewport.height()
                         ? (viewport.height() - page.height() * scale) / 2.0
                         : kViewMargin - scroll.y();
    return QPointF(x, y);
}

QPointF ScrollKeepingPoint(const QSizeF &page, double oldScale, double newScale,
                           const QPointF &scroll, const QPointF &viewportPoint,
                           const QSize &viewport)
{
    const QPointF origin = PageOrigin(page, oldScale, scroll, viewport);
    const QPointF pagePoint = (viewportPoint - origin) / oldScale;
    // With the new scale and no centring, origin = margin - scroll.
    const QPointF wanted = viewportPoint - pagePoint * newScale;
    const QPointF newScroll(kViewMargin - wanted.x(), kViewMargin - wanted.y());
    return ClampScroll(newScroll, ContentSize(page, newScale), viewport);
}

bool ZoomToRectangle(const QSizeF &page, double scale, const QPointF &scroll,
                     const QRectF &viewportRect, const QSize &viewport, double *newScale,
                     QPointF *newScroll)
{
    const QRectF rect = viewportRect.normalized();
    if (rect.width() < 4 || rect.height() < 4 || scale <= 0)
        return false;
    const QPointF origin = PageOrigin(page, scale, scroll, viewport);
    const QRectF pageRect((rect.topLeft() - origin) / scale, rect.size() / scale);
    const double s = ClampScale(
        std::min(viewport.width() / pageRect.width(), viewport.height() / pageRect.height()));
    // Centre the chosen part of the page in the viewport.
    *newScale = s;
    *newScroll = ScrollToShow(page, s, pageRect, viewport);
    return true;
}

QPointF ScrollToShow(const QSizeF &page, double scale, const QRectF &pageRect,
                     const QSize &viewport)
{
    const QPointF centre = pageRect.center() * scale;
    const QPointF wanted(kViewMargin + centre.x() - viewport.width() / 2.0,
                         kViewMargin + centre.y() - viewport.height() / 2.0);
    return ClampScroll(wanted, ContentSize(page, scale), viewport);
}

QRectF PrintablePlacement(const QSizeF &sheet, const QMarginsF &margins)
{
    QMarginsF edges = margins;
    // Turned counter-clockwise: the page's left edge lies on the paper's bottom.
    if (sheet.width() > sheet.height())
        edges = QMarginsF(margins.bottom(), margins.left(), margins.top(), margins.right());
    const QRectF whole(QPointF(0, 0), sheet);
    if (edges.isNull() || sheet.isEmpty())
        return whole;
    const QRectF printable = whole.marginsRemoved(edges);
    if (printable.width() <= 0 || printable.height() <= 0)
        return whole;
    const double scale =
        std::min({1.0, printable.width() / sheet.width(), printable.height() / sheet.height()});
    QRectF placed(QPointF(0, 0), sheet * scale);
    placed.moveCenter(printable.center());
    return placed;
}

} // namespace vk7
