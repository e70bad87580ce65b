#pragma once

#include <functional>
#include <memory>

#include <QDialog>

#include "components/printdevice.h"

namespace vk7 {

// Asks the clerk for the printer of a print; null when the clerk cancels.
using PrinterChoice = std::function<std::unique_ptr<PrintDevice>(QWidget *parent)>;

// The standard page set-up dialog: its printer's CUPS queue on OK. The
// margins chosen there are not used.
std::unique_ptr<PrintDevice> ChoosePrinterWithPageSetup(QWidget *parent);

// A dialog that prints on the printer the clerk chooses, with the page set-up
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
    PrinterChoice printerChoice_ = ChoosePrinterWithPageSetup;
};

} // namespace vk7
