#include "components/tessocx.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QTime>

#include "components/formdocument.h"
#include "components/formpainter.h"
#include "components/imaging.h"
#include "components/pagegeometry.h"
#include "components/printdevice.h"
#include "reception/paths.h"

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcFormViewer, "vk7.formviewer")

namespace vk7 {

namespace {

const QSizeF kPageSize(kFormPageWidth, kFormPageHeight);

// The numbers the error list hands over, and the keys they may stand for:
// the key itself, a key taken past 9000000, the error list's rewrite of a
// final "1" into "01", and a previous-year key shown beside its current one.
QList<int> CandidateKeys(long number)
{
    QList<int> keys;
    auto add = [&keys](long key) {
        if (key > 0 && key <= 99999999 && !keys.contains(static_cast<int>(key)))
            keys.append(static_cast<int>(key));
    };
    add(number);
    if (number >= 9000000)
        add(number - 9000000);
    const QString text = QString::number(number);
    if (text.size() > 2 && text.endsWith(u"01"_s))
        add(text.chopped(2).append(u'1').toLong());
    if (number % 10 == 1)
        add(number / 10);
    return keys;
}

} // namespace

CTessOCX::CTessOCX(QObject *parent) : QObject(parent), document_(std::make_unique<CFormDocument>())
{
}

CTessOCX::~CTessOCX() = default;

bool CTessOCX::GetRuleCheckMode() const
{
    return ruleCheckMode_;
}

void CTessOCX::SetRuleCheckMode(bool on)
{
    if (ruleCheckMode_ == on)
        return;
    ruleCheckMode_ = on;
    Q_EMIT ViewChanged();
}

bool CTessOCX::GetProperty4() const
{
    return property4_;
}

void CTessOCX::SetProperty4(bool on)
{
    if (property4_ == on)
        return;
    property4_ = on;
    Q_EMIT ViewChanged();
}

bool CTessOCX::GetProperty5() const
{
    return property5_;
}

void CTessOCX::SetProperty5(bool on)
{
    if (property5_ == on)
        return;
    property5_ = on;
    Q_EMIT ViewChanged();
}

bool CTessOCX::GetZoomWindowMode() const
{
    return zoomWindowMode_;
}

void CTessOCX::SetZoomWindowMode(bool on)
{
    zoomWindowMode_ = on;
}

void CTessOCX::SetCurrentPage(int page)
{
    const int previous = currentPage_;
    if (page == previous)
        return;
    currentPage_ = page;
    // A new page is seen from its top.
    scroll_.setY(0);
    ClampScroll();
    Q_EMIT PageChanged(static_cast<short>(previous), static_cast<short>(page));
    Q_EMIT ViewChanged();
}

short CTessOCX::GoToPage(short page)
{
    if (page >= 1 && page <= document_->PageCount())
        SetCurrentPage(page);
    return static_cast<short>(currentPage_);
}

short CTessOCX::NextPage()
{
    return GoToPage(static_cast<short>(currentPage_ + 1));
}

short CTessOCX::PreviousPage()
{
    return GoToPage(static_cast<short>(currentPage_ - 1));
}

short CTessOCX::GetCurrentPage() const
{
    return static_cast<short>(currentPage_);
}

short CTessOCX::GetPageCount() const
{
    return static_cast<short>(document_->PageCount());
}

void CTessOCX::FullPage()
{
    fitMode_ = FitMode::Page;
    ApplyFit();
    Q_EMIT ViewChanged();
}

void CTessOCX::FitWidth()
{
    fitMode_ = FitMode::Width;
    ApplyFit();
    Q_EMIT ViewChanged();
}

bool CTessOCX::Zoom(double factor)
{
    double scale = scale_;
    if (!ZoomedScale(scale_, factor, &scale))
        return false;
    // The centre of the view stays where it is.
    const QPointF centre(viewport_.width() / 2.0, viewport_.height() / 2.0);
    scroll_ = ScrollKeepingPoint(kPageSize, scale_, scale, scroll_, centre, viewport_);
    scale_ = scale;
    fitMode_ = FitMode::None;
    Q_EMIT ViewChanged();
    return true;
}

void CTessOCX::Scroll(bool vertical, bool byLine, bool backward)
{
    const QPointF before = scroll_;
    scroll_ = ScrollStep(scroll_, vertical, byLine, backward, viewport_);
    ClampScroll();
    if (scroll_ != before)
        Q_EMIT ViewChanged();
}

void CTessOCX::Activate()
{
    Q_EMIT ViewChanged();
}

void CTessOCX::Invalidate()
{
    Q_EMIT ViewChanged();
}

void CTessOCX::SetTextSize(short size)
{
    // A size the list could not hold (0 from an empty list) changes nothing.
    if (size <= 0)
        return;
    const int before = document_->TextSize();
    const int now = document_->SetTextSize(size);
    if (now != before || now != size)
        Q_EMIT TextSizeChanged(static_cast<short>(now));
    Q_EMIT ViewChanged();
}

short CTessOCX::GetTextSize() const
{
    return static_cast<short>(document_->TextSize());
}

bool CTessOCX::CloseForm()
{
    const bool wasOpen = document_->IsOpen();
    document_->Close();
    markedKey_ = 0;
    if (wasOpen) {
        SetCurrentPage(0);
        Q_EMIT PageCountChanged(0);
    }
    Q_EMIT ViewChanged();
    return true;
}

void CTessOCX::SetFieldSource(const IFieldSource *fields)
{
    const bool changed = document_->FieldSource() != fields;
    document_->SetFieldSource(fields);
    // What the pages show is stale until the next refresh.
    if (changed && document_->IsOpen())
        Q_EMIT FieldsInvalidated();
}

bool CTessOCX::RefreshFields()
{
    if (!document_->IsOpen())
        return false;
    document_->Refresh();
    Q_EMIT ViewChanged();
    return true;
}

bool CTessOCX::OpenForm(const QString &folder, const QString &formName, const IFieldSource *fields)
{
    const QString hostFolder = PathResolver::Resolve(folder);
    if (hostFolder.isEmpty() || formName.trimmed().isEmpty()) {
        qCWarning(lcFormViewer, "%s: no se puede abrir el formulario «%s»", qUtf8Printable(folder),
                  qUtf8Printable(formName));
        return false;
    }
    auto document = std::make_unique<CFormDocument>();
    document->SetTextSize(document_->TextSize());
    document->SetFieldSource(fields);
    QString error;
    if (!document->Open(hostFolder, formName, &error)) {
        qCWarning(lcFormViewer, "%s", qUtf8Printable(error));
        return false;
    }
    // The form in view is replaced only by one that opened.
    CloseForm();
    document_ = std::move(document);
    markedKey_ = 0;
    scroll_ = QPointF();
    ApplyFit();
    Q_EMIT PageCountChanged(static_cast<short>(document_->PageCount()));
    SetCurrentPage(1);
    Q_EMIT TextSizeChanged(static_cast<short>(document_->TextSize()));
    Q_EMIT ViewChanged();
    return true;
}

bool CTessOCX::ShowRuleError(long number)
{
    if (!document_->IsOpen())
        return false;
    for (int key : CandidateKeys(number)) {
        const int page = document_->PageOfKey(key);
        if (page < 0)
            continue;
        markedKey_ = key;
        SetCurrentPage(page + 1);
        // The field is brought into view, not just its page.
        const QRect box = document_->KeyBox(key, page);
        if (!box.isEmpty())
            scroll_ = ScrollToShow(kPageSize, scale_, box, viewport_);
        Q_EMIT ViewChanged();
        return true;
    }
    return false;
}

bool CTessOCX::GetRuleErrors(QList<ErrorRecord> *records)
{
    if (!records || !document_->IsOpen())
        return false;
    records->append(document_->RuleErrors());
    return true;
}

bool CTessOCX::ExportPages(short option, const QString &folder)
{
    // Option 4 is the only one the system asks for: page files K7.001 on.
    if (option != 4 || !document_->IsOpen())
        return false;
    const int count = document_->PageCount();
    for (int page = 1; page <= count; ++page) {
        const QString path = folder + u"K7.%1"_s.arg(page, 3, 10, QLatin1Char('0'));
        const QImage image = document_->RenderPageImage(page - 1);
        if (SaveImageFile(path, image) != 1) {
            qCWarning(lcFormViewer, "%s: no se puede escribir la página", qUtf8Printable(path));
            return false;
        }
    }
    return true;
}

bool CTessOCX::PrintPages(short option, const QString &pages)
{
    PrintDevice *const device = option == 1 || option == 101 ? printer_ : nullptr;
    if (!device || !document_->IsOpen())
        return false;
    const QList<int> chosen = ParsePageList(pages, document_->PageCount());
    if (chosen.isEmpty())
        return false;
    // One job of the form's pages, each drawn as the page image the export
    // writes, named after the form and the time like the output's own jobs.
    const QString name = u"VK7_%1_%2"_s.arg(document_->Template().name,
                                            QTime::currentTime().toString(u"HH:mm:ss"_s));
    if (!device->BeginJob(name))
        return false;
    bool printed = true;
    for (int page : chosen) {
        if (page < 1 || page > document_->PageCount() ||
            !device->PrintPage(PageImage{QString(), 0, document_->RenderPageImage(page - 1)}))
            printed = false;
    }
    return device->EndJob() && printed;
}

void CTessOCX::SetPrinter(PrintDevice *printer)
{
    printer_ = printer;
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
    if (size == viewport_ || size.isEmpty())
        return;
    viewport_ = size;
    ApplyFit();
    ClampScroll();
    Q_EMIT ViewChanged();
}

void CTessOCX::SetScrollPosition(const QPointF &position)
{
    const QPointF before = scroll_;
    scroll_ = position;
    ClampScroll();
    if (scroll_ != before)
        Q_EMIT ViewChanged();
}

bool CTessOCX::ZoomToRect(const QRectF &viewportRect)
{
    double scale = scale_;
    QPointF scroll = scroll_;
    if (!ZoomToRectangle(kPageSize, scale_, scroll_, viewportRect, viewport_, &scale, &scroll))
        return false;
    scale_ = scale;
    scroll_ = scroll;
    fitMode_ = FitMode::None;
    Q_EMIT ViewChanged();
    return true;
}

QPointF CTessOCX::PageOriginInView() const
{
    return PageOrigin(kPageSize, scale_, scroll_, viewport_);
}

QSizeF CTessOCX::ContentSizeInView() const
{
    return ContentSize(kPageSize, scale_);
}

void CTessOCX::PaintView(QPainter &painter) const
{
    if (!document_->IsOpen() || currentPage_ < 1)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(PageOriginInView());
    painter.scale(scale_, scale_);
    FormPaintOptions options;
    options.markedKey = markedKey_;
    options.showRequired = ruleCheckMode_;
    options.showKeys = property4_;
    options.showFieldBoxes = property5_;
    PaintFormPage(painter, *document_, currentPage_ - 1, options);
    painter.restore();
}

int CTessOCX::MarkedFieldKey() const
{
    return markedKey_;
}

const CFormDocument *CTessOCX::Document() const
{
    return document_.get();
}

void CTessOCX::ApplyFit()
{
    if (fitMode_ == FitMode::Width)
        scale_ = FitWidthScale(kPageSize, viewport_);
    else if (fitMode_ == FitMode::Page)
        scale_ = FullPageScale(kPageSize, viewport_);
    ClampScroll();
}

void CTessOCX::ClampScroll()
{
    scroll_ = vk7::ClampScroll(scroll_, ContentSize(kPageSize, scale_), viewport_);
}

} // namespace vk7
