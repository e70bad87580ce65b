#pragma once

#include "app/framecontroller.h"
#include "viewing/ui/printingdialog.h"

class QWidget;

namespace vk7 {

// The Edit menu's dialogs: each entry builds the image set dialog or the text
// page dialog with its kind code over the open deposit, runs it modally over
// the frame and discards it.
class DocumentWindows : public IDocumentDialogs
{
public:
    DocumentWindows(QWidget *parent, IUserInterface &ui) : parent_(parent), ui_(ui) {}
    void ShowDocument(const EditCommand &command, qsizetype entries, DepositModel &model) override;
    // How the dialogs' "&Imprimir" asks for the printer (the frame's: the
    // printer dialog starting from the session's printer).
    void SetPrinterChoice(PrinterChoice choice) { printerChoice_ = std::move(choice); }

private:
    QWidget *parent_;
    IUserInterface &ui_;
    PrinterChoice printerChoice_;
};

} // namespace vk7
