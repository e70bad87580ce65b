#include "app/ui/frameseams.h"

#include <QMainWindow>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>

#include "viewing/ui/printingdialog.h"

namespace vk7 {

StatusBarInterface::StatusBarInterface(QMainWindow *window) : MessageBoxes(window), window_(window)
{
}

void StatusBarInterface::SetProgressBar(QProgressBar *progress, QWidget *cancel)
{
    progress_ = progress;
    cancel_ = cancel;
}

void StatusBarInterface::SetWaitCursor(bool on)
{
    waiting_ = qMax(0, waiting_ + (on ? 1 : -1));
    if (waiting_ > 0)
        window_->setCursor(Qt::WaitCursor);
    else
        window_->unsetCursor();
    if (cancel_)
        cancel_->setVisible(waiting_ > 0);
    if (waiting_ == 0 && progress_)
        progress_->hide();
}

void StatusBarInterface::ShowStatus(const QString &text)
{
    if (text.isEmpty()) {
        window_->statusBar()->clearMessage();
        if (progress_)
            progress_->hide();
    } else {
        window_->statusBar()->showMessage(text);
    }
    Repaint();
}

void StatusBarInterface::ShowProgress(qint64 step, qint64 total)
{
    if (!progress_)
        return;
    ShowProgressOn(*progress_, step, total);
    Repaint();
}

// Painted at once, and at most 25 times a second: a long copy of small
// files must not spend the window's time repainting.
void StatusBarInterface::Repaint()
{
    if (!window_->isVisible() || (painted_.isValid() && painted_.elapsed() < 40))
        return;
    window_->statusBar()->repaint();
    painted_.start();
}

OpenDialogWindow::OpenDialogWindow(QWidget *parent, IUserInterface &messages)
    : parent_(parent), interface_(messages), carried_(interface_, jobs_)
{
}

void OpenDialogWindow::Run(OpenDepositLogic &logic, std::function<void(bool accepted)> done)
{
    COpenDepositDialog dialog(logic, jobs_, parent_);
    interface_.SetDialog(&dialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    interface_.SetDialog(nullptr);
    done(accepted);
}

bool RunPrintDialog(QPrinter &printer, QWidget *parent)
{
    return RunPrinterDialog(printer, parent, PrinterDialogUse::SetUp);
}

} // namespace vk7
