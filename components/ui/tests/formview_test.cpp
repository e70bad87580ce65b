#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/tessocx.h"
#include "components/tests/formtesting.h"
#include "components/ui/formview.h"
#include "reception/paths.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

void SendMouse(QWidget *target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Share of pixels that are not white in a region of a picture.
double InkShare(const QImage &image, const QRect &region)
{
    qint64 ink = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x)
            ink += qGray(image.pixel(x, y)) < 200 ? 1 : 0;
    }
    return double(ink) / (region.width() * region.height());
}

TEST(FormView, ShowsThePageFollowsTheScrollBarsAndZoomsToADrawnRectangle)
{
    QTemporaryDir drive;
    ASSERT_TRUE(drive.isValid());
    PathResolver::SetDriveRoot(u'C', drive.path());
    TestFieldSource fields;
    FillOrdinaryDeposit(&fields);

    CFormDocument document;
    CTessOCX viewer(document);
    const QString form = QDir::toNativeSeparators(SourceFormFolder());
    ASSERT_TRUE(document.OpenForm(SourceFormFolder(), u"K7NP"_s, &fields));
    FormView view(&viewer);
    view.resize(900, 700);
    view.show();
    QCoreApplication::processEvents();
    const QSize port = view.viewport()->size();
    EXPECT_EQ(viewer.ViewportSize(), port);

    // Fit width: the page fills the width, only vertical scrolling is left.
    viewer.FitWidth();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(view.verticalScrollBar()->maximum(), 0);
    view.verticalScrollBar()->setValue(120);
    EXPECT_EQ(viewer.ScrollPosition().y(), 120);
    viewer.Scroll(true, true, false);
    EXPECT_EQ(view.verticalScrollBar()->value(), 160);

    const QImage shot = view.viewport()->grab().toImage();
    EXPECT_GT(InkShare(shot, QRect(QPoint(0, 0), port)), 0.01);

    // Without the zoom window mode a drag does nothing.
    const double before = viewer.ViewScale();
    SendMouse(view.viewport(), QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton);
    SendMouse(view.viewport(), QEvent::MouseMove, QPoint(300, 200), Qt::LeftButton);
    SendMouse(view.viewport(), QEvent::MouseButtonRelease, QPoint(300, 200), Qt::NoButton);
    EXPECT_DOUBLE_EQ(viewer.ViewScale(), before);

    viewer.SetZoomWindowMode(true);
    SendMouse(view.viewport(), QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton);
    SendMouse(view.viewport(), QEvent::MouseMove, QPoint(300, 200), Qt::LeftButton);
    SendMouse(view.viewport(), QEvent::MouseButtonRelease, QPoint(300, 200), Qt::NoButton);
    EXPECT_NEAR(viewer.ViewScale(), before * std::min(port.width() / 200.0, port.height() / 100.0),
                1e-9);
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
    PathResolver::ClearDriveRoots();
}

// What the clerk sees of page 1 of a filled ordinary form, kept as a picture
// for the templates' documentation (written beside the test executables).
TEST(FormView, Page1OfAFilledOrdinaryForm)
{
    TestFieldSource fields;
    FillOrdinaryDeposit(&fields);
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_TRUE(document.OpenForm(SourceFormFolder(), u"K7NP"_s, &fields));
    FormView view(&viewer);
    view.resize(1000, 1400);
    view.show();
    viewer.FullPage();
    QCoreApplication::processEvents();
    const QImage shot = view.viewport()->grab().toImage();
    const QPointF origin = viewer.PageOriginInView();
    const double scale = viewer.ViewScale();
    // The page is drawn where the control says, with ink inside it.
    const QRect page(origin.toPoint(), (QSizeF(1648, 2336) * scale).toSize());
    EXPECT_TRUE(QRect(QPoint(0, 0), shot.size()).contains(page.adjusted(1, 1, -1, -1)));
    EXPECT_GT(InkShare(shot, page.adjusted(2, 2, -2, -2)), 0.02);
    EXPECT_TRUE(shot.save(QStringLiteral(VK7_BIN_DIR "/../form-page1.png")));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
