#include "printoutput.h"

#include <algorithm>

#include "clock.h"
#include "components/formdocument.h"
#include "components/imaging.h"
#include "components/printdevice.h"
#include "datafiles/depositstate.h"
#include "datafiles/textpagelist.h"
#include "reception/failure.h"
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

// The pages each ticked document is printed on, in the table's order (0 for
// the others): every page of each image file that loads, every laid-out
// page of each text. A file the machine would not read goes to `met`.
std::array<qint64, kDocumentKindCount> DocumentPageCounts(const DepositState &state,
                                                          const OutputTicks &ticks, Failure &met,
                                                          std::stop_token stop)
{
    std::array<qint64, kDocumentKindCount> counts{};
    for (size_t i = 0; i < DocumentKinds().size(); ++i) {
        const DocumentKindInfo &document = DocumentKinds()[i];
        if (!document.box || !Ticked(ticks, *document.box) || !HasDocument(state, document.kind))
            continue;
        if (const QStringList *images = ImagesOfKind(state, document.kind)) {
            for (const QString &name : *images) {
                ImageFileInfo info;
                if (name.isEmpty())
                    continue;
                const Failure failure = ReadImageFileInfo(state.DepositFilePath(name), &info);
                met.KeepFirst(failure);
                if (!failure.Failed())
                    counts[i] += info.pageCount;
            }
        } else if (const std::optional<TextPageList> pages =
                       TextPagesOfKind(state, document.kind)) {
            counts[i] = LaidOutPageCount(*pages, stop);
        }
    }
    return counts;
}

