#include "app/ui/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/framecontroller.h"
#include "app/ui/aboutbox.h"
#include "app/ui/documentwindows.h"
#include "app/ui/frameseams.h"
#include "app/ui/lockkeys.h"
#include "app/ui/namedlists.h"
#include "app/ui/verdictwindows.h"
#include "components/cupsprintdevice.h"
#include "components/tessocx.h"
#include "components/ui/formview.h"
#include "reception/opendepositlogic.h"
#include "reception/ui/spokenstatus.h"
#include "registry/receptionregister.h"
#include "registry/registerlocation.h"
#include "registry/ui/receptionregisterwindow.h"
#include "registry/ui/receptionreportwindow.h"
#include "viewing/ui/printingdialog.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

QLabel *Indicator(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(u"DESP"_s) + 10);
    label->setEnabled(false);
    return label;
}

} // namespace

CMainFrame::CMainFrame(const QString &appFolder, const Clock &clock, QWidget *parent)
    : QMainWindow(parent), messages_(std::make_unique<StatusBarInterface>(this)),
      verdicts_(std::make_unique<FrameVerdictWindows>(this)),
      controller_(std::make_unique<FrameController>(appFolder, *messages_, clock)),
      windowDialog_(std::make_unique<OpenDialogWindow>(this, *messages_)),
      printDialogDefault_(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      printDialogSetup_(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      currentPrinter_(printDialogDefault_.get())
{
    setObjectName(u"MainFrame"_s);
    runPrintDialog_ = [this](QPrinter &printer) { return RunPrintDialog(printer, this); };
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    view_ = new FormView(&controller_->Viewer(), this);
    verdicts_->SetViewer(&controller_->Viewer());
    // The viewer never shrinks to 40 pixels or less: below that it keeps its size.
    view_->setMinimumSize(41, 41);
    view_->setAccessibleName(u"Formulario"_s);
    setCentralWidget(view_);
    MakePrintDevices();
    // The Edit menu's dialogs offer the session's printer and its settings.
    auto documents = std::make_unique<DocumentWindows>(this, *messages_);
    documents->SetPrinterChoice(
        [this](QWidget *parent) { return ChoosePrinterInDialog(parent, currentPrinter_); });
    documents_ = std::move(documents);
    // "&Imprimir" of the state window prints on the current printer.
    verdicts_->SetOutputPrinter(
        [this](const PrintChoices &ticks, bool, std::function<void(bool)> done) {
            return controller_->ProduceOutput(ticks, *currentDevice_, std::move(done));
        });
    controller_->SetVerdictWindows(verdicts_.get());
    controller_->SetDocumentDialogs(documents_.get());

    connect(&controller_->Model(), &DepositModel::changed, this, &CMainFrame::UpdateActions);
    connect(controller_.get(), &FrameController::titleChanged, this, &QWidget::setWindowTitle);
    connect(controller_.get(), &FrameController::pageListChanged, this,
            [this] { Fill(pageList_, controller_->PageList()); });
    connect(controller_.get(), &FrameController::textSizeListChanged, this,
            [this] { Fill(textSizeList_, controller_->TextSizeList()); });
    // The print run posts the Open command: it runs once the state window is gone.
    connect(controller_.get(), &FrameController::openRequested, this,
            [this] { QTimer::singleShot(0, this, &CMainFrame::OpenDeposit); });
    connect(&controller_->Viewer(), &CTessOCX::viewChanged, this, &CMainFrame::UpdateActions);
    connect(controller_.get(), &FrameController::busyChanged, this, &CMainFrame::ShowBusy);
    setWindowTitle(controller_->WindowTitle());
    SetUpRegister();
    qApp->installEventFilter(this);
    UpdateActions();
}

CMainFrame::~CMainFrame()
{
    // A job may still be printing on the devices this window owns.
    controller_->StopAndWait();
}

void CMainFrame::SetPrintDialogRunner(std::function<bool(QPrinter &)> runner)
{
    runPrintDialog_ = std::move(runner);
}

void CMainFrame::CreateActions()
{
    for (const CommandInfo &command : CommandTable()) {
        if (command.id == kCmdPageList || command.id == kCmdTextSizeList)
            continue;
        auto *action = new QAction(command.caption.section(u'\t', 0, 0), this);
        action->setObjectName(QString::number(command.id));
        action->setData(command.id);
        if (!command.shortcut.isEmpty())
            action->setShortcut(command.shortcut);
        action->setStatusTip(command.prompt);
        action->setToolTip(command.toolTip);
        if (!command.iconName.isEmpty())
            action->setIcon(QIcon(u":/icons/"_s + command.iconName + u".svg"_s));
        action->setCheckable(command.id == kCmdZoomWindow || command.id == kCmdToolBar ||
                             command.id == kCmdStatusBar);
        // Keys without a menu entry still reach the frame.
        addAction(action);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { Dispatch(id); });
        actions_.insert(id, action);
    }
}

void CMainFrame::CreateMenus()
{
    for (const MenuLayout &popup : MainMenu()) {
        QMenu *menu = menuBar()->addMenu(popup.title);
        // The states are read afresh whenever a menu opens, as the control may have moved.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateActions);
        for (int entry : popup.entries) {
            if (entry == 0) {
                menu->addSeparator();
            } else if (entry < 0) {
                QMenu *sub = menu->addMenu(SubMenuTitles().at(-entry - 1));
                for (int id : SubMenuEntries().at(-entry - 1))
                    sub->addAction(actions_.value(id));
            } else {
                menu->addAction(actions_.value(entry));
            }
        }
    }
}

void CMainFrame::CreateToolBar()
{
    InstallNamedListReading();
    toolBar_ = addToolBar(u"Barra de herramientas"_s);
    toolBar_->setObjectName(u"ToolBar"_s);
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolBarLayout()) {
        if (id == 0) {
            toolBar_->addSeparator();
        } else if (id == kCmdPageList || id == kCmdTextSizeList) {
            const CommandInfo *command = FindCommand(id);
            auto *list = new QComboBox(toolBar_);
            list->setObjectName(QString::number(id));
            list->setEditable(false);
            list->setFont(QFont(u"Times New Roman"_s));
            list->setMinimumContentsLength(3);
            list->setMaxVisibleItems(20);
            list->setToolTip(command->toolTip);
            list->setStatusTip(command->prompt);
            // Named by what it is, not by the value it shows.
            list->setAccessibleName(id == kCmdPageList ? u"Página"_s : u"Tamaño del texto"_s);
            toolBar_->addWidget(list);
            (id == kCmdPageList ? pageList_ : textSizeList_) = list;
        } else {
            // A button that shows only an icon is named by its tooltip.
            QAction *action = actions_.value(id);
            toolBar_->addAction(action);
            toolBar_->widgetForAction(action)->setAccessibleName(action->toolTip());
        }
    }
    // A completed selection, by the clerk only: refills do not count.
    // The choice made, the keys go back to the form view: Up and Down then
    // move in the page, not along the list.
    connect(pageList_, &QComboBox::activated, this, [this](int) {
        controller_->PageChosen(pageList_->currentText());
        view_->setFocus();
    });
    connect(textSizeList_, &QComboBox::activated, this, [this](int) {
        controller_->TextSizeChosen(textSizeList_->currentText());
        view_->setFocus();
    });
}

