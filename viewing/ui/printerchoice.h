#pragma once

#include <functional>
#include <memory>

#include "components/printdevice.h"

class QWidget;

namespace vk7 {

// Asks the clerk for the printer of a print; null when the clerk cancels.
using PrinterChoice = std::function<std::unique_ptr<PrintDevice>(QWidget *parent)>;

// The standard page set-up dialog: its printer's CUPS queue on OK. The
// margins chosen there are not used.
std::unique_ptr<PrintDevice> ChoosePrinterWithPageSetup(QWidget *parent);

} // namespace vk7
