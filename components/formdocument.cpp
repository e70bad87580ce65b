#include "components/formdocument.h"

#include <algorithm>

#include <QHash>
#include <QLoggingCategory>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>

#include "components/formpainter.h"
#include "components/imaging.h"
#include "components/printdevice.h"
#include "reception/paths.h"

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcFormViewer, "vk7.formviewer")

namespace vk7 {

namespace {

constexpr int kDotsPerMeter200Dpi = 7874; // 200 dpi

} // namespace

QString FormatAmount(const QString &value)
{
    static const QRegularExpression plainNumber(u"^(-?)(\\d+)(?:[.,](\\d+))?$"_s);
    const QString trimmed = value.trimmed();
    const QRegularExpressionMatch match = plainNumber.match(trimmed);
    if (!match.hasMatch())
        return value;
    const QString digits = match.captured(2);
    QString grouped;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += u'.';
        grouped += digits.at(i);
    }
    QString result = match.captured(1) + grouped;
    if (match.hasCaptured(3))
        result += u',' + match.captured(3);
    return result;
}

CFormDocument::CFormDocument() = default;
CFormDocument::~CFormDocument() = default;

Failure CFormDocument::Open(const QString &hostFolder, const QString &name)
{
    FormTemplate form;
    if (const Failure failure = ParseFormTemplate(hostFolder, name, &form); failure.Failed())
        return failure;
    template_ = std::move(form);
    open_ = true;
    Refresh();
    return {};
}

void CFormDocument::Close()
{
    open_ = false;
    template_ = FormTemplate();
    rows_.clear();
    slices_.clear();
}

Failure CFormDocument::OpenForm(const QString &folder, const QString &formName,
                                const IFieldSource *fields)
{
    const QString hostFolder = PathResolver::Resolve(folder);
    if (hostFolder.isEmpty() || formName.trimmed().isEmpty()) {
        const QString text = u"%1: no se puede abrir el formulario «%2»"_s.arg(folder, formName);
        qCWarning(lcFormViewer, "%s", qUtf8Printable(text));
        return Failure::Data(text);
    }
    FormTemplate form;
    if (const Failure failure = ParseFormTemplate(hostFolder, formName, &form); failure.Failed()) {
        qCWarning(lcFormViewer, "%s", qUtf8Printable(failure.text));
        return failure;
    }
    CloseForm();
    template_ = std::move(form);
    fields_ = fields;
    open_ = true;
    Refresh();
    Notify(IFormDocumentObserver::Change::Opened);
    return {};
}

bool CFormDocument::CloseForm()
{
    const bool wasOpen = open_;
    Close();
    if (wasOpen)
        Notify(IFormDocumentObserver::Change::Closed);
    return true;
}

void CFormDocument::TakeOver(const CFormDocument &other, const IFieldSource *fields,
                             IFormDocumentObserver::Change change)
{
    open_ = other.open_;
    template_ = other.template_;
    fields_ = fields;
    textSize_ = other.textSize_;
    ruleCheckMode_ = other.ruleCheckMode_;
    rows_ = other.rows_;
    slices_ = other.slices_;
    Notify(change);
}

void CFormDocument::SetFieldSource(const IFieldSource *fields)
{
    const bool replaced = fields_ != fields;
    fields_ = fields;
    if (replaced && open_)
        Notify(IFormDocumentObserver::Change::FieldSourceReplaced);
}

void CFormDocument::SetRuleCheckMode(bool on)
{
    if (ruleCheckMode_ == on)
        return;
    ruleCheckMode_ = on;
    Notify(IFormDocumentObserver::Change::RuleCheckMode);
}

int CFormDocument::SetTextSize(int size)
{
    const int before = textSize_;
    textSize_ = std::clamp(size, kMinTextSize, kMaxTextSize);
    // A size taken as asked and already in force is no news; one kept in range is.
    if (textSize_ != before || textSize_ != size)
        Notify(IFormDocumentObserver::Change::TextSize);
    return textSize_;
}

void CFormDocument::Notify(IFormDocumentObserver::Change change) const
{
    if (observer_)
        observer_->FormDocumentChanged(change);
}

double CFormDocument::TextPixelSize() const
{
    return textSize_ * 200.0 / 72.0;
}

QString CFormDocument::FieldText(const TemplateField &field) const
{
    const QString value = fields_ ? fields_->FieldValue(field.key) : QString();
    switch (field.kind) {
    case FieldKind::Amount:
        return FormatAmount(value);
    case FieldKind::Mark:
        return value.trimmed().isEmpty() ? QString() : u"X"_s;
    case FieldKind::Text:
    case FieldKind::Date:
    case FieldKind::Barcode:
        break;
    }
    return value;
}

