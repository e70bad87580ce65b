#pragma once

#include <QDialog>

#include "printerchoice.h"
#include "viewing/textpagebook.h"

class QLabel;
class QPushButton;

namespace vk7 {

class IUserInterface;
class TextPageEdit;

// The text page dialog: one of the deposit's six texts, page by page, to be
// read, printed as page images or opened in the desktop's editor. It works on
// a copy of the pages; the deposit's text is never changed.
class TextPageDialog : public QDialog
{
    Q_OBJECT
public:
    TextPageDialog(const DepositState &state, int kind, IUserInterface &ui,
                   QWidget *parent = nullptr);

    // Replaces the page set-up dialog that chooses the printer.
    void SetPrinterChoice(PrinterChoice choice) { printerChoice_ = std::move(choice); }
    const TextPageBook &Book() const { return book_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void KeepEditedPage();
    void ShowCurrentPage();
    void Move(bool forward);
    void Print();
    void StartExternal();
    void WarnLimit();

    const DepositState &state_;
    const TextKind *kind_;
    IUserInterface &ui_;
    TextPageBook book_;
    PrinterChoice printerChoice_ = ChoosePrinterWithPageSetup;
    bool pageShown_ = false;

    TextPageEdit *edit_;
    QLabel *pagePosition_;
    QLabel *linePosition_;
    QPushButton *previousButton_;
    QPushButton *nextButton_;
};

} // namespace vk7
