#include "components/tessocx.h"

#include <QPainter>

#include "components/formdocument.h"

namespace vk7 {

// First cut: the interface the frame and the checks code against. The form
// document behind it comes next.
CTessOCX::CTessOCX(QObject *parent) : QObject(parent) {}
CTessOCX::~CTessOCX() = default;

bool CTessOCX::GetRuleCheckMode() const
{
    return ruleCheckMode_;
}
void CTessOCX::SetRuleCheckMode(bool on)
{
    ruleCheckMode_ = on;
}
bool CTessOCX::GetProperty4() const
{
    return property4_;
}
void CTessOCX::SetProperty4(bool on)
{
    property4_ = on;
}
bool CTessOCX::GetProperty5() const
{
    return property5_;
}
void CTessOCX::SetProperty5(bool on)
{
    property5_ = on;
}
bool CTessOCX::GetZoomWindowMode() const
{
    return zoomWindowMode_;
}
void CTessOCX::SetZoomWindowMode(bool on)
{
    zoomWindowMode_ = on;
}

short CTessOCX::GoToPage(short)
{
    return 0;
}
short CTessOCX::NextPage()
{
    return 0;
}
short CTessOCX::PreviousPage()
{
    return 0;
}
short CTessOCX::GetCurrentPage() const
{
    return 0;
}
short CTessOCX::GetPageCount() const
{
    return 0;
}
void CTessOCX::FullPage() {}
void CTessOCX::FitWidth() {}
bool CTessOCX::Zoom(double)
{
    return false;
}
void CTessOCX::Scroll(bool, bool, bool) {}
void CTessOCX::Activate() {}
void CTessOCX::SetTextSize(short) {}
bool CTessOCX::CloseForm()
{
    return true;
}
void CTessOCX::SetFieldSource(const IFieldSource *) {}
bool CTessOCX::RefreshFields()
{
    return false;
}
bool CTessOCX::OpenForm(const QString &, const QString &, const IFieldSource *)
{
    return false;
}
bool CTessOCX::ShowRuleError(long)
{
    return false;
}
bool CTessOCX::GetRuleErrors(QStringList *)
{
    return false;
}
bool CTessOCX::ExportPages(short, const QString &)
{
    return false;
}
bool CTessOCX::PrintPages(short, const QString &)
{
    return false;
}
void CTessOCX::SetPrinters(QPagedPaintDevice *chosen, QPagedPaintDevice *defaultPrinter)
{
    chosenPrinter_ = chosen;
    defaultPrinter_ = defaultPrinter;
}

short CTessOCX::GetTextSize() const
{
    return 0;
}
double CTessOCX::ViewScale() const
{
    return scale_;
}
CTessOCX::FitMode CTessOCX::GetFitMode() const
{
    return fitMode_;
}
QPointF CTessOCX::ScrollPosition() const
{
    return scroll_;
}
QSize CTessOCX::ViewportSize() const
{
    return viewport_;
}
void CTessOCX::SetViewportSize(const QSize &size)
{
    viewport_ = size;
}
void CTessOCX::SetScrollPosition(const QPointF &position)
{
    scroll_ = position;
}
bool CTessOCX::ZoomToRect(const QRectF &)
{
    return false;
}
void CTessOCX::PaintView(QPainter &) const {}
int CTessOCX::MarkedFieldKey() const
{
    return 0;
}
const CFormDocument *CTessOCX::Document() const
{
    return document_.get();
}
void CTessOCX::ApplyFit() {}
void CTessOCX::ClampScroll() {}
void CTessOCX::SetCurrentPage(int) {}

} // namespace vk7
