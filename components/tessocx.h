#pragma once

#include <memory>

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "components/errorrecord.h"
#include "components/fieldsource.h"

class QPainter;

namespace vk7 {

class CFormDocument;
class PrintDevice;

// The form viewer control as the frame talks to it: one method per operation
// of the control, its events as signals. The form itself (pages, fields,
// checks, export, printing) lives in CFormDocument; this class adds
// the view state (zoom, fit mode, scroll position) that the widget applies.
class CTessOCX : public QObject
{
    Q_OBJECT
public:
    explicit CTessOCX(QObject *parent = nullptr);
    ~CTessOCX() override;

    bool GetRuleCheckMode() const;
    void SetRuleCheckMode(bool on); // dispid 1
    bool GetProperty4() const;
    void SetProperty4(bool on); // dispid 4
    bool GetProperty5() const;
    void SetProperty5(bool on); // dispid 5
    bool GetZoomWindowMode() const;
    void SetZoomWindowMode(bool on); // dispid 7

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
    void SetTextSize(short size);
    bool CloseForm();
    void SetFieldSource(const IFieldSource *fields);
    bool RefreshFields();
    bool OpenForm(const QString &folder, const QString &formName, const IFieldSource *fields);
    bool ShowRuleError(long number);
    bool GetRuleErrors(QList<ErrorRecord> *records);
    bool ExportPages(short option, const QString &folder);
    bool PrintPages(short option, const QString &pages);
    // The frame hands over its current printer, on which every job of a
    // print run goes: option 1 (a printer just chosen with "Configurar
    // &Impesora") and option 101 (print without asking) both print on it, so
    // that a deposit's form pages never go to another printer than its
    // sheet and documents.
    void SetPrinter(PrintDevice *printer);
    // The whole view is to be painted again (the window invalidated).
    void Invalidate();

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
    const CFormDocument *Document() const;

Q_SIGNALS:
    void PageChanged(short previous, short page);
    void PageCountChanged(short count);
    void TextSizeChanged(short size);
    void FieldsInvalidated();
    // Anything the widget shows changed (page, scale, scroll, fields).
    void ViewChanged();

private:
    void ApplyFit();
    void ClampScroll();
    void SetCurrentPage(int page);

    std::unique_ptr<CFormDocument> document_;
    int currentPage_ = 0; // from 1; 0 with no form
    int markedKey_ = 0;
    bool ruleCheckMode_ = false;
    bool property4_ = false;
    bool property5_ = false;
    bool zoomWindowMode_ = false;
    double scale_ = 0.5;
    FitMode fitMode_ = FitMode::Width;
    QPointF scroll_;
    QSize viewport_{800, 600};
    PrintDevice *printer_ = nullptr;
};

} // namespace vk7
