#pragma once

#include <functional>
#include <memory>

#include <QDialog>

#include "components/cupsprintdevice.h"
#include "components/printdevice.h"
#include "reception/backgroundwork.h"
#include "reception/userinterface.h"

class QPrinter;

namespace vk7 {

// Asks the clerk for the printer of a print; null when the clerk cancels.
using PrinterChoice = std::function<std::unique_ptr<PrintDevice>(QWidget *parent)>;

// What the printer dialog is shown for: a print, or "Configurar &Impesora",
// which prints nothing and reads so ("Configurar Impresora", "Aceptar").
enum class PrinterDialogUse { Print, SetUp };

// The printer dialog as the system has it: the printer, its paper and
// properties and the copies, without page numbers, selection, page sets or
// printing to a file (a job is always every page it is given). True when the
// clerk confirms; the choices are then in `printer`.
bool RunPrinterDialog(QPrinter &printer, QWidget *parent,
                      PrinterDialogUse use = PrinterDialogUse::Print);

// Makes `to` the same printer as `from`, with its paper, sides, copies and
// the printer's own options.
void CopyPrinterSettings(const QPrinter &from, QPrinter &to);

// What the clerk set in a printer dialog as the CUPS job settings: the queue,
// the copies, the paper, the sides, the orientation and the printer's own
// options from its properties.
PrintSettings PrinterSettings(const QPrinter &printer);

// The printer dialog on the default printer, or starting from `session`
// (the printer chosen for the session) without changing it: its queue, with
// the clerk's settings, on OK.
std::unique_ptr<PrintDevice> ChoosePrinterInDialog(QWidget *parent,
                                                   const QPrinter *session = nullptr);

// A dialog that prints on the printer the clerk chooses, with the printer
// dialog unless the choice is replaced (the tests print on their own queue).
class PrintingDialog : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;

    void SetPrinterChoice(PrinterChoice choice) { printerChoice_ = std::move(choice); }
    bool Printing() const { return printing_; }

public Q_SLOTS:
    // Escape or the close box while a print runs stop the print instead.
    void reject() override;

protected:
    // Null when the clerk cancels.
    std::unique_ptr<PrintDevice> ChoosePrinter() { return printerChoice_(this); }
    // Runs `print` on `device` off the window's thread, with the wait
    // cursor, the progress in `ui` and the dialog's controls disabled;
    // `print` takes what it prints by value, and the job's stop token. A
    // stop drops the job in hand (a job is sent whole or not at all) and the
    // status line says which were sent. Once it has ended, the controls come
    // back and `done` hears whether it was stopped.
    using PrintWork = std::function<void(PrintDevice &, IUserInterface &, std::stop_token)>;
    void RunPrint(IUserInterface &ui, std::unique_ptr<PrintDevice> device, PrintWork print,
                  std::function<void(bool stopped)> done = {});

private:
    PrinterChoice printerChoice_ = [](QWidget *parent) { return ChoosePrinterInDialog(parent); };
    bool printing_ = false;
    // The print's progress as it reaches the dialog from the print's thread.
    std::unique_ptr<WindowThreadInterface> printUi_;
    // Last, so that a print still running ends before the rest goes.
    JobRunner jobs_;
};

} // namespace vk7
