#pragma once

#include <stop_token>

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "reception/failure.h"

namespace vk7 {

class IUserInterface;

// One page image to print: a bitmap in hand, or page `index` (from 0) of an
// image file (a system or host path). A device reads a file's page only when
// it prints it, and keeps its coded data as stored where it can.
struct PageImage
{
    QString path;
    int index = 0;
    QImage bitmap; // used instead of the file when not null
};

// Decodes a page image into a bitmap with its resolution; a failure when the
// page cannot be loaded.
Failure LoadPageImage(const PageImage &page, QImage *bitmap);

// A printer as the output sees it: jobs of pages. Every page image goes on a
// page of its own, at its physical size (from its resolution, 200 dpi when the
// file does not say), as the imaging layer's print operation places it. The
// devices are a CUPS queue, a PDF file and a recording of what was asked.
class PrintDevice
{
public:
    virtual ~PrintDevice() = default;
    // Opens a job; false when the printer refuses it.
    virtual bool BeginJob(const QString &name) = 0;
    // Adds a page to the open job; false, with nothing added, when the page
    // cannot be loaded or no job is open.
    virtual bool PrintPage(const PageImage &page) = 0;
    // Closes the job; false when it did not reach the printer.
    virtual bool EndJob() = 0;
    // Drops the open job without sending anything of it.
    virtual void AbandonJob() {}
    // Whether a job that ends has gone to a printer, as against a file that
    // is written only once the whole run is done.
    virtual bool SendsEachJob() const { return true; }
    // The first failure of the machine a page met (a page file it would not
    // read; Kind::None when none): the page left out is not the deposit's
    // fault, and the run that met it did not print what it was asked.
    virtual Failure IoFailure() const { return {}; }
};

// A device put in front of another: what it does not change goes to the
// device behind it.
class PrintDeviceInFront : public PrintDevice
{
public:
    explicit PrintDeviceInFront(PrintDevice &device) : device_(device) {}
    void AbandonJob() override { device_.AbandonJob(); }
    bool SendsEachJob() const override { return device_.SendsEachJob(); }
    Failure IoFailure() const override { return device_.IoFailure(); }

protected:
    PrintDevice &device_;
};

// A device that obeys the clerk's stop (its job's stop token): once asked, no job
// begins and no page is added, and the open job is dropped instead of sent,
// so that a job reaches the printer whole or not at all. It keeps the names
// of the jobs it sent.
class StoppablePrintDevice : public PrintDeviceInFront
{
public:
    // Stops at `stop`, the token of the job that prints on it.
    StoppablePrintDevice(PrintDevice &device, std::stop_token stop)
        : PrintDeviceInFront(device), stop_(std::move(stop))
    {
    }

    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    bool EndJob() override;

    const QStringList &SentJobs() const { return sent_; }

private:
    std::stop_token stop_;
    QString job_;
    QStringList sent_;
};

// A printer as a long print run uses it: each page sent goes to the progress
// against all the run is to do, counted before its first page goes, and to
// the status line as "Imprimiendo JOB: página N de M", M the pages the job
// is to have. Work that makes pages before they are sent (the page images of
// a sheet, the form's pages) is counted with Advance, so that the bar runs
// from the first page made to the last page sent.
class ProgressPrintDevice : public PrintDeviceInFront
{
public:
    ProgressPrintDevice(PrintDevice &device, IUserInterface *ui)
        : PrintDeviceInFront(device), ui_(ui)
    {
    }
    // The status line is emptied when the run ends.
    ~ProgressPrintDevice() override;

    // The steps of the whole run, and the pages of the next job to begin.
    void SetTotalSteps(qint64 total) { total_ = total; }
    void SetNextJobPages(qint64 pages) { jobPages_ = pages; }
    // Names the next job on the status line instead of its job name.
    void SetNextJobCaption(const QString &caption) { caption_ = caption; }
    // Steps done that sent no page.
    void Advance(qint64 steps);
    // An empty bar at once, while the run counts what it is to do (a long
    // text takes a while to lay out).
    void ShowCounting();

    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    bool EndJob() override;

    // The jobs that ended well.
    const QStringList &EndedJobs() const { return ended_; }

private:
    void ShowDone();

    IUserInterface *ui_;
    QString caption_;
    QString shown_;
    QString job_;
    QStringList ended_;
    qint64 jobPages_ = 0;
    qint64 pages_ = 0;
    qint64 done_ = 0;
    qint64 total_ = 0;
};

// "Trabajos enviados: A, B", or "Ningún trabajo enviado".
QString SentJobsText(const QStringList &sentJobs);

// The status line after a stopped print: "Impresión cancelada. Trabajos
// enviados: A, B" or "Impresión cancelada. Ningún trabajo enviado".
QString PrintStoppedText(const QStringList &sentJobs);

// What a run of pages into one job did: the pages the device took, whether
// the job reached the printer, and the failure that ended the run early or
// that a page met (the machine's, or the clerk's stop; Kind::None when none).
struct PrintRun
{
    int pages = 0;
    bool sent = false; // false when the printer refused the job or lost it
    Failure failure;
};

// One job of page images: every page of each file in turn, each on its own
// printer page. A file that cannot be loaded (an empty name included) and a
// page that cannot be taken are skipped.
PrintRun PrintImageFiles(PrintDevice &device, const QString &jobName, const QStringList &paths);

// A printed job as the devices that keep a record list it.
struct PrintedJob
{
    QString name;
    int pages = 0;
};

} // namespace vk7
