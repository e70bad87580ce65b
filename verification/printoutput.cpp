#include "printoutput.h"

#include <algorithm>

#include "clock.h"
#include "components/formdocument.h"
#include "components/imaging.h"
#include "components/printdevice.h"
#include "datafiles/depositstate.h"
#include "datafiles/textpagelist.h"
#include "reception/backgroundwork.h"
#include "reception/filetools.h"
#include "reception/userinterface.h"
#include "textpages.h"
#include "viewing/textpagerenderer.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

constexpr int kMaxFormPages = 98;

bool Ticked(const OutputTicks &ticks, PrintableDocument document)
{
    return ticks[static_cast<size_t>(document) + 1];
}

// The rendered page i of a text kind, read back as "%sK7%s%02d".
QString RenderedPagePath(DocumentKind kind, int page)
{
    // The prefix "K7.M" read back as "K7" + ".M".
    const QString suffix = DocumentKindOf(kind).pagePrefix.mid(2);
    return PageImageFolder() + u"K7"_s + suffix + QString::asprintf("%02d", page);
}

// The pages K7.<x>01 ... of a kind up to the first that does not exist: each
// one that loads goes on a page of its own. Returns the pages printed.
int PrintRenderedPages(DocumentKind kind, PrintDevice &printer)
{
    CFileTools tools;
    int printed = 0;
    for (int page = 1;; ++page) {
        const QString path = RenderedPagePath(kind, page);
        if (!tools.PathExists(path, false))
            break;
        if (printer.PrintPage(PageImage{path, 0, QImage()}))
            ++printed;
    }
    return printed;
}

// The current printer as the output uses it: each job and page also goes to
// the status line, and each page sent to the progress against the pages the
// whole run is to send, so a long job shows how far it has come.
class ReportingDevice : public PrintDevice
{
public:
    ReportingDevice(PrintDevice &device, IUserInterface *ui) : device_(device), ui_(ui) {}
    // The pages the run is to send, known before the first one goes.
    void SetTotalPages(qint64 total) { total_ = total; }
    ~ReportingDevice() override
    {
        if (ui_)
            ui_->ShowStatus(QString());
    }
    bool BeginJob(const QString &name) override
    {
        job_ = name;
        pages_ = 0;
        if (ui_)
            ui_->ShowStatus(u"Imprimiendo %1 ..."_s.arg(name));
        return device_.BeginJob(name);
    }
    bool PrintPage(const PageImage &page) override
    {
        if (!device_.PrintPage(page))
            return false;
        ++sent_;
        if (ui_) {
            // A page the count did not foresee never takes the bar past its
            // end. The figure goes before the text, which carries it along.
            ui_->ShowProgress(sent_, std::max(total_, sent_));
            ui_->ShowStatus(u"Imprimiendo %1: página %2"_s.arg(job_).arg(++pages_));
        }
        return true;
    }
    bool EndJob() override { return device_.EndJob(); }

private:
    PrintDevice &device_;
    IUserInterface *ui_;
    QString job_;
    int pages_ = 0;
    qint64 sent_ = 0;
    qint64 total_ = 0;
};

// The pages the ticked documents are printed on: every page of each image
// file that loads, every laid-out page of each text.
qint64 DocumentPageCount(const DepositState &state, const OutputTicks &ticks)
{
    qint64 count = 0;
    for (const DocumentKindInfo &document : DocumentKinds()) {
        if (!document.box || !Ticked(ticks, *document.box) || !HasDocument(state, document.kind))
            continue;
        if (const QStringList *images = ImagesOfKind(state, document.kind)) {
            for (const QString &name : *images) {
                ImageFileInfo info;
                if (!name.isEmpty() &&
                    !ReadImageFileInfo(state.DepositFilePath(name), &info).Failed())
                    count += info.pageCount;
            }
        } else if (const std::optional<TextPageList> pages =
                       TextPagesOfKind(state, document.kind)) {
            count += LaidOutPageCount(*pages);
        }
    }
    return count;
}

OutputResult Fail(IUserInterface *ui, const QString &text)
{
    // A stop the clerk asked for is no error of the output.
    if (ui && !StopRequested())
        ui->ShowMessage(text, u"VK7"_s, IUserInterface::Buttons::Ok, IUserInterface::Icon::None);
    OutputResult result;
    result.outcome = OutputResult::Outcome::Stopped;
    result.failure.kind = Failure::Kind::Data;
    result.failure.text = text;
    return result;
}

} // namespace

QString DiagnosticRenderErrorText()
{
    return u"ERROR Creando DIAGNOSTICO"_s;
}

QString DiagnosticPrintErrorText()
{
    return u"ERROR Imprimiendo DIAGNOSTICO"_s;
}

QString FormExportErrorText()
{
    return u"ERROR Creando TIF's"_s;
}

QString PrintJobName(const QString &code, const QTime &time)
{
    return u"VK7_"_s + code + u'_' +
           QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second());
}

