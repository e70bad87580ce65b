#pragma once

#include "printingdialog.h"
#include "viewing/textpagebook.h"

class QLabel;
class QPushButton;

namespace vk7 {

class IUserInterface;
class TextPageEdit;

// The text page dialog: one of the deposit's six texts, page by page, to be
// read, printed as page images or opened in the desktop's editor. It works on
// a copy of the pages; the deposit's text is never changed.
class TextPageDialog : public PrintingDialog
{
    Q_OBJECT
public:
    TextPageDialog(const DepositState &state, DocumentKind kind, IUserInterface &ui,
                   QWidget *parent = nullptr);

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
    const DocumentKindInfo *kind_;
    IUserInterface &ui_;
    TextPageBook book_;
    bool pageShown_ = false;

    TextPageEdit *edit_;
    QLabel *pagePosition_;
    QLabel *linePosition_;
    QPushButton *previousButton_;
    QPushButton *nextButton_;
};

} // namespace vk7
