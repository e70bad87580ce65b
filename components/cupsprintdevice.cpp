#include "cupsprintdevice.h"

#include <algorithm>
#include <cups/cups.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMarginsF>
#include <QTemporaryFile>

#include "pdfdocument.h"

using namespace Qt::StringLiterals;

namespace vk7 {

Q_LOGGING_CATEGORY(lcCups, "vk7.cups", QtWarningMsg)

namespace {

struct DestinationDeleter
{
    void operator()(cups_dest_t *dest) const { cupsFreeDests(1, dest); }
};
using Destination = std::unique_ptr<cups_dest_t, DestinationDeleter>;

Destination FindDestination(const QString &queue)
{
    const QByteArray name = queue.toUtf8();
    return Destination(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.isEmpty() ? nullptr : name.constData(), nullptr));
}

QString LastCupsError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

// The unprintable edges of the paper a job goes on, in points, as the queue
// declares them (its PPD's ImageableArea, or the IPP printer's media
// margins): for the paper the job's options name, else for its default
// paper. None when the queue says nothing.
QMarginsF PrintableMargins(cups_dest_t *dest, const QStringList &jobOptions)
{
    cups_dinfo_t *info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (!info)
        return {};
    cups_option_t *options = nullptr;
    int count = 0;
    for (const QString &text : jobOptions)
        count = cupsParseOptions(text.toUtf8().constData(), count, &options);
    const char *named = cupsGetOption("media", count, options);
    if (!named)
        named = cupsGetOption("PageSize", count, options);
    // "media" may list a tray or a type after the paper.
    const QByteArray paper = QByteArray(named).split(',').constFirst();
    cups_size_t size = {};
    const bool found =
        (!paper.isEmpty() &&
         cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info, paper.constData(),
                                CUPS_MEDIA_FLAGS_DEFAULT, &size)) ||
        cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size);
    cupsFreeOptions(count, options);
    cupsFreeDestInfo(info);
    if (!found)
        return {};
    // CUPS gives them in hundredths of a millimetre.
    constexpr double kPoints = 72.0 / 2540.0;
    return QMarginsF(size.left * kPoints, size.top * kPoints, size.right * kPoints,
                     size.bottom * kPoints);
}

} // namespace

int CountJobOptions(const QString &text)
{
    cups_option_t *options = nullptr;
    const int count = cupsParseOptions(text.toUtf8().constData(), 0, &options);
    cupsFreeOptions(count, options);
    return count;
}

CupsPrintDevice::CupsPrintDevice(const QString &queue) : settings_{queue, 1, {}} {}

CupsPrintDevice::CupsPrintDevice(const PrintSettings &settings) : settings_(settings) {}

CupsPrintDevice::~CupsPrintDevice() = default;

QString CupsPrintDevice::ResolveQueue(const QString &queue)
{
    const Destination dest = FindDestination(queue);
    return dest ? QString::fromUtf8(dest->name) : QString();
}

bool CupsPrintDevice::BeginJob(const QString &name)
{
    if (document_)
        return false;
    const Destination dest = FindDestination(settings_.queue);
    if (!dest) {
        lastError_ = u"no existe la impresora %1: %2"_s.arg(settings_.queue, LastCupsError());
        qCInfo(lcCups, "%s", qUtf8Printable(lastError_));
        return false;
    }
    // IPP printer-state 5 is "stopped".
    const char *state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const char *accepting =
        cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    if ((state && qstrcmp(state, "5") == 0) || (accepting && qstrcmp(accepting, "false") == 0)) {
        lastError_ = u"la impresora %1 está detenida o no admite trabajos"_s.arg(
            QString::fromUtf8(dest->name));
        qCInfo(lcCups, "%s", qUtf8Printable(lastError_));
        return false;
    }
    destination_ = QString::fromUtf8(dest->name);
    jobName_ = name;
    document_ = std::make_unique<PdfDocument>();
    // On paper a page goes where the printer can print; files keep the whole sheet.
    document_->SetPrintableMargins(PrintableMargins(dest.get(), settings_.options));
    return true;
}

bool CupsPrintDevice::PrintPage(const PageImage &page)
{
    if (!document_)
        return false;
    const bool added = document_->AddPage(page);
    ioFailure_.KeepFirst(document_->IoFailure());
    return added;
}

void CupsPrintDevice::AbandonJob()
{
    document_.reset();
}

bool CupsPrintDevice::EndJob()
{
    if (!document_)
        return false;
    const std::unique_ptr<PdfDocument> document = std::move(document_);
    const int pages = document->PageCount();
    if (pages == 0)
        return true;
    // The job's document goes through a temporary file: a job of thousands
    // of pages is never held whole.
    QTemporaryFile pdf(QDir::tempPath() + u"/vk7-trabajo-XXXXXX.pdf"_s);
    if (!pdf.open()) {
        lastError_ = u"ERROR. No se puede crear el PDF"_s;
        return false;
    }
    // The document replaces the temporary file by name: it is read anew.
    if (const Failure failure = document->WriteFile(pdf.fileName()); failure.Failed()) {
        lastError_ = failure.text;
        return false;
    }
    QFile written(pdf.fileName());
    if (!written.open(QIODevice::ReadOnly)) {
        lastError_ = u"ERROR. No se puede leer el fichero %1"_s.arg(pdf.fileName());
        return false;
    }

    const QByteArray destination = destination_.toUtf8();
    const QByteArray title = jobName_.toUtf8();
    // The clerk's settings go with the job as CUPS job options, the copies
    // among them: the printer (or its filters) makes them.
    cups_option_t *options = nullptr;
    int optionCount = 0;
    for (const QString &text : settings_.options)
        optionCount = cupsParseOptions(text.toUtf8().constData(), optionCount, &options);
    if (settings_.copies > 1)
        optionCount = cupsAddOption("copies", QByteArray::number(settings_.copies).constData(),
                                    optionCount, &options);
    const int jobId = cupsCreateJob(CUPS_HTTP_DEFAULT, destination.constData(), title.constData(),
                                    optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (jobId <= 0) {
        lastError_ = u"la impresora %1 rechaza el trabajo: %2"_s.arg(destination_, LastCupsError());
        qCWarning(lcCups, "%s", qUtf8Printable(lastError_));
        return false;
    }
    bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, destination.constData(), jobId,
                                  title.constData(), CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    // Sent in pieces: a request body is written in chunks anyway.
    constexpr qint64 kChunk = 1 << 20;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    qint64 sentBytes = 0;
    const qint64 total = written.size();
    while (sent && sentBytes < total) {
        const qint64 read = written.read(chunk.data(), std::min(kChunk, total - sentBytes));
        sent = read > 0 && cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.constData(),
                                                size_t(read)) == HTTP_STATUS_CONTINUE;
        sentBytes += std::max<qint64>(read, 0);
    }
    const ipp_status_t status = cupsFinishDocument(CUPS_HTTP_DEFAULT, destination.constData());
    if (!sent || status > IPP_STATUS_OK_CONFLICTING) {
        lastError_ = u"el trabajo %1 no ha llegado a la impresora %2: %3"_s.arg(
            jobName_, destination_, LastCupsError());
        qCWarning(lcCups, "%s", qUtf8Printable(lastError_));
        cupsCancelJob2(CUPS_HTTP_DEFAULT, destination.constData(), jobId, 0);
        return false;
    }
    jobs_.append({jobName_, pages});
    return true;
}

} // namespace vk7