int FirstFormBlockPages(const QString &formName)
{
    if (formName.endsWith(u"AP"_s) || formName.endsWith(u"AE"_s))
        return 5;
    if (formName.endsWith(u"ME"_s))
        return 8;
    return 10;
}

QList<int> ChooseFormPages(int pageCount, int firstBlockPages, bool identificationBalance,
                           bool ownSharesPages)
{
    QList<int> chosen;
    const int counted = std::min(pageCount, kMaxFormPages);
    for (int page = 1; page <= counted - 2; ++page) {
        const bool firstBlock = page <= firstBlockPages;
        if (firstBlock ? identificationBalance : ownSharesPages)
            chosen.append(page);
    }
    return chosen;
}

void PrintTextPages(DocumentKind kind, PrintDevice &printer, const QTime &now)
{
    const QString &code = DocumentKindOf(kind).printJobCode;
    if (DocumentKindOf(kind).images || !printer.BeginJob(PrintJobName(code, now)))
        return;
    PrintRenderedPages(kind, printer);
    printer.EndJob();
}

void PrintImageList(const DepositState &state, DocumentKind kind, PrintDevice &printer,
                    const QTime &now)
{
    const QString &code = DocumentKindOf(kind).printJobCode;
    const QStringList *images = ImagesOfKind(state, kind);
    if (!images)
        return;
    // A hole (a missing page number) stays an empty path, which is skipped.
    QStringList paths;
    for (const QString &name : *images)
        paths.append(name.isEmpty() ? QString() : state.DepositFilePath(name));
    PrintImageFiles(printer, PrintJobName(code, now), paths);
}

OutputResult ProduceDepositOutput(const DepositState &state, CFormDocument *form,
                                  FormPageSettings &formPages, const OutputTicks &ticks,
                                  PrintDevice &currentPrinter, IUserInterface *ui,
                                  const Clock &clock)
{
    const WaitCursor wait(ui);
    ReportingDevice printer(currentPrinter, ui);
    CFileTools tools;
    const QString folder = PageImageFolder();
    tools.CreateFolderChain(folder);
    tools.DeleteMatchingFiles(folder + u"K7.*"_s, false);

    if (!RenderTextPages(state, DocumentKind::DiagnosticSheet, folder, &state.diagnosticText))
        return Fail(ui, DiagnosticRenderErrorText());

    // Everything the run is to send is counted before its first page goes.
    const bool ownSharesPages =
        Ticked(ticks, PrintableDocument::OwnShares) && HoldsOwnSharesData(state.fields);
    QList<int> pages;
    qint64 totalPages = ticks[0] ? LaidOutPageCount(TextPageList(state.diagnosticText)) : 0;
    if (state.formIdentified && form) {
        pages = ChooseFormPages(form->PageCount(), FirstFormBlockPages(state.formName),
                                Ticked(ticks, PrintableDocument::IdentificationBalance),
                                ownSharesPages);
        totalPages += pages.size() + DocumentPageCount(state, ticks);
    }
    printer.SetTotalPages(totalPages);

    if (ticks[0]) {
        QImage first;
        if (LoadImageFile(RenderedPagePath(DocumentKind::DiagnosticSheet, 1), &first).Failed())
            return Fail(ui, DiagnosticPrintErrorText());
        FreeImage(&first);
        if (!printer.BeginJob(PrintJobName(
                DocumentKindOf(DocumentKind::DiagnosticSheet).printJobCode, clock.Now())))
            return Fail(ui, DiagnosticPrintErrorText());
        // Every page of the sheet, in its one job: a long error list keeps its tail.
        PrintRenderedPages(DocumentKind::DiagnosticSheet, printer);
        if (!printer.EndJob())
            return Fail(ui, DiagnosticPrintErrorText());
    }

    if (!state.formIdentified)
        return {.outcome = OutputResult::Outcome::NoFormToPrint, .failure = {}};

    // The pages are drawn in the text size the clerk last chose in the frame.
    if (form && formPages.textSize > 0)
        form->SetTextSize(formPages.textSize);
    if (!form || !form->ExportPages(FormPageExport::PageFiles, folder))
        return Fail(ui, FormExportErrorText());

    if (!pages.isEmpty()) {
        formPages.printerChosen = false;
        // Named after the form, like the output's own jobs after their codes.
        form->PrintPages(printer, PrintJobName(form->Template().name, clock.Now()), pages);
    }

    // The documents; a refused job or a page that does not render is skipped.
    // In the table's order, each document's images before its text.
    for (const DocumentKindInfo &document : DocumentKinds()) {
        if (!document.box || !Ticked(ticks, *document.box) || !HasDocument(state, document.kind))
            continue;
        if (document.images) {
            PrintImageList(state, document.kind, printer, clock.Now());
        } else {
            RenderTextPages(state, document.kind, folder);
            PrintTextPages(document.kind, printer, clock.Now());
        }
    }
    return {};
}

} // namespace vk7
