#include <limits>

#include <gtest/gtest.h>

#include "components/pagegeometry.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const QSizeF kPage(1648, 2336);

TEST(PageGeometry, FitWidthAndFullPage)
{
    const QSize viewport(840, 600);
    const double width = FitWidthScale(kPage, viewport);
    EXPECT_DOUBLE_EQ(width, (840.0 - 2 * kViewMargin) / 1648.0);
    // The page's width then fills the viewport less the margins exactly.
    EXPECT_DOUBLE_EQ(ContentSize(kPage, width).width(), 840.0);
    // A wide, low viewport: the whole page is bounded by the height.
    const double full = FullPageScale(kPage, viewport);
    EXPECT_DOUBLE_EQ(full, (600.0 - 2 * kViewMargin) / 2336.0);
    EXPECT_LE(ContentSize(kPage, full).height(), 600.0 + 1e-9);
    // A narrow, tall one: bounded by the width.
    EXPECT_DOUBLE_EQ(FullPageScale(kPage, QSize(300, 2000)), (300.0 - 2 * kViewMargin) / 1648.0);
    // Degenerate viewports still give a usable scale.
    EXPECT_DOUBLE_EQ(FitWidthScale(kPage, QSize(0, 0)), kMinViewScale);
}

TEST(PageGeometry, ZoomStepsAreClampedAndNonsenseIsRefused)
{
    double scale = 0;
    EXPECT_TRUE(ZoomedScale(0.5, 1.5, &scale));
    EXPECT_DOUBLE_EQ(scale, 0.75);
    EXPECT_TRUE(ZoomedScale(0.75, 0.66, &scale));
    EXPECT_DOUBLE_EQ(scale, 0.75 * 0.66);
    EXPECT_TRUE(ZoomedScale(7.0, 1.5, &scale));
    EXPECT_DOUBLE_EQ(scale, kMaxViewScale);
    EXPECT_TRUE(ZoomedScale(0.06, 0.66, &scale));
    EXPECT_DOUBLE_EQ(scale, kMinViewScale);
    for (double bad : {0.0, -1.5, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        EXPECT_FALSE(ZoomedScale(0.5, bad, &scale));
        EXPECT_DOUBLE_EQ(scale, 0.5);
    }
}

TEST(PageGeometry, ScrollingStaysInsideTheContent)
{
    const QSize viewport(800, 600);
    const QSizeF content = ContentSize(kPage, 1.0); // 1664 x 2352
    EXPECT_EQ(ClampScroll(QPointF(-10, -10), content, viewport), QPointF(0, 0));
    EXPECT_EQ(ClampScroll(QPointF(5000, 5000), content, viewport), QPointF(864, 1752));
    EXPECT_EQ(ClampScroll(QPointF(100, 200), content, viewport), QPointF(100, 200));
    // Content smaller than the viewport does not scroll at all.
    EXPECT_EQ(ClampScroll(QPointF(50, 50), ContentSize(kPage, 0.1), viewport), QPointF(0, 0));

    EXPECT_EQ(ScrollStep(QPointF(0, 100), true, true, false, viewport), QPointF(0, 140));
    EXPECT_EQ(ScrollStep(QPointF(0, 100), true, true, true, viewport), QPointF(0, 60));
    EXPECT_EQ(ScrollStep(QPointF(0, 100), true, false, false, viewport), QPointF(0, 660));
    EXPECT_EQ(ScrollStep(QPointF(0, 700), true, false, true, viewport), QPointF(0, 140));
    EXPECT_EQ(ScrollStep(QPointF(100, 0), false, true, false, viewport), QPointF(140, 0));
    EXPECT_EQ(ScrollStep(QPointF(100, 0), false, true, true, viewport), QPointF(60, 0));
}

TEST(PageGeometry, PageOriginCentresSmallPagesAndFollowsTheScroll)
{
    const QSize viewport(800, 600);
    const QPointF small = PageOrigin(kPage, 0.2, QPointF(), viewport);
    EXPECT_DOUBLE_EQ(small.x(), (800 - 1648 * 0.2) / 2);
    EXPECT_DOUBLE_EQ(small.y(), (600 - 2336 * 0.2) / 2);
    const QPointF big = PageOrigin(kPage, 1.0, QPointF(100, 300), viewport);
    EXPECT_EQ(big, QPointF(kViewMargin - 100, kViewMargin - 300));
}

TEST(PageGeometry, ZoomKeepsThePointAndTheZoomWindowFillsTheView)
{
    const QSize viewport(800, 600);
    const QPointF scroll(200, 400);
    const QPointF point(400, 300);
    const QPointF before = (point - PageOrigin(kPage, 1.0, scroll, viewport)) / 1.0;
    const QPointF after = ScrollKeepingPoint(kPage, 1.0, 1.5, scroll, point, viewport);
    const QPointF pagePoint = (point - PageOrigin(kPage, 1.5, after, viewport)) / 1.5;
    EXPECT_NEAR(pagePoint.x(), before.x(), 1e-6);
    EXPECT_NEAR(pagePoint.y(), before.y(), 1e-6);

    // A drag of 200 x 100 screen pixels at scale 1 becomes four times larger.
    double scale = 0;
    QPointF newScroll;
    ASSERT_TRUE(ZoomToRectangle(kPage, 1.0, scroll, QRectF(300, 250, 200, 100), viewport, &scale,
                                &newScroll));
    EXPECT_DOUBLE_EQ(scale, 4.0);
    const QPointF centre =
        (QPointF(400, 300) - PageOrigin(kPage, scale, newScroll, viewport)) / scale;
    const QPointF wanted = (QPointF(400, 300) - PageOrigin(kPage, 1.0, scroll, viewport)) / 1.0;
    EXPECT_NEAR(centre.x(), wanted.x(), 1e-6);
    EXPECT_NEAR(centre.y(), wanted.y(), 1e-6);
    // A rectangle dragged backwards is the same rectangle.
    double backwards = 0;
    ASSERT_TRUE(ZoomToRectangle(kPage, 1.0, scroll, QRectF(500, 350, -200, -100), viewport,
                                &backwards, &newScroll));
    EXPECT_DOUBLE_EQ(backwards, 4.0);
    // A click is no rectangle.
    EXPECT_FALSE(
        ZoomToRectangle(kPage, 1.0, scroll, QRectF(300, 250, 2, 1), viewport, &scale, &newScroll));
}

TEST(PageGeometry, ScrollToShowCentresARectangleWithinTheContent)
{
    const QSize viewport(800, 600);
    // At scale 1 a box in the middle of the page comes to the middle of the view.
    const QPointF middle = ScrollToShow(kPage, 1.0, QRectF(700, 1100, 200, 100), viewport);
    const QPointF origin = PageOrigin(kPage, 1.0, middle, viewport);
    EXPECT_EQ(origin + QPointF(800, 1150), QPointF(400, 300));
    // Near the page's corner the scroll stops at the content's edge.
    EXPECT_EQ(ScrollToShow(kPage, 1.0, QRectF(0, 0, 10, 10), viewport), QPointF(0, 0));
    EXPECT_EQ(ScrollToShow(kPage, 1.0, QRectF(1640, 2330, 8, 6), viewport), QPointF(864, 1752));
    // A page smaller than the view does not scroll.
    EXPECT_EQ(ScrollToShow(kPage, 0.1, QRectF(700, 1100, 200, 100), viewport), QPointF(0, 0));
}

TEST(PageGeometry, APrintedPageFitsThePrintableAreaWholeAndCentred)
{
    // No margins: the whole sheet, as it was.
    EXPECT_EQ(PrintablePlacement(QSizeF(600, 800), QMarginsF()), QRectF(0, 0, 600, 800));
    // 10 at the sides and 20 above and below: the height binds (760/800),
    // the width is centred.
    const QRectF even = PrintablePlacement(QSizeF(600, 800), QMarginsF(10, 20, 10, 20));
    EXPECT_DOUBLE_EQ(even.height(), 760);
    EXPECT_DOUBLE_EQ(even.width(), 600 * 760.0 / 800);
    EXPECT_DOUBLE_EQ(even.top(), 20);
    EXPECT_DOUBLE_EQ(even.center().x(), 300);
    // Uneven edges: centred in what they leave, never on the edges.
    const QRectF uneven = PrintablePlacement(QSizeF(600, 800), QMarginsF(40, 0, 0, 20));
    EXPECT_DOUBLE_EQ(uneven.width() / uneven.height(), 600.0 / 800);
    EXPECT_DOUBLE_EQ(uneven.center().x(), 320);
    EXPECT_DOUBLE_EQ(uneven.center().y(), 390);
    EXPECT_GE(uneven.left(), 40);
    EXPECT_LE(uneven.bottom(), 780 + 1e-9);
    // A landscape page lies turned on the paper: the paper's bottom edge is its left.
    const QRectF turned = PrintablePlacement(QSizeF(800, 600), QMarginsF(0, 0, 0, 50));
    EXPECT_DOUBLE_EQ(turned.left(), 50);
    EXPECT_DOUBLE_EQ(turned.right(), 800);
    // Margins that leave nothing: the whole sheet rather than nothing.
    EXPECT_EQ(PrintablePlacement(QSizeF(600, 800), QMarginsF(300, 0, 300, 0)),
              QRectF(0, 0, 600, 800));
}

} // namespace
