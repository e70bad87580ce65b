#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "reception/failure.h"

namespace vk7 {

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
};

// A device that obeys the clerk's stop (StopRequested): once asked, no job
// begins and no page is added, and the open job is dropped instead of sent,
// so that a job reaches the printer whole or not at all. It keeps the names
// of the jobs it sent.
class StoppablePrintDevice : public PrintDevice
{
public:
    explicit StoppablePrintDevice(PrintDevice &device) : device_(device) {}

    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    bool EndJob() override;
    void AbandonJob() override { device_.AbandonJob(); }

    const QStringList &SentJobs() const { return sent_; }

private:
    PrintDevice &device_;
    QString job_;
    QStringList sent_;
};

// The status line after a stopped print: "Impresión cancelada. Trabajos
// enviados: A, B" or "Impresión cancelada. Ningún trabajo enviado".
QString PrintStoppedText(const QStringList &sentJobs);

// One job of page images: every page of each file in turn, each on its own
// printer page. A file that cannot be loaded (an empty name included) and a
// page that cannot be taken are skipped. The pages printed, or -1 when the
// printer refused the job or lost it.
int PrintImageFiles(PrintDevice &device, const QString &jobName, const QStringList &paths);

// A printed job as the devices that keep a record list it.
struct PrintedJob
{
    QString name;
    int pages = 0;
};

// Keeps what was asked without printing it: each job's name and its pages
// (the page images, loaded as a printer would load them). A refusing device
// stands for a stopped or missing printer.
class RecordingPrintDevice : public PrintDevice
{
public:
    struct Job
    {
        QString name;
        QList<PageImage> pages; // the bitmap filled in
        bool ended = false;
    };

    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    bool EndJob() override;
    void AbandonJob() override;

    void SetRefusing(bool refusing) { refusing_ = refusing; }
    const QList<Job> &Jobs() const { return jobs_; }
    QStringList JobNames() const;

private:
    QList<Job> jobs_;
    bool open_ = false;
    bool refusing_ = false;
};

} // namespace vk7