const QList<ListingRow> &CFormDocument::Rows(int listing) const
{
    static const QList<ListingRow> none;
    return listing >= 0 && listing < rows_.size() ? rows_.at(listing) : none;
}

RowsSlice CFormDocument::Slice(int page, int rowsIndex) const
{
    if (page < 0 || page >= slices_.size() || rowsIndex < 0 || rowsIndex >= slices_.at(page).size())
        return {};
    return slices_.at(page).at(rowsIndex);
}

void CFormDocument::Refresh()
{
    rows_.clear();
    slices_.clear();
    if (!open_)
        return;
    const QList<TemplateListing> &listings = template_.listings;
    rows_.resize(listings.size());

    // Keys placed in a cell of their own are not listed again: once the
    // official lines are known, the listings shrink to what has no cell.
    QSet<int> placed;
    for (const TemplatePage &page : template_.pages) {
        for (const TemplateField &field : page.fields)
            placed.insert(field.key);
    }

    if (fields_ && !listings.isEmpty()) {
        // One pass over the store; the first record of a key wins, as in a lookup.
        QList<QHash<int, ListingRow>> found(listings.size());
        fields_->VisitFields([&](int key, const QString &value) {
            for (int i = 0; i < listings.size(); ++i) {
                const TemplateListing &listing = listings.at(i);
                const bool current = key >= listing.from && key <= listing.to;
                const bool previous = listing.previous && key % 10 == 1 &&
                                      key / 10 >= listing.from && key / 10 <= listing.to;
                if (!current && !previous)
                    continue;
                const int rowKey = current ? key : key / 10;
                if (placed.contains(rowKey))
                    continue;
                ListingRow &row = found[i][rowKey];
                row.key = rowKey;
                // Seen markers: a value already taken by an earlier record stays.
                QString &slot = current ? row.current : row.previous;
                if (slot.isNull())
                    slot = value.isNull() ? u""_s : value;
            }
        });
        for (int i = 0; i < listings.size(); ++i) {
            QList<ListingRow> &rows = rows_[i];
            rows.reserve(found.at(i).size());
            for (const ListingRow &row : std::as_const(found[i])) {
                // A key is listed when either year holds a value, so that no
                // amount of the deposit is hidden.
                if (!row.current.trimmed().isEmpty() || !row.previous.trimmed().isEmpty())
                    rows.append(row);
            }
            std::sort(rows.begin(), rows.end(),
                      [](const ListingRow &a, const ListingRow &b) { return a.key < b.key; });
        }
    }
    LayOutListings();
}

void CFormDocument::LayOutListings()
{
    const int pageCount = static_cast<int>(template_.pages.size());
    slices_.resize(pageCount);
    for (int p = 0; p < pageCount; ++p)
        slices_[p].resize(template_.pages.at(p).rows.size());

    for (int listing = 0; listing < template_.listings.size(); ++listing) {
        // The areas of this listing, in page order, with their capacities
        // (one row of each area holds the column headings).
        struct Area
        {
            int page;
            int index;
            int capacity;
        };
        QList<Area> areas;
        int capacity = 0;
        for (int p = 0; p < pageCount; ++p) {
            const QList<TemplateRows> &rows = template_.pages.at(p).rows;
            for (int r = 0; r < rows.size(); ++r) {
                if (rows.at(r).listing != listing)
                    continue;
                const int rowsHere = rows.at(r).box.height() / rows.at(r).rowHeight - 1;
                areas.append({p, r, rowsHere});
                capacity += rowsHere;
            }
        }
        if (areas.isEmpty())
            continue;
        const int total = static_cast<int>(Rows(listing).size());
        // When rows do not fit, the last place of the last area holds the note.
        const bool overflow = total > capacity;
        int next = 0;
        for (int a = 0; a < areas.size(); ++a) {
            const Area &area = areas.at(a);
            int room = area.capacity;
            if (overflow && a == areas.size() - 1)
                room -= 1;
            RowsSlice slice;
            slice.first = next;
            slice.count = std::clamp(total - next, 0, std::max(room, 0));
            next += slice.count;
            if (overflow && a == areas.size() - 1)
                slice.hidden = total - next;
            slices_[area.page][area.index] = slice;
        }
    }
}

QList<ErrorRecord> CFormDocument::RuleErrors() const
{
    QList<ErrorRecord> records;
    if (!open_)
        return records;
    QSet<int> reported;
    for (const TemplatePage &page : template_.pages) {
        for (const TemplateField &field : page.fields) {
            if (!field.required || reported.contains(field.key))
                continue;
            const QString value = fields_ ? fields_->FieldValue(field.key) : QString();
            if (!value.trimmed().isEmpty())
                continue;
            reported.insert(field.key);
            records.append({ErrorRecord::Kind::RequiredField, field.key,
                            u"9999:Campo obligatorio sin rellenar. (Error Primario)"_s, field.key,
                            field.label});
        }
    }
    return records;
}