void CMainFrame::CreateStatusBar()
{
    // "Preparado" shows whenever no prompt does, or what the frame is busy with.
    idle_ = new QLabel(u"Preparado"_s, this);
    idle_->setObjectName(u"StatusText"_s);
    statusBar()->addWidget(idle_, 1);
    progress_ = new QProgressBar(this);
    progress_->setMaximumWidth(160);
    progress_->setTextVisible(false);
    progress_->hide();
    progress_->setAccessibleName(u"Progreso"_s);
    statusBar()->addPermanentWidget(progress_);
    // Stops the running work at its next file, page or megabyte.
    cancel_ = new QPushButton(u"Cancelar"_s, this);
    cancel_->setObjectName(u"CancelWork"_s);
    cancel_->setAccessibleName(u"Cancelar"_s);
    cancel_->setShortcut(Qt::Key_Escape);
    cancel_->setCursor(Qt::ArrowCursor);
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [] { FrameController::StopWork(); });
    statusBar()->addPermanentWidget(cancel_);
    messages_->SetProgressBar(progress_, cancel_);
    capsLock_ = Indicator(u"MAY"_s, this);
    numLock_ = Indicator(u"NUM"_s, this);
    scrollLock_ = Indicator(u"DESP"_s, this);
    statusBar()->addPermanentWidget(capsLock_);
    statusBar()->addPermanentWidget(numLock_);
    statusBar()->addPermanentWidget(scrollLock_);
    UpdateLockIndicators();
    // A screen reader reads the status bar by its name: what the line shows
    // (a message painted over "Preparado" is no widget of its own), said as
    // it comes; a menu item's prompt is not said, the reader reads the item.
    statusBar()->setAccessibleName(idle_->text());
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString &message) {
        statusBar()->setAccessibleName(message.isEmpty() ? idle_->text() : message);
        if (!QApplication::activePopupWidget())
            SayStatus(this, message);
    });
}