// A run that ends early leaves none of the page images it made: the next
// check of the deposit must find the deposit's files alone. The failure
// keeps the system's reason when the machine refused a read or a write in
// the run (`met`), and the notice says which jobs went to the printer before
// it stopped.
OutputResult Fail(const DepositState &state, const QString &text,
                  const ProgressPrintDevice &printer, const Failure &met, std::stop_token stop)
{
    RemoveGeneratedPageImages(state);
    OutputResult result;
    result.outcome = OutputResult::Outcome::Failed;
    result.failure = met.IsIo() ? met : Failure::Data(text);
    result.stopText = text;
    result.sentJobs = printer.EndedJobs();
    // A stop the clerk asked for is no error of the output.
    if (!stop.stop_requested()) {
        Notice notice;
        notice.text = text;
        if (result.failure.IsIo())
            notice.text += u'\n' + result.failure.Message();
        if (printer.SendsEachJob() && !result.sentJobs.isEmpty())
            notice.text += u'\n' + SentJobsText(result.sentJobs);
        notice.title = result.failure.IsIo() ? u"ERROR"_s : u"VK7"_s;
        notice.icon =
            result.failure.IsIo() ? IUserInterface::Icon::Stop : IUserInterface::Icon::None;
        result.notice = notice;
    }
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

Failure PrintTextPages(const DepositState &state, DocumentKind kind, PrintDevice &printer,
                       const QTime &now, std::stop_token stop)
{
    const DocumentKindInfo &info = DocumentKindOf(kind);
    const std::optional<TextPageList> pages = TextPagesOfKind(state, kind);
    if (info.images || !pages || !printer.BeginJob(PrintJobName(info.printJobCode, now)))
        return {};
    const PrintRun run =
        PrintTextPagesAsRendered(*pages, PageImageFolder(), info.pagePrefix, printer, stop);
    printer.EndJob();
    return run.failure;
}

Failure PrintImageList(const DepositState &state, DocumentKind kind, PrintDevice &printer,
                       const QTime &now)
{
    const QString &code = DocumentKindOf(kind).printJobCode;
    const QStringList *images = ImagesOfKind(state, kind);
    if (!images)
        return {};
    // A hole (a missing page number) stays an empty path, which is skipped.
    QStringList paths;
    for (const QString &name : *images)
        paths.append(name.isEmpty() ? QString() : state.DepositFilePath(name));
    return PrintImageFiles(printer, PrintJobName(code, now), paths).failure;
}

OutputResult ProduceDepositOutput(const DepositState &state, CFormDocument *form,
                                  FormPageSettings &formPages, const OutputTicks &ticks,
                                  PrintDevice &currentPrinter, IUserInterface *ui,
                                  const Clock &clock, std::stop_token stop)
{
    const WaitCursor wait(ui);
    ProgressPrintDevice printer(currentPrinter, ui);
    printer.ShowCounting();
    CFileTools tools;
    const QString folder = PageImageFolder();
    tools.CreateFolderChain(folder);
    RemoveGeneratedPageImages(state);

    // Everything the run is to do is counted before its first page is made:
    // the sheet's pages made and sent, the form's pages exported and the
    // chosen ones sent, each document's pages (a text's made as it is sent).
    const qint64 sheetPages = LaidOutPageCount(TextPageList(state.diagnosticText));
    const bool ownSharesPages =
        Ticked(ticks, PrintableDocument::OwnShares) && HoldsOwnSharesData(state.fields);
    QList<int> pages;
    std::array<qint64, kDocumentKindCount> documentPages{};
    // The first failure of the machine the run meets: a page it left out
    // was not the deposit's fault, and the run did not print what it was asked.
    Failure met = state.TextReadFailure();
    qint64 totalSteps = sheetPages + (ticks[0] ? sheetPages : 0);
    if (state.formIdentified && form) {
        pages = ChooseFormPages(form->PageCount(), FirstFormBlockPages(state.formName),
                                Ticked(ticks, PrintableDocument::IdentificationBalance),
                                ownSharesPages);
        documentPages = DocumentPageCounts(state, ticks, met, stop);
        totalSteps += form->PageCount() + pages.size();
        for (const qint64 count : documentPages)
            totalSteps += count;
    }
    printer.SetTotalSteps(totalSteps);

    if (const Failure failure = RenderTextPages(state, DocumentKind::DiagnosticSheet, folder,
                                                &state.diagnosticText, stop);
        failure.Failed()) {
        met.KeepFirst(failure);
        return Fail(state, DiagnosticRenderErrorText(), printer, met, stop);
    }
    printer.Advance(sheetPages);

    if (ticks[0]) {
        QImage first;
        if (const Failure failure =
                LoadImageFile(RenderedPagePath(DocumentKind::DiagnosticSheet, 1), &first);
            failure.Failed()) {
            met.KeepFirst(failure);
            return Fail(state, DiagnosticPrintErrorText(), printer, met, stop);
        }
        FreeImage(&first);
        printer.SetNextJobPages(sheetPages);
        if (!printer.BeginJob(PrintJobName(
                DocumentKindOf(DocumentKind::DiagnosticSheet).printJobCode, clock.Now())))
            return Fail(state, DiagnosticPrintErrorText(), printer, met, stop);
        // Every page of the sheet, in its one job: a long error list keeps its tail.
        PrintRenderedPages(DocumentKind::DiagnosticSheet, printer);
        met.KeepFirst(printer.IoFailure());
        if (!printer.EndJob())
            return Fail(state, DiagnosticPrintErrorText(), printer, met, stop);
    }

    if (!state.formIdentified) {
        OutputResult nothingMore;
        nothingMore.outcome = OutputResult::Outcome::NoFormToPrint;
        nothingMore.failure = met;
        return nothingMore;
    }

    // The pages are drawn in the text size the clerk last chose in the frame.
    if (form && formPages.textSize > 0)
        form->SetTextSize(formPages.textSize);
    if (const Failure failure =
            form ? form->ExportPages(folder) : Failure::Data(FormExportErrorText());
        failure.Failed()) {
        met.KeepFirst(failure);
        return Fail(state, FormExportErrorText(), printer, met, stop);
    }
    printer.Advance(form->PageCount());

    if (!pages.isEmpty()) {
        formPages.printerChosen = false;
        printer.SetNextJobPages(pages.size());
        // Named after the form, like the output's own jobs after their codes.
        form->PrintPages(printer, PrintJobName(form->Template().name, clock.Now()), pages);
    }

    // The documents; a refused job or a page that does not render is skipped.
    // In the table's order, each document's images before its text.
    for (size_t i = 0; i < DocumentKinds().size(); ++i) {
        const DocumentKindInfo &document = DocumentKinds()[i];
        if (!document.box || !Ticked(ticks, *document.box) || !HasDocument(state, document.kind))
            continue;
        printer.SetNextJobPages(documentPages[i]);
        const Failure failure =
            document.images ? PrintImageList(state, document.kind, printer, clock.Now())
                            : PrintTextPages(state, document.kind, printer, clock.Now(), stop);
        if (failure.IsIo())
            met.KeepFirst(failure);
    }
    met.KeepFirst(printer.IoFailure());
    // Stopped, the run leaves nothing of its own behind either.
    if (stop.stop_requested())
        RemoveGeneratedPageImages(state);
    OutputResult done;
    done.failure = met;
    return done;
}

} // namespace vk7
