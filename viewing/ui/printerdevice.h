#pragma once

#include <functional>

#include "viewing/printdevice.h"

class QPrinter;
class QWidget;

namespace vk7 {

// The clerk's printer (or whatever a QPrinter is set to) as a print device:
// the job name is the printer's document name.
class PrinterDevice : public IPrintDevice
{
public:
    explicit PrinterDevice(QPrinter &printer) : printer_(printer) {}
    void SetJobName(const QString &name) override;
    QPagedPaintDevice *Device() override;

private:
    QPrinter &printer_;
};

// Asks for the printer with the standard page set-up dialog; true on OK. The
// document dialogs take another one in tests.
using PageSetup = std::function<bool(QPrinter &printer, QWidget *parent)>;
bool RunPageSetupDialog(QPrinter &printer, QWidget *parent);

} // namespace vk7
