#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vk7::testing {

// A private CUPS server for a test (scripts/test-cups-server.sh): its own
// configuration, spool, logs and socket in a temporary folder, and one queue,
// the default, that writes every job as a PDF file. CUPS_SERVER points the
// process's clients at it while it lives. Start() fails with the script's
// message; a test asserts it and is never skipped.
class CupsTestServer
{
public:
    CupsTestServer();
    ~CupsTestServer();
    CupsTestServer(const CupsTestServer &) = delete;
    CupsTestServer &operator=(const CupsTestServer &) = delete;

    bool Start(QString *error);
    void Stop();

    QString Queue() const { return queue_; }
    QString Folder() const { return folder_.path(); }

    struct Job
    {
        QString name;    // the job's name as CUPS logged it
        QString pdfPath; // the PDF the queue wrote for it
    };
    // Waits until `count` jobs have come out as PDF files (at most
    // `timeoutMs`), then lists the jobs in the order they were printed.
    QList<Job> WaitForJobs(int count, int timeoutMs = 60000) const;

    // One more queue writing PDF files like the first; the default one when
    // `makeDefault` holds. With `marginMm`, its PPD declares an unprintable
    // edge that wide on every side of the paper, as a laser printer's does.
    bool AddQueue(const QString &name, bool makeDefault, QString *error, double marginMm = 0) const;

    // Every job the server has had, as CUPS keeps it: its id, queue, name
    // and the copies it was asked for.
    struct QueuedJob
    {
        int id = 0;
        QString queue;
        QString name;
        int copies = 0;
    };
    QList<QueuedJob> QueuedJobs() const;

    // lpadmin-style control of the queue: stop it (cupsdisable) or start it again.
    bool SetQueueStopped(bool stopped) const;

private:
    QTemporaryDir folder_;
    QString queue_;
    QByteArray previousServer_;
    bool hadServer_ = false;
    bool running_ = false;
};

// pdfinfo's page count of a PDF file, -1 when it cannot be read.
int PdfPageCount(const QString &pdfPath);
// The first page of a PDF file as pdftoppm draws it, in grey without
// smoothing, at `dotsPerInch`; null when it cannot be drawn.
QImage PdfFirstPage(const QString &pdfPath, int dotsPerInch);
// pdfimages -list of a PDF: one entry per image, "page width height bpc enc".
QStringList PdfImages(const QString &pdfPath);

} // namespace vk7::testing
