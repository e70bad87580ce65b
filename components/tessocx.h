#pragma once

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "components/formdocument.h"

class QPainter;

namespace vk7 {

// The form viewer control as the frame talks to it: one method per view
// operation, its events as signals. It shows a CFormDocument the frame owns
// (the form itself: pages, fields, checks, export, printing, which the logic
// works on) and hears its changes; this class adds the view state (zoom, fit
// mode, scroll position) that the widget applies.
class CTessOCX : public QObject, private IFormDocumentObserver
{
    Q_OBJECT
public:
    explicit CTessOCX(CFormDocument &document, QObject *parent = nullptr);
    ~CTessOCX() override;

    // Field keys and field boxes drawn over the pages; a newly opened form
    // shows neither.
    bool GetShowFieldKeys() const;
    void SetShowFieldKeys(bool on);
    bool GetShowFieldBoxes() const;
    void SetShowFieldBoxes(bool on);
    bool GetZoomWindowMode() const;
    void SetZoomWindowMode(bool on);

    short GoToPage(short page);
    short NextPage();
    short PreviousPage();
    short GetCurrentPage() const;
    short GetPageCount() const;
    void FullPage();
    void FitWidth();
    bool Zoom(double factor);
    void Scroll(bool vertical, bool byLine, bool backward);
    void Activate();
    // A size of 0 or less (an empty list) changes nothing.
    void SetTextSize(short size);
    bool ShowRuleError(long number);

    // View state, applied by the widget.
    enum class FitMode { None, Width, Page };
    short GetTextSize() const;
    double ViewScale() const; // screen pixels per page pixel
    FitMode GetFitMode() const;
    QPointF ScrollPosition() const; // top-left of the viewport, in screen pixels
    QSize ViewportSize() const;
    void SetViewportSize(const QSize &size);
    void SetScrollPosition(const QPointF &position);
    // The zoom window: a rectangle of the viewport (screen pixels) to fill the view with.
    bool ZoomToRect(const QRectF &viewportRect);
    // Paints the current page as the view shows it (scale and scroll applied).
    void PaintView(QPainter &painter) const;
    // Where the page's top-left corner is in the viewport, and the size of
    // what scrolls (the scaled page with its margins), in screen pixels.
    QPointF PageOriginInView() const;
    QSizeF ContentSizeInView() const;
    // The key of the field ShowRuleError marked; 0 when none.
    int MarkedFieldKey() const;
    // Brings a box of the current page (page pixels) into sight, centred,
    // unless it is in sight already.
    void BringIntoView(const QRect &pageBox);
    const CFormDocument *Document() const;

Q_SIGNALS:
    void pageChanged(short previous, short page);
    void pageCountChanged(short count);
    void textSizeChanged(short size);
    void fieldsInvalidated();
    // ShowRuleError marked a field: the one a reader of the view is taken to.
    void fieldMarked(int key);
    // Anything the widget shows changed (page, scale, scroll, fields).
    void viewChanged();

private:
    void FormDocumentChanged(Change change) override;
    void FormOpened();
    void FormClosed();
    void ApplyFit();
    void ClampScroll();
    void SetCurrentPage(int page);

    CFormDocument &document_;
    int currentPage_ = 0; // from 1; 0 with no form
    int markedKey_ = 0;
    QList<int> markedWith_; // marked with it: the rest of its date
    bool showFieldKeys_ = false;
    bool showFieldBoxes_ = false;
    bool zoomWindowMode_ = false;
    double scale_ = 0.5;
    FitMode fitMode_ = FitMode::Width;
    QPointF scroll_;
    QSize viewport_{800, 600};
};

} // namespace vk7
