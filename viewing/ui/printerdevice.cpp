#include "printerdevice.h"

#include <QPageSetupDialog>
#include <QPrinter>

namespace vk7 {

void PrinterDevice::SetJobName(const QString &name)
{
    printer_.setDocName(name);
}

QPagedPaintDevice *PrinterDevice::Device()
{
    return &printer_;
}

bool RunPageSetupDialog(QPrinter &printer, QWidget *parent)
{
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vk7