int CFormDocument::PageOfKey(int key) const
{
    if (!open_)
        return -1;
    const int pageCount = static_cast<int>(template_.pages.size());
    for (int p = 0; p < pageCount; ++p) {
        for (const TemplateField &field : template_.pages.at(p).fields) {
            if (field.key == key)
                return p;
        }
    }
    for (int listing = 0; listing < rows_.size(); ++listing) {
        const QList<ListingRow> &rows = rows_.at(listing);
        const auto it = std::lower_bound(rows.begin(), rows.end(), key,
                                         [](const ListingRow &row, int k) { return row.key < k; });
        if (it == rows.end() || it->key != key)
            continue;
        const int index = static_cast<int>(it - rows.begin());
        int lastPage = -1;
        for (int p = 0; p < pageCount; ++p) {
            const QList<TemplateRows> &areas = template_.pages.at(p).rows;
            for (int r = 0; r < areas.size(); ++r) {
                if (areas.at(r).listing != listing)
                    continue;
                const RowsSlice slice = Slice(p, r);
                if (index >= slice.first && index < slice.first + slice.count)
                    return p;
                lastPage = p;
            }
        }
        // A row with no place: the page with the note about it.
        if (lastPage >= 0)
            return lastPage;
    }
    return -1;
}

QRect CFormDocument::KeyBox(int key, int page) const
{
    if (!open_ || page < 0 || page >= PageCount())
        return {};
    const TemplatePage &content = template_.pages.at(page);
    for (const TemplateField &field : content.fields) {
        if (field.key == key)
            return field.box;
    }
    for (int r = 0; r < content.rows.size(); ++r) {
        const TemplateRows &area = content.rows.at(r);
        const QList<ListingRow> &rows = Rows(area.listing);
        const RowsSlice slice = Slice(page, r);
        for (int i = 0; i < slice.count; ++i) {
            if (rows.at(slice.first + i).key == key)
                return QRect(area.box.left(), area.box.top() + area.rowHeight * (i + 1),
                             area.box.width(), area.rowHeight);
        }
        // A key without a place is pointed at by the note.
        if (slice.hidden > 0) {
            const auto it =
                std::lower_bound(rows.begin(), rows.end(), key,
                                 [](const ListingRow &row, int k) { return row.key < k; });
            if (it != rows.end() && it->key == key &&
                it - rows.begin() >= slice.first + slice.count)
                return QRect(area.box.left(), area.box.top() + area.rowHeight * (slice.count + 1),
                             area.box.width(), area.rowHeight);
        }
    }
    return {};
}

QImage CFormDocument::RenderPageImage(int page) const
{
    QImage image(kFormPageWidth, kFormPageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        // Crisp edges and glyphs: the page ends up with one bit per pixel.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        PaintFormPage(painter, *this, page);
    }
    QImage mono = image.convertToFormat(QImage::Format_Mono,
                                        Qt::MonoOnly | Qt::ThresholdDither | Qt::AvoidDither);
    mono.setDotsPerMeterX(kDotsPerMeter200Dpi);
    mono.setDotsPerMeterY(kDotsPerMeter200Dpi);
    return mono;
}

bool CFormDocument::RefreshFields()
{
    if (!open_)
        return false;
    Refresh();
    Notify(IFormDocumentObserver::Change::Refreshed);
    return true;
}

Failure CFormDocument::ExportPages(const QString &folder) const
{
    if (!open_)
        return Failure::Data(u"No hay formulario abierto"_s);
    for (int page = 1; page <= PageCount(); ++page) {
        const QString path = folder + u"K7.%1"_s.arg(page, 3, 10, QLatin1Char('0'));
        if (const Failure failure = SaveImageFile(path, RenderPageImage(page - 1));
            failure.Failed()) {
            qCWarning(lcFormViewer, "%s: no se puede escribir la página", qUtf8Printable(path));
            return failure;
        }
    }
    return {};
}

bool CFormDocument::PrintPages(PrintDevice &printer, const QString &jobName,
                               const QList<int> &pages) const
{
    if (!open_ || pages.isEmpty() || !printer.BeginJob(jobName))
        return false;
    bool printed = true;
    for (int page : pages) {
        if (page < 1 || page > PageCount() ||
            !printer.PrintPage(PageImage{QString(), 0, RenderPageImage(page - 1)}))
            printed = false;
    }
    return printer.EndJob() && printed;
}

} // namespace vk7
