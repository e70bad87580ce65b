#include "components/tessocx.h"

#include <utility>

#include <QPainter>

#include "components/formpainter.h"
#include "components/pagegeometry.h"

using namespace Qt::StringLiterals;

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

// A date is one datum the rules name by one of its keys, the start and
// closing dates by their year (the date record of DATOS.ASC), the
// application's by its day: its error marks the whole date, day, month and
// year, since any of them may be at fault.
QList<int> MarkedWith(int key)
{
    static const QList<QList<int>> kDates{
        {810130, 810120, 810290}, {810030, 810020, 810190}, {781101, 781102, 781103}};
    for (const QList<int> &date : kDates) {
        if (date.contains(key)) {
            QList<int> others = date;
            others.removeOne(key);
            return others;
        }
    }
    return {};
}

} // namespace

CTessOCX::CTessOCX(CFormDocument &document, QObject *parent) : QObject(parent), document_(document)
{
    document_.SetObserver(this);
}

CTessOCX::~CTessOCX()
{
    if (document_.Observer() == this)
        document_.SetObserver(nullptr);
}

bool CTessOCX::GetShowFieldKeys() const
{
    return showFieldKeys_;
}

void CTessOCX::SetShowFieldKeys(bool on)
{
    if (showFieldKeys_ == on)
        return;
    showFieldKeys_ = on;
    Q_EMIT viewChanged();
}

bool CTessOCX::GetShowFieldBoxes() const
{
    return showFieldBoxes_;
}

void CTessOCX::SetShowFieldBoxes(bool on)
{
    if (showFieldBoxes_ == on)
        return;
    showFieldBoxes_ = on;
    Q_EMIT viewChanged();
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
    Q_EMIT pageChanged(static_cast<short>(previous), static_cast<short>(page));
    Q_EMIT viewChanged();
}

short CTessOCX::GoToPage(short page)
{
    if (page >= 1 && page <= document_.PageCount())
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
    return static_cast<short>(document_.PageCount());
}

void CTessOCX::FullPage()
{
    fitMode_ = FitMode::Page;
    ApplyFit();
    Q_EMIT viewChanged();
}

void CTessOCX::FitWidth()
{
    fitMode_ = FitMode::Width;
    ApplyFit();
    Q_EMIT viewChanged();
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
    Q_EMIT viewChanged();
    return true;
}

void CTessOCX::Scroll(bool vertical, bool byLine, bool backward)
{
    const QPointF before = scroll_;
    scroll_ = ScrollStep(scroll_, vertical, byLine, backward, viewport_);
    ClampScroll();
    if (scroll_ != before)
        Q_EMIT viewChanged();
}

void CTessOCX::Activate()
{
    Q_EMIT viewChanged();
}

void CTessOCX::SetTextSize(short size)
{
    if (size <= 0)
        return;
    document_.SetTextSize(size);
}

short CTessOCX::GetTextSize() const
{
    return static_cast<short>(document_.TextSize());
}

void CTessOCX::FormDocumentChanged(Change change)
{
    switch (change) {
    case Change::Opened:
        FormOpened();
        break;
    case Change::Closed:
        FormClosed();
        break;
    case Change::FieldSourceReplaced:
        // What the pages show is stale until the next refresh.
        Q_EMIT fieldsInvalidated();
        break;
    case Change::TextSize:
        Q_EMIT textSizeChanged(static_cast<short>(document_.TextSize()));
        Q_EMIT viewChanged();
        break;
    case Change::Refreshed:
    case Change::RuleCheckMode:
        Q_EMIT viewChanged();
        break;
    }
}

void CTessOCX::FormOpened()
{
    markedKey_ = 0;
    markedWith_.clear();
    showFieldKeys_ = false;
    showFieldBoxes_ = false;
    scroll_ = QPointF();
    ApplyFit();
    Q_EMIT pageCountChanged(static_cast<short>(document_.PageCount()));
    SetCurrentPage(1);
    Q_EMIT textSizeChanged(static_cast<short>(document_.TextSize()));
    Q_EMIT viewChanged();
}

void CTessOCX::FormClosed()
{
    markedKey_ = 0;
    markedWith_.clear();
    SetCurrentPage(0);
    Q_EMIT pageCountChanged(0);
    Q_EMIT viewChanged();
}

bool CTessOCX::ShowRuleError(long number)
{
    if (!document_.IsOpen())
        return false;
    for (int key : CandidateKeys(number)) {
        const int page = document_.PageOfKey(key);
        if (page < 0)
            continue;
        markedKey_ = key;
        markedWith_ = MarkedWith(key);
        SetCurrentPage(page + 1);
        // The field is brought into view, not just its page.
        const QRect box = document_.KeyBox(key, page);
        if (!box.isEmpty())
            scroll_ = ScrollToShow(kPageSize, scale_, box, viewport_);
        Q_EMIT viewChanged();
        Q_EMIT fieldMarked(key);
        return true;
    }
    return false;
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
    Q_EMIT viewChanged();
}

void CTessOCX::SetScrollPosition(const QPointF &position)
{
    const QPointF before = scroll_;
    scroll_ = position;
    ClampScroll();
    if (scroll_ != before)
        Q_EMIT viewChanged();
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
    Q_EMIT viewChanged();
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
    if (!document_.IsOpen() || currentPage_ < 1)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(PageOriginInView());
    painter.scale(scale_, scale_);
    FormPaintOptions options;
    options.markedKey = markedKey_;
    options.markedWith = markedWith_;
    options.showRequired = document_.RuleCheckMode();
    options.showKeys = showFieldKeys_;
    options.showFieldBoxes = showFieldBoxes_;
    PaintFormPage(painter, document_, currentPage_ - 1, options);
    painter.restore();
}

int CTessOCX::MarkedFieldKey() const
{
    return markedKey_;
}

void CTessOCX::BringIntoView(const QRect &pageBox)
{
    if (pageBox.isEmpty())
        return;
    // A box already in sight stays where it is: walking the fields of a
    // line does not shake the page.
    const QRectF shown(PageOriginInView() + QPointF(pageBox.topLeft()) * scale_,
                       QSizeF(pageBox.size()) * scale_);
    if (QRectF(QPointF(), QSizeF(viewport_)).contains(shown))
        return;
    const QPointF before = scroll_;
    scroll_ = ScrollToShow(kPageSize, scale_, pageBox, viewport_);
    ClampScroll();
    if (scroll_ != before)
        Q_EMIT viewChanged();
}

const CFormDocument *CTessOCX::Document() const
{
    return &document_;
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
