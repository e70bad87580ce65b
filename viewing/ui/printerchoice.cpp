#include "printerchoice.h"

#include <QPageSetupDialog>
#include <QPrinter>

#include "components/cupsprintdevice.h"

namespace vk7 {

std::unique_ptr<PrintDevice> ChoosePrinterWithPageSetup(QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    QPageSetupDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return std::make_unique<CupsPrintDevice>(printer.printerName());
}

} // namespace vk7
