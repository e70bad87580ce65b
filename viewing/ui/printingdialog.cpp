#include "printingdialog.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPushButton>

#include "reception/backgroundwork.h"
#include "viewing/textpagerenderer.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The print engine's property that holds the options of the printer's
// properties dialog as name, value, name, value... (Qt's CUPS support).
constexpr auto kCupsOptionsProperty = QPrintEngine::PrintEnginePropertyKey(0xfe00);

class PrinterDialog : public QPrintDialog
{
public:
    PrinterDialog(QPrinter *printer, QWidget *parent, PrinterDialogUse use)
        : QPrintDialog(printer, parent), use_(use)
    {
        setOption(PrintPageRange, false);
        setOption(PrintSelection, false);
        setOption(PrintToFile, false);
        setOption(PrintCurrentPage, false);
    }

    // Qt shows its page range and page set again each time the dialog is
    // shown when the printer could select pages itself: hidden here, after it.
    void setVisible(bool visible) override
    {
        QPrintDialog::setVisible(visible);
        if (!visible)
            return;
        for (const char *name : {"gbPrintRange", "pageSetCombo", "pageSetLabel", "lOutput",
                                 "filename", "fileBrowser"}) {
            if (auto *widget = findChild<QWidget *>(QLatin1StringView(name)))
                widget->hide();
        }
        // The page set, hidden, stays at every page.
        if (auto *pageSet = findChild<QComboBox *>(u"pageSetCombo"_s))
            pageSet->setCurrentIndex(0);
        if (use_ == PrinterDialogUse::SetUp) {
            setWindowTitle(u"Configurar Impresora"_s);
            if (auto *buttons = findChild<QDialogButtonBox *>()) {
                if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
                    ok->setText(u"Aceptar"_s);
            }
        }
    }

private:
    PrinterDialogUse use_;
};

} // namespace

bool RunPrinterDialog(QPrinter &printer, QWidget *parent, PrinterDialogUse use)
{
    PrinterDialog dialog(&printer, parent, use);
    return dialog.exec() == QDialog::Accepted;
}

void CopyPrinterSettings(const QPrinter &from, QPrinter &to)
{
    to.setPrinterName(from.printerName());
    to.setPageLayout(from.pageLayout());
    to.setDuplex(from.duplex());
    to.setCopyCount(from.copyCount());
    to.setCollateCopies(from.collateCopies());
    to.setColorMode(from.colorMode());
    const QPrintEngine *source = from.printEngine();
    if (QPrintEngine *target = to.printEngine(); source && target)
        target->setProperty(kCupsOptionsProperty, source->property(kCupsOptionsProperty));
}

PrintSettings PrinterSettings(const QPrinter &printer)
{
    PrintSettings settings;
    settings.queue = printer.printerName();
    settings.copies = std::max(1, printer.copyCount());
    const QPageLayout layout = printer.pageLayout();
    settings.options.append(u"media="_s + layout.pageSize().key());
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        settings.options.append(u"sides=one-sided"_s);
        break;
    case QPrinter::DuplexAuto:
        settings.options.append(layout.orientation() == QPageLayout::Portrait
                                    ? u"sides=two-sided-long-edge"_s
                                    : u"sides=two-sided-short-edge"_s);
        break;
    case QPrinter::DuplexLongSide:
        settings.options.append(u"sides=two-sided-long-edge"_s);
        break;
    case QPrinter::DuplexShortSide:
        settings.options.append(u"sides=two-sided-short-edge"_s);
        break;
    }
    if (layout.orientation() == QPageLayout::Landscape)
        settings.options.append(u"landscape"_s);
    if (settings.copies > 1 && printer.collateCopies())
        settings.options.append(u"Collate=True"_s);
    // The printer's own options (its properties dialog), quoted so that a
    // value with blanks stays one value.
    const QPrintEngine *engine = printer.printEngine();
    const QStringList pairs =
        engine ? engine->property(kCupsOptionsProperty).toStringList() : QStringList();
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        QString value = pairs.at(i + 1);
        value.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
        settings.options.append(pairs.at(i) + u"=\""_s + value + u'"');
    }
    return settings;
}

std::unique_ptr<PrintDevice> ChoosePrinterInDialog(QWidget *parent, const QPrinter *session)
{
    QPrinter printer(QPrinter::HighResolution);
    if (session)
        CopyPrinterSettings(*session, printer);
    if (!RunPrinterDialog(printer, parent))
        return nullptr;
    return std::make_unique<CupsPrintDevice>(PrinterSettings(printer));
}

void PrintingDialog::reject()
{
    if (printing_) {
        jobs_.RequestStop();
        return;
    }
    QDialog::reject();
}

void PrintingDialog::RunPrint(IUserInterface &ui, std::unique_ptr<PrintDevice> device,
                              PrintWork print, std::function<void(bool stopped)> done)
{
    if (printing_)
        return;
    const QList<QWidget *> controls = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<QPointer<QWidget>> disabled;
    for (QWidget *control : controls) {
        if (control->isEnabled()) {
            control->setEnabled(false);
            disabled.append(control);
        }
    }
    setCursor(Qt::WaitCursor);
    printing_ = true;
    printUi_ = std::make_unique<WindowThreadInterface>(ui, jobs_);
    PreparePageFont();
    ui.SetWaitCursor(true);
    std::shared_ptr<PrintDevice> owned(std::move(device));
    jobs_.Start<QStringList>(
        [print = std::move(print), owned, windowUi = printUi_.get()](std::stop_token stop) {
            StoppablePrintDevice printer(*owned, stop);
            print(printer, *windowUi, stop);
            return printer.SentJobs();
        },
        [this, &ui, owned, disabled, done = std::move(done)](QStringList sentJobs, bool stopped) {
            ui.SetWaitCursor(false);
            printing_ = false;
            unsetCursor();
            for (const QPointer<QWidget> &control : disabled) {
                if (control)
                    control->setEnabled(true);
            }
            if (stopped)
                ui.ShowStatus(PrintStoppedText(sentJobs));
            if (done)
                done(stopped);
        });
}

} // namespace vk7
