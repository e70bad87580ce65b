#include "components/ui/formview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "components/tessocx.h"

namespace vk7 {

FormView::FormView(CTessOCX *viewer, QWidget *parent) : QAbstractScrollArea(parent), viewer_(viewer)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(viewer_, &CTessOCX::ViewChanged, this, &FormView::SyncFromViewer);
    connect(viewer_, &CTessOCX::PageCountChanged, this, &FormView::SyncFromViewer);
    viewer_->SetViewportSize(viewport()->size());
    SyncFromViewer();
}

// The scroll bars mirror the control's scroll position; the control decides.
void FormView::SyncFromViewer()
{
    syncing_ = true;
    const QSizeF content = viewer_->ContentSizeInView();
    const QSize view = viewport()->size();
    const QPointF scroll = viewer_->ScrollPosition();
    horizontalScrollBar()->setRange(0, std::max(0, qCeil(content.width()) - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setValue(qRound(scroll.x()));
    verticalScrollBar()->setRange(0, std::max(0, qCeil(content.height()) - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setValue(qRound(scroll.y()));
    syncing_ = false;
    viewport()->update();
}

void FormView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    viewer_->PaintView(painter);
    if (dragging_ && !band_.isNull()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DashLine));
        painter.setBrush(QColor(0, 120, 215, 40));
        painter.drawRect(band_);
    }
}

void FormView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    viewer_->SetViewportSize(viewport()->size());
    SyncFromViewer();
}

void FormView::scrollContentsBy(int, int)
{
    if (syncing_)
        return;
    viewer_->SetScrollPosition(
        QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

void FormView::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    // Ctrl with the wheel zooms by the steps of the zoom commands.
    if ((event->modifiers() & Qt::ControlModifier) && delta.y() != 0)
        viewer_->Zoom(delta.y() > 0 ? 1.5 : 0.66);
    else if (delta.y() != 0)
        viewer_->Scroll(true, true, delta.y() > 0);
    else if (delta.x() != 0)
        viewer_->Scroll(false, true, delta.x() > 0);
    event->accept();
}

void FormView::keyPressEvent(QKeyEvent *event)
{
    // Page Up and Page Down, and the arrows with Ctrl, are the frame's page
    // and scroll commands: while a command is disabled (Page Down on the last
    // page) its key does nothing, rather than scrolling the view.
    const int key = event->key();
    const bool arrow =
        key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown ||
        (arrow && (event->modifiers() & Qt::ControlModifier))) {
        event->ignore();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void FormView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && viewer_->GetZoomWindowMode()) {
        dragging_ = true;
        dragStart_ = event->position().toPoint();
        band_ = QRect();
        event->accept();
        return;
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void FormView::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging_) {
        band_ = QRect(dragStart_, event->position().toPoint()).normalized();
        viewport()->update();
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void FormView::mouseReleaseEvent(QMouseEvent *event)
{
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        const QRectF band = QRectF(QPointF(dragStart_), event->position()).normalized();
        band_ = QRect();
        // A click without a rectangle leaves the view as it was.
        if (!viewer_->ZoomToRect(band))
            viewport()->update();
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

} // namespace vk7
