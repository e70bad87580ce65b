#pragma once

#include <QAbstractScrollArea>
#include <QList>
#include <QPoint>
#include <QRect>

#include "components/formreading.h"

namespace vk7 {

class CTessOCX;

// Shows the current page of the form viewer control: its scale and scroll
// position come from the control, which this widget keeps told of the
// viewport's size, the scroll bars and the mouse. While the control's zoom
// window mode is on, a rectangle drawn with the mouse fills the view.
// Tab and Shift+Tab walk the fields of the page (framed in the view only);
// a screen reader reads the page as those fields (formviewaccessible.h).
class FormView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit FormView(CTessOCX *viewer, QWidget *parent = nullptr);

    CTessOCX *Viewer() const { return viewer_; }
    // The values the current page shows, in reading order.
    const QList<FormFieldReading> &PageFields() const;
    // The field the keyboard is on, an index of PageFields(); -1 for none.
    int CurrentField() const;
    // Where a field of PageFields() is in the viewport.
    QRect FieldRectInView(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void SyncFromViewer();
    void SetCurrentField(int index);
    void OnFieldMarked(int key);
    void NotifyFieldLater();

    CTessOCX *viewer_;
    bool syncing_ = false;
    bool dragging_ = false;
    QPoint dragStart_;
    QRect band_;
    mutable QList<FormFieldReading> fields_;
    mutable bool fieldsStale_ = true;
    int fieldsPage_ = 0; // the page fields_ and current_ belong to
    int current_ = -1;
};

} // namespace vk7
