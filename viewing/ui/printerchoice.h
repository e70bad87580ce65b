#pragma once

#include <functional>
#include <memory>

#include <QDialog>

#include "components/cupsprintdevice.h"
#include "components/printdevice.h"

class QPrinter;

namespace vk7 {

// Asks the clerk for the printer of a print; null when the clerk cancels.
using PrinterChoice = std::function<std::unique_ptr<PrintDevice>(QWidget *parent)>;

// The printer dialog as the system has it: the printer, its paper and
// properties and the copies, without page numbers, selection, page sets or
// printing to a file (a job is always every page it is given). True when the
// clerk confirms; the choices are then in `printer`.
bool RunPrinterDialog(QPrinter &printer, QWidget *parent);

// What the clerk set in a printer dialog as the CUPS job settings: the queue,
// the copies, the paper, the sides, the orientation and the printer's own
// options from its properties.
PrintSettings PrinterSettings(const QPrinter &printer);

// The printer dialog on the default printer: its queue, with the clerk's
// settings, on OK.
std::unique_ptr<PrintDevice> ChoosePrinterInDialog(QWidget *parent);

// A dialog that prints on the printer the clerk chooses, with the printer
// dialog unless the choice is replaced (the tests print on their own queue).
class PrintingDialog : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;

    void SetPrinterChoice(PrinterChoice choice) { printerChoice_ = std::move(choice); }

protected:
    // Null when the clerk cancels.
    std::unique_ptr<PrintDevice> ChoosePrinter() { return printerChoice_(this); }

private:
    PrinterChoice printerChoice_ = ChoosePrinterInDialog;
};

} // namespace vk7
