#pragma once

#include <memory>

#include <QString>
#include <QStringList>

#include "printdevice.h"

namespace vk7 {

class PdfDocument;

// The settings a job goes out with: the queue (empty: the CUPS default),
// the number of copies and the job options the clerk set in the printer
// dialog (paper, sides, the printer's own options), each as `lp -o` takes
// them: "name=value", or several separated by blanks.
struct PrintSettings
{
    QString queue;
    int copies = 1;
    QStringList options;
};

// The options of one `-o` text as CUPS parses them; 0 when it names none.
int CountJobOptions(const QString &text);

// A CUPS queue as a print device. A job is gathered as one PDF (the page
// images embedded as coded, see PdfDocument) and handed to the queue under
// the job's name when it ends, so a job of hundreds of scanned pages spools
// about the size of the scans. Each page keeps its sheet but is drawn into
// the printable area the queue declares for its paper (PrintablePlacement),
// as printing through a driver always has: a laser printer's edge no longer
// cuts the first line of a text page. The server is the one the CUPS client
// library finds (CUPS_SERVER, client.conf, the local scheduler).
class CupsPrintDevice : public PrintDevice
{
public:
    // An empty queue name stands for the CUPS default printer.
    explicit CupsPrintDevice(const QString &queue = QString());
    // Every job goes out with the settings' copies and options.
    explicit CupsPrintDevice(const PrintSettings &settings);
    ~CupsPrintDevice() override;

    // Refused when the queue does not exist, is stopped or does not accept
    // jobs: checked before any page is gathered.
    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    // Sends the gathered PDF; a job without pages sends nothing.
    bool EndJob() override;
    void AbandonJob() override;
    Failure IoFailure() const override { return ioFailure_; }

    QString Queue() const { return settings_.queue; }
    // The copies every job goes out with, for the reception's record.
    int Copies() const { return settings_.copies; }
    // Why the last job was refused or lost, for the logs.
    QString LastError() const { return lastError_; }
    const QList<PrintedJob> &Jobs() const { return jobs_; }

    // The queue's name as CUPS resolves it (the default's real name), or
    // empty when there is no such queue or no server.
    static QString ResolveQueue(const QString &queue);

private:
    PrintSettings settings_;
    QString jobName_;
    QString lastError_;
    QString destination_;
    std::unique_ptr<PdfDocument> document_;
    QList<PrintedJob> jobs_;
    Failure ioFailure_; // of every job's document
};

} // namespace vk7
