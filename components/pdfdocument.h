#pragma once

#include <memory>

#include <QByteArray>
#include <QMarginsF>
#include <QString>

#include "printdevice.h"
#include "reception/failure.h"

namespace vk7 {

// A PDF document built page by page, one page image on each page at its
// physical size. A bilevel page stored in Group 4 is embedded with its coded
// data as it is (/CCITTFaxDecode), so a scanned page costs in the PDF what it
// costs on disk; other bilevel bitmaps are coded Group 4 first, and grey or
// colour pages are stored deflated. Each page is written out (to a temporary
// file) as it is added, so memory does not grow with the page count.
class PdfDocument
{
public:
    PdfDocument();
    ~PdfDocument();
    PdfDocument(const PdfDocument &) = delete;
    PdfDocument &operator=(const PdfDocument &) = delete;

    // Adds a page; false, with nothing added, when it cannot be loaded.
    bool AddPage(const PageImage &page);
    // The first read of a page's file the machine refused (Kind::None when
    // none): the page it left out was not the file's fault.
    Failure IoFailure() const;
    // The printer's unprintable edges, in points: each page added from now
    // on is drawn into the printable area they leave on its sheet (see
    // PrintablePlacement); the sheet itself keeps the page's size.
    void SetPrintableMargins(const QMarginsF &points);
    // Starts an entry of the document outline at the next page added.
    void AddOutlineEntry(const QString &title);
    int PageCount() const;

    // Writes the document (a host path), replacing the file only once the
    // document is whole; a failure with a Spanish message.
    Failure WriteFile(const QString &hostPath);
    Failure WriteBuffer(QByteArray *pdf);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The output as one PDF file: every job's pages in order, each job an entry
// of the outline under its name. The file is written by Finish().
class PdfFileDevice : public PrintDevice
{
public:
    explicit PdfFileDevice(const QString &hostPath);

    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    bool EndJob() override;
    // Its jobs reach the file only when the run is finished.
    bool SendsEachJob() const override { return false; }
    Failure IoFailure() const override { return document_.IoFailure(); }

    Failure Finish();
    const QList<PrintedJob> &Jobs() const { return jobs_; }

private:
    QString path_;
    PdfDocument document_;
    QList<PrintedJob> jobs_;
    bool open_ = false;
};

} // namespace vk7
