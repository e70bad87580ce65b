#include "components/ui/formview.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "components/tessocx.h"
#include "components/ui/formviewaccessible.h"

namespace vk7 {

FormView::FormView(CTessOCX *viewer, QWidget *parent) : QAbstractScrollArea(parent), viewer_(viewer)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(viewer_, &CTessOCX::viewChanged, this, &FormView::SyncFromViewer);
    connect(viewer_, &CTessOCX::pageCountChanged, this, &FormView::SyncFromViewer);
    connect(viewer_, &CTessOCX::fieldMarked, this, &FormView::OnFieldMarked);
    InstallFormViewReading();
    viewer_->SetViewportSize(viewport()->size());
    SyncFromViewer();
}

// The scroll bars mirror the control's scroll position; the control decides.
void FormView::SyncFromViewer()
{
    // Anything may have changed what the page shows; another page has no
    // field under the keyboard yet.
    fieldsStale_ = true;
    if (viewer_->GetCurrentPage() != fieldsPage_) {
        fieldsPage_ = viewer_->GetCurrentPage();
        current_ = -1;
        NotifyFormViewPageChanged(this);
    }
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
    // The keyboard's field is framed on screen only: the page itself (and
    // so its export and print) is painted without it.
    if (current_ >= 0) {
        const QRect frame = FieldRectInView(current_).adjusted(-4, -4, 4, 4);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().highlight().color(), 3));
        painter.drawRect(frame);
        painter.setPen(QPen(palette().highlightedText().color(), 1, Qt::DotLine));
        painter.drawRect(frame.adjusted(-2, -2, 2, 2));
    }
}

const QList<FormFieldReading> &FormView::PageFields() const
{
    if (fieldsStale_) {
        const CFormDocument *document = viewer_->Document();
        const int page = viewer_->GetCurrentPage() - 1;
        fields_ = document ? ReadFormPage(*document, page) : QList<FormFieldReading>();
        fieldsStale_ = false;
    }
    return fields_;
}

int FormView::CurrentField() const
{
    return current_ < PageFields().size() ? current_ : -1;
}

QRect FormView::FieldRectInView(int index) const
{
    const QList<FormFieldReading> &fields = PageFields();
    if (index < 0 || index >= fields.size())
        return {};
    const QRectF box = fields.at(index).box;
    const double scale = viewer_->ViewScale();
    return QRectF(viewer_->PageOriginInView() + box.topLeft() * scale, box.size() * scale)
        .toAlignedRect();
}

void FormView::SetCurrentField(int index)
{
    current_ = index;
    if (index >= 0) {
        viewer_->BringIntoView(PageFields().at(index).box);
        NotifyFormViewFieldFocused(this, index);
    }
    viewport()->update();
}

// The view's own focus is announced after its focus-in event: the field is
// told once that is done, so that it is the last one a reader hears.
void FormView::NotifyFieldLater()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!hasFocus())
                return;
            if (CurrentField() >= 0)
                NotifyFormViewFieldFocused(this, CurrentField());
            else
                NotifyFormViewFocused(this);
        },
        Qt::QueuedConnection);
}

void FormView::OnFieldMarked(int key)
{
    SyncFromViewer();
    const int index = IndexOfKey(PageFields(), key);
    if (index < 0)
        return;
    // The view takes the keyboard (once the error list is gone), so that the
    // wrong field is the one read out and framed.
    SetCurrentField(index);
    setFocus(Qt::OtherFocusReason);
}

// Tab and Shift+Tab go from field to field of the page; past its last (or
// before its first) they leave the view as anywhere else.
bool FormView::focusNextPrevChild(bool next)
{
    const int count = static_cast<int>(PageFields().size());
    const int current = CurrentField();
    const int to = current < 0 ? (next ? 0 : count - 1) : current + (next ? 1 : -1);
    if (hasFocus() && count > 0 && to >= 0 && to < count) {
        SetCurrentField(to);
        return true;
    }
    current_ = -1;
    viewport()->update();
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void FormView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    // Coming in by Tab starts at the first field, by Shift+Tab at the last.
    const int count = static_cast<int>(PageFields().size());
    if (count > 0 && CurrentField() < 0) {
        if (event->reason() == Qt::TabFocusReason)
            current_ = 0;
        else if (event->reason() == Qt::BacktabFocusReason)
            current_ = count - 1;
        if (current_ >= 0)
            viewer_->BringIntoView(PageFields().at(current_).box);
    }
    viewport()->update();
    NotifyFieldLater();
}

void FormView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
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
