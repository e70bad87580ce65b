#pragma once

#include <memory>

#include <QString>

#include "printdevice.h"

namespace vk7 {

class PdfDocument;

// A CUPS queue as a print device. A job is gathered as one PDF (the page
// images embedded as coded, see PdfDocument) and handed to the queue under
// the job's name when it ends, so a job of hundreds of scanned pages spools
// about the size of the scans. The server is the one the CUPS client library
// finds (CUPS_SERVER, client.conf, the local scheduler).
class CupsPrintDevice : public PrintDevice
{
public:
    // An empty queue name stands for the CUPS default printer.
    explicit CupsPrintDevice(const QString &queue = QString());
    ~CupsPrintDevice() override;

    // Refused when the queue does not exist, is stopped or does not accept
    // jobs: checked before any page is gathered.
    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    // Sends the gathered PDF; a job without pages sends nothing.
    bool EndJob() override;

    QString Queue() const { return queue_; }
    // Why the last job was refused or lost, for the logs.
    QString LastError() const { return lastError_; }
    const QList<PrintedJob> &Jobs() const { return jobs_; }

    // The queue's name as CUPS resolves it (the default's real name), or
    // empty when there is no such queue or no server.
    static QString ResolveQueue(const QString &queue);

private:
    QString queue_;
    QString jobName_;
    QString lastError_;
    QString destination_;
    std::unique_ptr<PdfDocument> document_;
    QList<PrintedJob> jobs_;
};

} // namespace vk7