void CMainFrame::Fill(QComboBox *list, const ListFill &fill)
{
    const QSignalBlocker block(list);
    if (list->count() != fill.items.size() || [&] {
            for (int i = 0; i < fill.items.size(); ++i) {
                if (list->itemText(i) != fill.items.at(i))
                    return true;
            }
            return false;
        }()) {
        list->clear();
        list->addItems(fill.items);
    }
    list->setCurrentIndex(fill.selected);
}

void CMainFrame::UpdateActions()
{
    const CommandContext context = controller_->Context();
    // A busy frame takes no command but those that only look at a form the
    // work leaves as it is: menus, toolbar and keys.
    const bool looking = controller_->IsEnabled(kCmdZoomIn);
    const bool bars = !controller_->Busy() || looking;
    menuBar()->setEnabled(bars);
    toolBar_->setEnabled(bars);
    for (const CommandInfo &command : CommandTable()) {
        QAction *action = actions_.value(command.id);
        if (!action)
            continue;
        action->setEnabled(controller_->IsEnabled(command.id));
        if (command.id == kCmdZoomWindow)
            action->setChecked(IsCommandChecked(command.id, context));
    }
    actions_.value(kCmdToolBar)->setChecked(!toolBar_->isHidden());
    actions_.value(kCmdStatusBar)->setChecked(!statusBar()->isHidden());
    pageList_->setEnabled(controller_->IsEnabled(kCmdPageList));
    textSizeList_->setEnabled(controller_->IsEnabled(kCmdTextSizeList));
}

void CMainFrame::ShowBusy()
{
    const QString text = FrameController::BusyText(controller_->CurrentTask());
    const QString shown = text.isEmpty() ? u"Preparado"_s : text;
    if (shown != idle_->text()) {
        // A print is said as it starts and as it ends; an Open or a check
        // is heard by the window it brings.
        const QString printing = FrameController::BusyText(FrameController::Task::Output);
        if (shown == printing || idle_->text() == printing)
            SayStatus(this, shown);
        idle_->setText(shown);
        if (statusBar()->currentMessage().isEmpty())
            statusBar()->setAccessibleName(shown);
    }
    UpdateActions();
    if (leaving_ && !controller_->Busy()) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    // Painted now, without the state window that has just closed over it.
    if (isVisible())
        repaint();
}

void CMainFrame::Dispatch(int commandId)
{
    if (QAction *action = actions_.value(commandId); action && !action->isEnabled())
        return;
    switch (commandId) {
    case kCmdOpen:
        OpenDeposit();
        break;
    case kCmdExit:
        // A posted close request, as the close box sends it.
        QTimer::singleShot(0, this, &QWidget::close);
        break;
    case kCmdPrintSetup:
        SetUpPrinter();
        break;
    case kCmdAbout:
        ShowAbout();
        break;
    case kCmdReceptionRegister:
        ShowRegister();
        break;
    case kCmdReceptionReport:
        ShowReport();
        break;
    case kCmdToolBar:
        toolBar_->setVisible(toolBar_->isHidden());
        break;
    case kCmdStatusBar:
        statusBar()->setVisible(statusBar()->isHidden());
        break;
    case kCmdPageListFocus:
        pageList_->setFocus();
        pageList_->showPopup();
        break;
    default:
        controller_->Execute(commandId);
        break;
    }
    UpdateActions();
}

