#pragma once

#include <array>
#include <optional>

#include <QDialog>

#include "verification/statewindowchoices.h"
#include "verification/verdictcommands.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace vk7 {

// "Estado del Depósito Digital": the verdicts of the open deposit and the
// documents the clerk may print. Every text, availability and tick comes from
// StateWindowChoices; the window only shows them and forwards the clicks.
// "&Imprimir" accepts, "&Salir" rejects.
class CEstadoDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CEstadoDlg(const DepositStateReport &report, QWidget *parent = nullptr);

    // The ten ticks as the controls hold them (read back on "&Imprimir").
    PrintChoices Ticks() const;
    QCheckBox *CheckBox(int index) const;
    // The controls by the ids of the system's dialog layout.
    QLabel *ValueLabel(int controlId) const;
    QListWidget *OtherDocumentsList() const { return otherList_; }
    QPushButton *PrintButton() const { return printButton_; }
    QPushButton *LeaveButton() const { return leaveButton_; }

private:
    void OnToggled(int index, bool on);

    StateWindowChoices choices_;
    std::array<QCheckBox *, kPrintChoiceCount> checks_{};
    QListWidget *otherList_ = nullptr;
    QPushButton *printButton_ = nullptr;
    QPushButton *leaveButton_ = nullptr;
};

// The state window shown modally over the frame.
class DialogStateWindow : public IStateWindow
{
public:
    explicit DialogStateWindow(QWidget *parent = nullptr) : parent_(parent) {}
    std::optional<PrintChoices> Show(const DepositStateReport &report) override;

private:
    QWidget *parent_;
};

} // namespace vk7
