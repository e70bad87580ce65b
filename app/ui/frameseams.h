#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "app/framecontroller.h"
#include "reception/ui/messageboxes.h"
#include "reception/ui/opendepositdialog.h"

class QMainWindow;
class QPrinter;
class QProgressBar;

namespace vk7 {

// The frame's seam to the clerk: message boxes, and the long work's status
// texts and progress in the window's status bar, painted as they come.
class StatusBarInterface : public MessageBoxes
{
public:
    explicit StatusBarInterface(QMainWindow *window);

    // The progress bar and the "Cancelar" button beside it, shown while
    // long work runs (between the wait cursor's on and off).
    void SetProgressBar(QProgressBar *progress, QWidget *cancel);

    void ShowStatus(const QString &text) override;
    void ShowProgress(qint64 step, qint64 total) override;
    // Over the frame only: "Cancelar" keeps the arrow.
    void SetWaitCursor(bool on) override;

private:
    void Repaint();

    QMainWindow *window_;
    QPointer<QProgressBar> progress_;
    QPointer<QWidget> cancel_;
    int waiting_ = 0;
    QElapsedTimer painted_;
};

// The Open dialog window, modal over the frame; its logic's statuses go to
// its own status line, its questions to the frame's message boxes.
class OpenDialogWindow : public IOpenDialog
{
public:
    OpenDialogWindow(QWidget *parent, IUserInterface &messages);

    // Reached from the copy's thread: carried to the dialog through jobs_.
    IUserInterface &Interface() override { return carried_; }
    void Run(OpenDepositLogic &logic, std::function<void(bool accepted)> done) override;

private:
    QWidget *parent_;
    OpenDialogInterface interface_;
    WindowThreadInterface carried_;
    // Last, so that a copy still running ends before the rest goes.
    JobRunner jobs_;
};

// The printer set-up: the printer dialog on `printer` without page numbers,
// selection or printing to a file (RunPrinterDialog), titled and confirmed as
// a set-up; true when the clerk confirms.
bool RunPrintDialog(QPrinter &printer, QWidget *parent);

} // namespace vk7