void CMainFrame::OpenDeposit()
{
    controller_->Open(*windowDialog_);
    UpdateActions();
}

void CMainFrame::SetUpPrinter()
{
    if (!runPrintDialog_(*printDialogSetup_))
        return;
    currentPrinter_ = printDialogSetup_.get();
    MakePrintDevices();
    controller_->SetPrinterChosen(true);
}

void CMainFrame::MakePrintDevices()
{
    // Every job of a print run goes to the current printer: the default
    // one (its queue as CUPS has it set up) until a printer is chosen, then
    // the chosen one with the copies and options the clerk set there.
    currentDevice_ = currentPrinter_ == printDialogDefault_.get()
                         ? std::make_unique<CupsPrintDevice>(printDialogDefault_->printerName())
                         : std::make_unique<CupsPrintDevice>(PrinterSettings(*currentPrinter_));
}

void CMainFrame::SetUpRegister()
{
    RegisterLocation location;
    if (const Failure failure = ConfiguredRegister(false, &location); failure.Failed())
        messages_->ShowStatus(failure.text);
    if (location.IsOff())
        return;
    controller_->SetRegister(std::make_unique<ReceptionRegister>(location));
    const MenuPlace place = RegisterMenuPlace();
    QMenu *menu = menuBar()->actions().at(place.menu)->menu();
    const QList<QAction *> entries = menu->actions();
    const qsizetype after = entries.indexOf(actions_.value(place.after));
    menu->insertAction(entries.value(after + 1), actions_.value(kCmdReceptionRegister));
    menu->insertAction(entries.value(after + 1), actions_.value(kCmdReceptionReport));
}

void CMainFrame::ShowRegister()
{
    ReceptionRegister *receptionRegister = controller_->Register();
    if (!receptionRegister)
        return;
    receptionRegister->DeliverPending();
    ReceptionRegisterWindow window(
        receptionRegister->Store(),
        [this](const QString &sheet) { return controller_->ReprintSheet(sheet, *currentDevice_); },
        this);
    window.SetPrinterName(currentDevice_->Queue());
    window.exec();
}

void CMainFrame::ShowReport()
{
    ReceptionRegister *receptionRegister = controller_->Register();
    if (!receptionRegister)
        return;
    receptionRegister->DeliverPending();
    ReceptionReportWindow window(
        receptionRegister->Store(),
        [this](const QList<ReportPage> &pages) {
            return controller_->PrintReport(pages, *currentDevice_);
        },
        this);
    window.SetPrinterName(currentDevice_->Queue());
    window.exec();
}

void CMainFrame::ShowAbout()
{
    AboutBox box(this);
    box.exec();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (leaving_ && controller_->Busy()) {
        event->ignore();
        return;
    }
    if (leaving_) {
        controller_->Close();
        event->accept();
        return;
    }
    // Leaving would close the deposit under the task that runs: while its
    // work runs, the clerk may stop it and leave once it has stopped.
    if (controller_->Busy() && !WorkRunning()) {
        event->ignore();
        return;
    }
    const auto answer =
        messages_->ShowMessage(u"¿ Está seguro que desea abandonar la aplicación ?"_s, u"VK7"_s,
                               IUserInterface::Buttons::YesNo, IUserInterface::Icon::Question);
    if (answer != IUserInterface::Answer::Yes) {
        event->ignore();
        return;
    }
    if (controller_->Busy()) {
        leaving_ = true;
        FrameController::StopWork();
        event->ignore();
        return;
    }
    controller_->Close();
    event->accept();
}

bool CMainFrame::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        controller_->Viewer().Activate();
        UpdateLockIndicators();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

// The lock keys change wherever the keyboard focus is.
bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease)
        UpdateLockIndicators();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::focusInEvent(QFocusEvent *event)
{
    QMainWindow::focusInEvent(event);
    controller_->Viewer().Activate();
}

void CMainFrame::UpdateLockIndicators()
{
    const LockKeys keys = QueryLockKeys();
    capsLock_->setEnabled(keys.capsLock);
    numLock_->setEnabled(keys.numLock);
    scrollLock_->setEnabled(keys.scrollLock);
}

} // namespace vk7
