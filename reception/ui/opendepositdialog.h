#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>

#include "reception/userinterface.h"

class QFileDialog;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vk7 {

class JobRunner;
class OpenDepositLogic;

// The dialog's one-line status: a text too long for it is shown cut in the
// middle ("…"), the whole text in its tool tip; its width never follows
// the text, so the dialog keeps its size.
class StatusLineLabel : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLineLabel(QWidget *parent = nullptr);
    void SetStatus(const QString &text);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // What is painted: the text, or its middle cut to fit the line.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// "Abrir un Depósito Digital": the clerk's three entries, the three buttons
// and the status line over the Open logic, which decides everything. The
// registry-entry fields and the reception options stay hidden: their values
// are the logic's pre-filled members and are handed back unchanged.
class COpenDepositDialog : public QDialog
{
    Q_OBJECT
public:
    // The copy runs as a job of `jobs`, the runner the logic's interface
    // carries its calls through.
    COpenDepositDialog(OpenDepositLogic &logic, JobRunner &jobs, QWidget *parent = nullptr);
    ~COpenDepositDialog() override;

    QLineEdit *LocationEdit() const { return location_; }
    QLineEdit *DiskettesEdit() const { return diskettes_; }
    QLineEdit *FingerprintEdit() const { return fingerprint_; }
    StatusLineLabel *StatusLine() const { return status_; }
    QProgressBar *ProgressBar() const { return progress_; }
    QPushButton *AcceptButton() const { return accept_; }
    QPushButton *CancelButton() const { return cancel_; }
    // Whether the copy of an accepted entry runs.
    bool Busy() const { return busy_; }

    // The file dialog "&Buscar" shows: only files named fichero.txt, in any
    // letter case, starting where the clerk's media are.
    static QFileDialog *CreateBrowseDialog(QWidget *parent);

    // Shows a status text on the status line at once, the window painted.
    void ShowStatus(const QString &text);
    // The copy's and the fingerprint's progress, on a bar beside the status
    // line shown only while that step runs.
    void ShowProgress(qint64 step, qint64 total);

public Q_SLOTS:
    void accept() override;
    void reject() override;

private:
    void Browse();
    void TakeFromControls();
    void TransferToControls();
    void ApplyFocus();
    void CopyEnded(int outcome);
    // What the clerk may not touch while the copy runs.
    QList<QWidget *> Entries() const;

    OpenDepositLogic &logic_;
    JobRunner &jobs_;
    QLineEdit *location_;
    QLineEdit *diskettes_;
    QLineEdit *fingerprint_;
    StatusLineLabel *status_;
    QProgressBar *progress_;
    QPushButton *accept_;
    QPushButton *browse_;
    QPushButton *cancel_;
    bool busy_ = false;
};

// The seam as the Open dialog's logic sees it: its status texts and progress
// on the dialog's status line (while a dialog is set), its messages and questions
// through `messages`.
class OpenDialogInterface : public IUserInterface
{
public:
    explicit OpenDialogInterface(IUserInterface &messages) : messages_(messages) {}

    void SetDialog(COpenDepositDialog *dialog) { dialog_ = dialog; }

    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;
    void ShowStatus(const QString &text) override;
    void ShowProgress(qint64 step, qint64 total) override;
    void SetWaitCursor(bool on) override { messages_.SetWaitCursor(on); }

private:
    IUserInterface &messages_;
    QPointer<COpenDepositDialog> dialog_;
};

} // namespace vk7
