#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QVBoxLayout>

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
    ASSERT_FALSE(document.OpenForm(SourceFormFolder(), u"K7NP"_s, &fields).Failed());
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
    ASSERT_FALSE(document.OpenForm(SourceFormFolder(), u"K7NP"_s, &fields).Failed());
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

void SendKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(QApplication::focusWidget(), &press);
}

// A clerk who does not see the screen: Tab walks the page's fields, each
// read as a read-only text with its label and value, and the field the error
// list points at becomes the focused one (the events a reader hears go
// through the accessibility bus, tested with the real program).
TEST(FormView, TabWalksTheFieldsAReaderHearsAndTheErrorListFocusesTheWrongOne)
{
    TestFieldSource fields;
    FillOrdinaryDeposit(&fields);
    CFormDocument document;
    CTessOCX viewer(document);
    ASSERT_FALSE(document.OpenForm(SourceFormFolder(), u"K7NP"_s, &fields).Failed());
    QWidget window;
    auto *before = new QLineEdit(&window);
    auto *view = new FormView(&viewer, &window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(before);
    layout->addWidget(view);
    window.resize(900, 700);
    window.show();
    QApplication::setActiveWindow(&window);
    before->setFocus();
    QCoreApplication::processEvents();
    const QImage unframed = view->viewport()->grab().toImage();

    SendKey(Qt::Key_Tab);
    QCoreApplication::processEvents();
    ASSERT_TRUE(view->hasFocus());
    ASSERT_EQ(view->CurrentField(), 0);
    QAccessibleInterface *reading = QAccessible::queryAccessibleInterface(view);
    ASSERT_EQ(reading->childCount(), view->PageFields().size());
    QAccessibleInterface *nif = reading->child(0);
    EXPECT_EQ(nif->role(), QAccessible::EditableText);
    EXPECT_EQ(nif->text(QAccessible::Name), u"NIF"_s);
    EXPECT_EQ(nif->textInterface()->text(0, -1), u"A28015865"_s);
    EXPECT_EQ(nif->text(QAccessible::Description), u"Clave 810210"_s);
    EXPECT_TRUE(nif->state().readOnly && nif->state().focused);
    EXPECT_EQ(reading->focusChild(), nif);
    // The field is framed in the view.
    EXPECT_NE(view->viewport()->grab().toImage(), unframed);

    SendKey(Qt::Key_Tab);
    EXPECT_EQ(view->CurrentField(), 1);
    SendKey(Qt::Key_Backtab, Qt::ShiftModifier);
    SendKey(Qt::Key_Backtab, Qt::ShiftModifier);
    // Before the first field Shift+Tab leaves the view, and the frame goes.
    EXPECT_TRUE(before->hasFocus());
    EXPECT_EQ(view->CurrentField(), -1);

    // "Ver Error" on the postal code: its page, its field, focused and heard.
    ASSERT_TRUE(viewer.NextPage());
    ASSERT_TRUE(viewer.ShowRuleError(810250));
    QCoreApplication::processEvents();
    ASSERT_GE(view->CurrentField(), 0);
    EXPECT_EQ(view->PageFields().at(view->CurrentField()).key, 810250);
    EXPECT_TRUE(view->hasFocus());
    ASSERT_TRUE(reading->focusChild());
    EXPECT_EQ(reading->focusChild()->text(QAccessible::Name), u"C.P. (*)"_s);
    EXPECT_TRUE(reading->focusChild()->state().focused);

    // Another page is another set of fields, none under the keyboard yet.
    const qsizetype firstPage = view->PageFields().size();
    viewer.NextPage();
    EXPECT_EQ(view->CurrentField(), -1);
    EXPECT_EQ(reading->childCount(), view->PageFields().size());
    EXPECT_NE(reading->childCount(), firstPage);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
