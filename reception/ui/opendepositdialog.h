#pragma once

#include <QDialog>

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vk7 {

class OpenDepositLogic;

// "Abrir un Depósito Digital": the clerk's three entries, the three buttons
// and the status line over the Open logic, which decides everything. The
// registry-entry fields and the reception options stay hidden: their values
// are the logic's pre-filled members and are handed back unchanged.
class COpenDepositDialog : public QDialog
{
    Q_OBJECT
public:
    COpenDepositDialog(OpenDepositLogic &logic, QWidget *parent = nullptr);
    ~COpenDepositDialog() override;

    QLineEdit *LocationEdit() const { return location_; }
    QLineEdit *DiskettesEdit() const { return diskettes_; }
    QLineEdit *FingerprintEdit() const { return fingerprint_; }
    QLabel *StatusLine() const { return status_; }
    QPushButton *AcceptButton() const { return accept_; }
    QPushButton *BrowseButton() const { return browse_; }
    QPushButton *CancelButton() const { return cancel_; }

    // The file dialog "&Buscar" shows: only files named fichero.txt, in any
    // letter case, starting where the clerk's media are.
    static QFileDialog *CreateBrowseDialog(QWidget *parent);

public Q_SLOTS:
    void accept() override;
    void reject() override;

private:
    void Browse();
    void TakeFromControls();
    void TransferToControls();
    void ShowStatus(const QString &text);
    void ApplyFocus();

    OpenDepositLogic &logic_;
    QLineEdit *location_;
    QLineEdit *diskettes_;
    QLineEdit *fingerprint_;
    QLabel *status_;
    QPushButton *accept_;
    QPushButton *browse_;
    QPushButton *cancel_;
    bool busy_ = false;
};

} // namespace vk7
