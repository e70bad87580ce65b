#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>

namespace vk7 {

class CTessOCX;

// Shows the current page of the form viewer control: its scale and scroll
// position come from the control, which this widget keeps told of the
// viewport's size, the scroll bars and the mouse. While the control's zoom
// window mode is on, a rectangle drawn with the mouse fills the view.
class FormView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit FormView(CTessOCX *viewer, QWidget *parent = nullptr);

    CTessOCX *Viewer() const { return viewer_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void SyncFromViewer();

    CTessOCX *viewer_;
    bool syncing_ = false;
    bool dragging_ = false;
    QPoint dragStart_;
    QRect band_;
};

} // namespace vk7
