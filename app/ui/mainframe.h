#pragma once

#include <functional>
#include <memory>

#include <QHash>
#include <QMainWindow>

class QAction;
class QComboBox;
class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace vk7 {

class Clock;
class CupsPrintDevice;
class FormView;
class FrameController;
class FrameVerdictWindows;
class IDocumentDialogs;
class IOpenDialog;
class PrintDevice;
class StatusBarInterface;
struct ListFill;

// The main window: menus, toolbar and status bar built from the command
// table, the form viewer in the middle. It applies what the frame
// controller decides and forwards the clerk's choices to it.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(const QString &appFolder, const Clock &clock, QWidget *parent = nullptr);
    ~CMainFrame() override;

    FrameController &Controller() { return *controller_; }
    QAction *Action(int commandId) const { return actions_.value(commandId); }
    QComboBox *PageList() const { return pageList_; }
    QComboBox *TextSizeList() const { return textSizeList_; }
    QPrinter *CurrentPrinter() const { return currentPrinter_; }

    // Replaces the printer set-up dialog: shown on the printer it is given,
    // true when confirmed.
    void SetPrintDialogRunner(std::function<bool(QPrinter &)> runner);

    // Enables, disables and checks every command from the deposit's and the
    // viewer's state.
    void UpdateActions();

public Q_SLOTS:
    void OpenDeposit();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void Dispatch(int commandId);
    void SetUpPrinter();
    void MakePrintDevices();
    void ShowBusy();
    void ShowAbout();
    // The reception register as the workstation is set up, and its menu
    // entry when it is on; its window.
    void SetUpRegister();
    void ShowRegister();
    void ShowReport();
    void UpdateLockIndicators();
    static void Fill(QComboBox *list, const ListFill &fill);

    std::unique_ptr<StatusBarInterface> messages_;
    std::unique_ptr<FrameVerdictWindows> verdicts_; // outlives the controller that uses it
    std::unique_ptr<FrameController> controller_;
    std::unique_ptr<IDocumentDialogs> documents_;
    std::unique_ptr<IOpenDialog> windowDialog_;
    QHash<int, QAction *> actions_;
    FormView *view_ = nullptr;
    QToolBar *toolBar_ = nullptr;
    QComboBox *pageList_ = nullptr;
    QComboBox *textSizeList_ = nullptr;
    QLabel *idle_ = nullptr;
    QLabel *capsLock_ = nullptr;
    QLabel *numLock_ = nullptr;
    QLabel *scrollLock_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QPushButton *cancel_ = nullptr;
    // The clerk chose to leave while work ran: the window closes once it stops.
    bool leaving_ = false;
    std::unique_ptr<QPrinter> printDialogDefault_;
    std::unique_ptr<QPrinter> printDialogSetup_;
    QPrinter *currentPrinter_ = nullptr;
    std::unique_ptr<CupsPrintDevice> currentDevice_;
    std::function<bool(QPrinter &)> runPrintDialog_;
};

} // namespace vk7
