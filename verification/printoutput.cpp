#include "printoutput.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "clock.h"
#include "components/imaging.h"
#include "components/printdevice.h"
#include "components/tessocx.h"
#include "datafiles/depositstate.h"
#include "reception/cfiletools.h"
#include "reception/userinterface.h"
#include "textpages.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

constexpr int kMaxFormPages = 98;
constexpr int kFormExportOption = 4;
constexpr short kChosenPrinterOption = 1;
constexpr short kDefaultPrinterOption = 101;

bool Ticked(const OutputTicks &ticks, PrintableDocument document)
{
    return ticks[static_cast<size_t>(document) + 1];
}

// The rendered page i of a text kind, read back as "%sK7%s%02d".
QString RenderedPagePath(int kind, int page)
{
    // The prefix "K7.M" read back as "K7" + ".M".
    const QString suffix = TextPagePrefix(kind).mid(2);
    return PageImageFolder() + u"K7"_s + suffix + QString::asprintf("%02d", page);
}

// The pages K7.<x>01 ... of a kind up to the first that does not exist: each
// one that loads goes on a page of its own. Returns the pages printed.
int PrintRenderedPages(int kind, PrintDevice &printer)
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

// Lets the view repaint after the fit to width, as the frame's message loop
// would between exporting and printing.
void DispatchEventsFor(int milliseconds)
{
    if (!QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

class WaitCursor
{
public:
    explicit WaitCursor(IUserInterface *ui) : ui_(ui)
    {
        if (ui_)
            ui_->SetWaitCursor(true);
    }
    ~WaitCursor()
    {
        if (ui_)
            ui_->SetWaitCursor(false);
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    IUserInterface *ui_;
};

// The current printer as the output uses it: each job and page also goes to
// the status line, so a long job shows how far it has come.
class ReportingDevice : public PrintDevice
{
public:
    ReportingDevice(PrintDevice &device, IUserInterface *ui) : device_(device), ui_(ui) {}
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
        if (ui_)
            ui_->ShowStatus(u"Imprimiendo %1: página %2"_s.arg(job_).arg(++pages_));
        return true;
    }
    bool EndJob() override { return device_.EndJob(); }

private:
    PrintDevice &device_;
    IUserInterface *ui_;
    QString job_;
    int pages_ = 0;
};

bool Fail(IUserInterface *ui, const QString &text)
{
    if (ui)
        ui->ShowMessage(text, u"VK7"_s, IUserInterface::Buttons::Ok, IUserInterface::Icon::None);
    return false;
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

QString TextJobCode(int kind)
{
    switch (kind) {
    case 5:
        return u"M2"_s;
    case 6:
        return u"G2"_s;
    case 7:
        return u"AC"_s;
    case 17:
        return u"B"_s;
    case 18:
        return u"S"_s;
    case 19:
        return u"C"_s;
    default:
        return QString();
    }
}

QString ImageJobCode(int kind)
{
    switch (kind) {
    case 5:
        return u"M1"_s;
    case 6:
        return u"G1"_s;
    case 20:
        return u"AD"_s;
    case 21:
        return u"AN"_s;
    default:
        return QString();
    }
}

int FirstFormBlockPages(const QString &formName)
{
    if (formName.endsWith(u"AP"_s) || formName.endsWith(u"AE"_s))
        return 5;
    if (formName.endsWith(u"ME"_s))
        return 8;
    return 10;
}

QString ChooseFormPages(int pageCount, int firstBlockPages, bool identificationBalance,
                        bool ownSharesPages)
{
    QStringList chosen;
    for (int page = 1; page <= pageCount - 2; ++page) {
        const bool firstBlock = page <= firstBlockPages;
        if (firstBlock ? identificationBalance : ownSharesPages)
            chosen.append(QString::number(page));
    }
    return chosen.join(u", "_s);
}

int CountExportedFormPages(CFileTools &tools, const QString &folder)
{
    int count = 0;
    while (count < kMaxFormPages &&
           tools.PathExists(folder + QString::asprintf("K7.%03d", count + 1), false))
        ++count;
    return count;
}

void PrintTextPages(int kind, PrintDevice &printer, const QTime &now)
{
    const QString code = TextJobCode(kind);
    if (code.isEmpty() || !printer.BeginJob(PrintJobName(code, now)))
        return;
    PrintRenderedPages(kind, printer);
    printer.EndJob();
}

void PrintImageList(const DepositState &state, int kind, PrintDevice &printer, const QTime &now)
{
    const QString code = ImageJobCode(kind);
    const QStringList *images = nullptr;
    switch (kind) {
    case 5:
        images = &state.memoriaImages;
        break;
    case 6:
        images = &state.gestionImages;
        break;
    case 20:
        images = &state.auditorImages;
        break;
    case 21:
        images = &state.anuncioImages;
        break;
    default:
        return;
    }
    // A hole (a missing page number) stays an empty path, which is skipped.
    QStringList paths;
    for (const QString &name : *images)
        paths.append(name.isEmpty() ? QString() : state.DepositFilePath(name));
    PrintImageFiles(printer, PrintJobName(code, now), paths);
}

bool ProduceDepositOutput(const DepositState &state, FrameState &frame, const OutputTicks &ticks,
                          PrintDevice &currentPrinter, IUserInterface *ui, const Clock &clock)
{
    const WaitCursor wait(ui);
    ReportingDevice printer(currentPrinter, ui);
    CFileTools tools;
    const QString folder = PageImageFolder();
    tools.CreateFolderChain(folder);
    tools.DeleteMatchingFiles(folder + u"K7.*"_s, false);

    if (!RenderTextPages(state, 10, folder, &state.diagnosticText))
        return Fail(ui, DiagnosticRenderErrorText());

    if (ticks[0]) {
        QImage first;
        if (LoadImageFile(RenderedPagePath(10, 1), &first) != 1)
            return Fail(ui, DiagnosticPrintErrorText());
        FreeImage(&first);
        if (!printer.BeginJob(PrintJobName(u"DG"_s, clock.Now())))
            return Fail(ui, DiagnosticPrintErrorText());
        // Every page of the sheet, in its one job: a long error list keeps its tail.
        PrintRenderedPages(10, printer);
        if (!printer.EndJob())
            return Fail(ui, DiagnosticPrintErrorText());
    }

    if (!state.formIdentified)
        return false;

    CTessOCX *viewer = frame.viewer;
    const bool ownSharesPages =
        Ticked(ticks, PrintableDocument::OwnShares) && HoldsOwnSharesData(state.fields);
    if (viewer) {
        // Applied as the text-size box's own selection handler applies it.
        viewer->SetTextSize(static_cast<short>(frame.textSize.toInt()));
        viewer->Activate();
    }
    if (!viewer || !viewer->ExportPages(kFormExportOption, folder))
        return Fail(ui, FormExportErrorText());
    viewer->FitWidth();
    DispatchEventsFor(100);

    const int exported = CountExportedFormPages(tools, folder);
    const QString pages =
        ChooseFormPages(exported, FirstFormBlockPages(state.formName),
                        Ticked(ticks, PrintableDocument::IdentificationBalance), ownSharesPages);
    if (!pages.isEmpty()) {
        const short option = frame.printerChosen ? kChosenPrinterOption : kDefaultPrinterOption;
        frame.printerChosen = false;
        viewer->PrintPages(option, pages);
    }

    // The documents; a refused job or a page that does not render is skipped.
    auto printText = [&](int kind) {
        RenderTextPages(state, kind, folder);
        PrintTextPages(kind, printer, clock.Now());
    };
    if (Ticked(ticks, PrintableDocument::Memoria)) {
        if (HasImages(state.memoriaImages))
            PrintImageList(state, 5, printer, clock.Now());
        if (HasText(state.memoriaPages))
            printText(5);
    }
    if (Ticked(ticks, PrintableDocument::ManagementReport)) {
        if (HasImages(state.gestionImages))
            PrintImageList(state, 6, printer, clock.Now());
        if (HasText(state.gestionPages))
            printText(6);
    }
    if (Ticked(ticks, PrintableDocument::OwnShares) && HasText(state.accionesPages))
        printText(7);
    if (Ticked(ticks, PrintableDocument::EnvironmentalReport) && HasText(state.ambientaPages))
        printText(17);
    if (Ticked(ticks, PrintableDocument::SimcavReport) && HasText(state.simcavPages))
        printText(18);
    if (Ticked(ticks, PrintableDocument::ApprovalCertificate) && HasText(state.certaproPages))
        printText(19);
    if (Ticked(ticks, PrintableDocument::AuditorReport) && HasImages(state.auditorImages))
        PrintImageList(state, 20, printer, clock.Now());
    if (Ticked(ticks, PrintableDocument::Announcements) && HasImages(state.anuncioImages))
        PrintImageList(state, 21, printer, clock.Now());
    return true;
}

} // namespace vk7
