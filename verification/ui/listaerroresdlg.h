#pragma once

#include <optional>

#include <QDialog>

#include "verification/coherencecheck.h"
#include "verification/errorlistbrowser.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace vk7 {

class IUserInterface;

// "Lista de Errores": the primary and the implicit errors of the rule check.
// ErrorListBrowser decides what selection, "Ver &Error" and "Ver &Regla" do;
// the window shows its answers. It accepts with the chosen error's number.
class CListaErroresDlg : public QDialog
{
    Q_OBJECT
public:
    // `ui` shows the "Ver Regla" box; without one a Qt message box does.
    CListaErroresDlg(const ErrorListContent &content, IUserInterface *ui = nullptr,
                     QWidget *parent = nullptr);

    long ChosenNumber() const { return chosenNumber_; }

    QListWidget *PrimaryList() const { return primaryList_; }
    QListWidget *ImplicitList() const { return implicitList_; }
    QLabel *MessageLine() const { return messageLine_; }
    QPushButton *ViewErrorButton() const { return viewErrorButton_; }
    QPushButton *ViewRuleButton() const { return viewRuleButton_; }
    QPushButton *LeaveButton() const { return leaveButton_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnSelectionChanged(ErrorListBrowser::List list);
    void OnViewError();
    void OnViewRule();

    ErrorListBrowser browser_;
    IUserInterface *ui_;
    long chosenNumber_ = 0;
    QListWidget *primaryList_ = nullptr;
    QListWidget *implicitList_ = nullptr;
    QLabel *messageLine_ = nullptr;
    QPushButton *viewErrorButton_ = nullptr;
    QPushButton *viewRuleButton_ = nullptr;
    QPushButton *leaveButton_ = nullptr;
};

// The error list shown modally over the frame by "Comprobar &Reglas".
class DialogErrorListWindow : public IErrorListWindow
{
public:
    explicit DialogErrorListWindow(IUserInterface *ui = nullptr, QWidget *parent = nullptr)
        : ui_(ui), parent_(parent)
    {
    }
    std::optional<long> ChooseError(const ErrorListContent &content) override;

private:
    IUserInterface *ui_;
    QWidget *parent_;
};

} // namespace vk7
