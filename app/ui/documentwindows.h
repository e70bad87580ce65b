#pragma once

#include "app/framecontroller.h"

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

private:
    QWidget *parent_;
    IUserInterface &ui_;
};

} // namespace vk7
