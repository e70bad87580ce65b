#include "framecontroller.h"

#include <QCoreApplication>
#include <QTime>

#include "app/checkreport.h"
#include "components/cupsprintdevice.h"
#include "components/printdevice.h"
#include "components/tessocx.h"
#include "reception/failure.h"
#include "reception/filetools.h"
#include "reception/manifest.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/plaintext.h"
#include "reception/userinterface.h"
#include "registry/receptionregister.h"
#include "verification/coherencecheck.h"
#include "verification/depositdiagnosis.h"
#include "verification/formidentification.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The Open dialog with the clerk's entries given beforehand: accepting it
// once is all the clerk would do.
class GivenEntriesDialog : public IOpenDialog
{
public:
    GivenEntriesDialog(const OpenRequest &request, IUserInterface &ui) : request_(request), ui_(ui)
    {
    }
    // Without a dialog on screen the copy's lines go to the frame's status bar.
    IUserInterface &Interface() override { return ui_; }
    bool Run(OpenDepositLogic &logic) override
    {
        logic.location = request_.location;
        logic.diskettes = request_.diskettes;
        logic.fingerprint = request_.fingerprint;
        auto outcome = OpenDepositLogic::Outcome::StayOpen;
        // No dialog on screen: the frame shows the copy's progress and "Cancelar".
        {
            const WaitCursor wait(ui_);
            RunOffThread([&] { outcome = logic.Accept(); });
        }
        if (outcome == OpenDepositLogic::Outcome::Accepted)
            return true;
        if (logic.stopped())
            return false;
        ui_.ShowMessage(logic.status(), u"ERROR"_s, IUserInterface::Buttons::Ok,
                        IUserInterface::Icon::Stop);
        return false;
    }

private:
    OpenRequest request_;
    IUserInterface &ui_;
};

} // namespace

QString WindowTitleForForm(const QString &formName)
{
    if (formName.endsWith(u'P'))
        return u"Velmora - PESETAS"_s;
    if (formName.endsWith(u'E'))
        return u"Velmora - EUROS"_s;
    return u"Velmora"_s;
}

FrameController::FrameController(const QString &appFolder, IUserInterface &ui, const Clock &clock,
                                 QObject *parent)
    : QObject(parent), viewer_(std::make_unique<CTessOCX>(form_)), windowUi_(ui, this),
      ui_(windowUi_), clock_(clock), chain_(model_, frame_, &windowUi_, clock),
      title_(WindowTitleForForm(QString())),
      record_(QCoreApplication::applicationName(), QCoreApplication::applicationVersion())
{
    frame_.form = &form_;
    frame_.appFolder = appFolder;
    connect(viewer_.get(), &CTessOCX::pageChanged, this, &FrameController::OnPageChanged);
    connect(viewer_.get(), &CTessOCX::pageCountChanged, this, &FrameController::OnPageCountChanged);
    connect(viewer_.get(), &CTessOCX::textSizeChanged, this, &FrameController::OnTextSizeChanged);
    connect(viewer_.get(), &CTessOCX::fieldsInvalidated, this, [this] { form_.RefreshFields(); });
}

FrameController::~FrameController() = default;

FrameController::TaskScope::TaskScope(FrameController &controller, Task task)
    : controller_(controller), previous_(controller.task_)
{
    controller_.task_ = task;
    Q_EMIT controller_.busyChanged();
}

FrameController::TaskScope::~TaskScope()
{
    controller_.task_ = previous_;
    Q_EMIT controller_.busyChanged();
}

QString FrameController::CheckStoppedText()
{
    return u"Comprobación cancelada"_s;
}

QString FrameController::BusyText(Task task)
{
    switch (task) {
    case Task::Open:
        return u"Abriendo el Depósito Digital ..."_s;
    case Task::RuleCheck:
        return u"Comprobando el Depósito Digital ..."_s;
    case Task::Output:
        return u"Imprimiendo el Depósito Digital ..."_s;
    case Task::None:
        break;
    }
    return QString();
}

void FrameController::StopWork()
{
    RequestStop();
}

void FrameController::SetPrinterChosen(bool chosen)
{
    if (frame_.printerChosen == chosen)
        return;
    frame_.printerChosen = chosen;
    model_.NotifyChanged();
}

bool FrameController::ProduceOutput(const OutputTicks &ticks, PrintDevice &currentPrinter)
{
    if (task_ == Task::Output)
        return false;
    const TaskScope busy(*this, Task::Output);
    FormPageSettings formPages{.textSize = frame_.textSize, .printerChosen = frame_.printerChosen};
    // Stopped, the job in hand is dropped: what reached the printer is whole.
    StoppablePrintDevice printer(currentPrinter);
    bool done = false;
    // The output only reads the form, so the clerk may go on looking at it.
    // What it would change is changed here first: the text size the pages
    // are drawn in, and the field store's index, so that a lookup from
    // either thread writes nothing.
    if (State().formIdentified && formPages.textSize > 0)
        formPages.textSize = form_.SetTextSize(formPages.textSize);
    State().fields.IndexAll();
    const auto *cups = dynamic_cast<const CupsPrintDevice *>(&currentPrinter);
    const qsizetype jobsBefore = cups ? cups->Jobs().size() : 0;
    std::optional<Notice> notice;
    const bool stopped = RunOffThread([&] {
        const OutputResult output =
            ProduceDepositOutput(State(), &form_, formPages, ticks, printer, &ui_, clock_);
        done = output.Printed();
        notice = output.notice;
    });
    if (notice)
        ShowNotice(ui_, *notice);
    // The jobs sent go into the record of the reception the clerk prints.
    if (cups && record_.Begun()) {
        for (qsizetype i = jobsBefore; i < cups->Jobs().size(); ++i)
            record_.AddPrintJob(CupsPrintDevice::ResolveQueue(cups->Queue()),
                                cups->Settings().copies, cups->Jobs().at(i).name,
                                cups->Jobs().at(i).pages);
    }
    if (stopped) {
        done = false;
        ui_.ShowStatus(PrintStoppedText(printer.SentJobs()));
    }
    // The form pages' print clears the printer choice.
    SetPrinterChosen(formPages.printerChosen);
    // The view is left at page width, as after "Anc&hura pantalla".
    if (State().formIdentified)
        viewer_->FitWidth();
    model_.NotifyChanged();
    return done;
}

void FrameController::SetVerdictWindows(IVerdictWindows *windows)
{
    verdicts_ = windows ? windows : &defaultVerdicts_;
}

void FrameController::SetDocumentDialogs(IDocumentDialogs *dialogs)
{
    documents_ = dialogs ? dialogs : &defaultDocuments_;
}

void FrameController::Open(IOpenDialog &dialog)
{
    // Also the Open a print run posts, should it come while another runs.
    if (Busy())
        return;
    const TaskScope busy(*this, Task::Open);
    if (const Failure locked = lock_.Acquire(); locked.Failed()) {
        ui_.ShowMessage(locked.text, u"ERROR"_s, IUserInterface::Buttons::Ok,
                        IUserInterface::Icon::Stop);
        return;
    }
    CloseShownDeposit();
    // The copy runs off the window's thread: the dialog's status line and
    // questions are reached from there.
    WindowThreadInterface dialogUi(dialog.Interface(), this);
    OpenDepositLogic logic(dialogUi);
    chain_.PrepareOpenDialog(logic);
    if (register_)
        record_.Begin(QString(), QString(), QString());
    const bool accepted = dialog.Run(logic);
    record_.SetRequest(logic.location, logic.diskettes, logic.fingerprint);
    if (!accepted) {
        if (logic.stopped())
            ui_.ShowStatus(OpenDepositLogic::StoppedText());
        // A dialog closed without a try is no reception.
        if (logic.stopped())
            EndRecord(IoFailureRecordMembers(Failure::Stopped(), logic.status()));
        else if (logic.status().startsWith(u"ERROR"_s))
            EndRecord(OpenFailureRecordMembers(logic.status()));
        record_.Drop();
        return;
    }
    ReceptionResult result;
    {
        const WaitCursor wait(ui_);
        // The viewer shows nothing of the form while the chain opens it.
        viewer_->Freeze(true);
        RunOffThread([&] { result = chain_.RunAfterOpen(ReceptionChain::AcceptedValues(logic)); });
        viewer_->Freeze(false);
    }
    Finish(result);
}

void FrameController::Open(const OpenRequest &request)
{
    GivenEntriesDialog dialog(request, ui_);
    Open(dialog);
}

bool FrameController::StoppedByMachine(const Failure &failure)
{
    if (failure.IsStop()) {
        // Nothing half received stays: no deposit open, the work folder empty.
        CloseShownDeposit();
        CFileTools().DeleteMatchingFiles(WorkFolder() + u"*.*"_s, false);
        model_.NotifyChanged();
        ui_.ShowStatus(OpenDepositLogic::StoppedText());
        return true;
    }
    if (!failure.IsIo())
        return false;
    // Left closed: what was read is not the deposit, and a form or a text
    // on screen would pass for it. The clerk frees the disk and opens again.
    // (Not Close(): the frame is still busy with the task that met it.)
    CloseShownDeposit();
    model_.NotifyChanged();
    ui_.ShowStatus(QString());
    ui_.ShowMessage(failure.Message() + u"\n\nEl Depósito Digital no se ha comprobado y queda "
                                        u"cerrado."_s,
                    u"ERROR"_s, IUserInterface::Buttons::Ok, IUserInterface::Icon::Stop);
    return true;
}

void FrameController::Finish(const ReceptionResult &result)
{
    for (const Notice &notice : result.report.notices)
        ShowNotice(ui_, notice);
    if (StoppedByMachine(result.ioFailure)) {
        EndRecord(IoFailureRecordMembers(result.ioFailure, QString()));
        return;
    }
    if (result.identification.identified)
        SetTitle(WindowTitleForForm(model_.Deposit().formName));
    ui_.ShowStatus(QString());
    QJsonObject deposit;
    if (record_.Begun()) {
        // Before the output's pages join the deposit's files.
        CheckJsonOptions json;
        const ManifestDifferences differences = ListManifestDifferences(WorkFolder());
        json.missingFiles = differences.missing;
        json.unlistedFiles = differences.unlisted;
        deposit = DepositRecordMembers(State(), result, json);
    }
    const bool printed = verdicts_->ShowDepositState(model_, result.report);
    // The reception ends when its state window closes, its prints made.
    EndRecord(deposit);
    if (printed)
        Q_EMIT openRequested();
}

void FrameController::EndRecord(const QJsonObject &deposit)
{
    if (!register_ || !record_.Begun())
        return;
    record_.SetDeposit(deposit);
    const RecordOutcome outcome = register_->Record(record_.Finish());
    if (!outcome.notice.isEmpty())
        ui_.ShowStatus(outcome.statusText);
}

void FrameController::SetRegister(std::unique_ptr<ReceptionRegister> receptionRegister)
{
    register_ = std::move(receptionRegister);
    if (register_)
        register_->DeliverPending();
}

bool FrameController::ReprintSheet(const QString &sheet, PrintDevice &printer)
{
    if (Busy())
        return false;
    const TaskScope busy(*this, Task::Output);
    // The sheet's pages are drawn in the work folder, which must be ours.
    if (const Failure locked = lock_.Acquire(); locked.Failed()) {
        ui_.ShowMessage(locked.text, u"ERROR"_s, IUserInterface::Buttons::Ok,
                        IUserInterface::Icon::Stop);
        return false;
    }
    DepositState stored;
    stored.diagnosticText = QStringList{sheet};
    OutputTicks ticks{};
    ticks[0] = true;
    FormPageSettings formPages;
    const OutputResult output =
        ProduceDepositOutput(stored, nullptr, formPages, ticks, printer, &ui_, clock_);
    if (output.notice)
        ShowNotice(ui_, *output.notice);
    return !output.Failed();
}

bool FrameController::PrintReport(const QList<ReportPage> &pages, PrintDevice &printer)
{
    if (Busy())
        return false;
    const TaskScope busy(*this, Task::Output);
    // The printer's own resolution for page images; the pages are drawn
    // one at a time, so a month's report never holds more than one.
    constexpr int kDpi = 200;
    if (!printer.BeginJob(u"VK7_INFORME_"_s + QTime::currentTime().toString(u"HH:mm:ss"_s)))
        return false;
    for (const ReportPage &page : pages) {
        PageImage image;
        image.bitmap = ReportPageImage(page, kDpi);
        if (!printer.PrintPage(image)) {
            printer.AbandonJob();
            return false;
        }
    }
    return printer.EndJob();
}

bool FrameController::Close()
{
    if (Busy())
        return false;
    CloseShownDeposit();
    return true;
}

void FrameController::CloseShownDeposit()
{
    chain_.CloseDeposit();
    // The currency belongs to the deposit shown: with none, the bare title.
    SetTitle(WindowTitleForForm(QString()));
}

void FrameController::SetTitle(const QString &title)
{
    if (title == title_)
        return;
    title_ = title;
    Q_EMIT titleChanged(title_);
}

bool FrameController::CheckEnded(bool stopped, const Failure &failure)
{
    if (stopped || failure.IsStop()) {
        // The deposit stays as it was received; only this check is dropped.
        ui_.ShowStatus(CheckStoppedText());
        model_.NotifyChanged();
        return true;
    }
    return StoppedByMachine(failure);
}

void FrameController::ShowDepositState()
{
    if (Busy())
        return;
    const TaskScope busy(*this, Task::RuleCheck);
    CFileTools tools(&ui_);
    DepositStateReport report;
    bool stopped = false;
    {
        const WaitCursor wait(ui_);
        viewer_->Freeze(true);
        stopped = RunOffThread([&] {
            report = DiagnoseDeposit(State(), &form_, frame_.appFolder, tools, clock_, true);
        });
        viewer_->Freeze(false);
    }
    for (const Notice &notice : report.notices)
        ShowNotice(ui_, notice);
    if (CheckEnded(stopped, report.failure))
        return;
    ui_.ShowStatus(QString());
    model_.NotifyChanged();
    if (verdicts_->ShowDepositState(model_, report))
        Q_EMIT openRequested();
}

void IVerdictWindows::ShowRuleErrors(CFormDocument &form, const QList<ErrorRecord> &records,
                                     IUserInterface &ui)
{
    Q_UNUSED(ui);
    QStringList primary;
    QStringList implicit;
    PresentRuleErrors(records, &form, &primary, &implicit, nullptr);
}

void FrameController::CheckRules()
{
    if (Busy())
        return;
    const TaskScope busy(*this, Task::RuleCheck);
    RuleCheck check;
    bool stopped = false;
    {
        const WaitCursor wait(ui_);
        // The form changes to its rule mode and its fields are read again.
        viewer_->Freeze(true);
        stopped = RunOffThread(
            [&] { check = CollectRuleErrors(State(), &form_, frame_.appFolder, clock_); });
        viewer_->Freeze(false);
    }
    if (stopped || check.failure.Failed())
        form_.SetRuleCheckMode(false);
    if (CheckEnded(stopped, check.failure))
        return;
    verdicts_->ShowRuleErrors(form_, check.records, ui_);
    model_.NotifyChanged();
}

void FrameController::Execute(int commandId)
{
    CTessOCX &viewer = *viewer_;
    switch (commandId) {
    case kCmdClose:
        Close();
        return;
    case kCmdDepositState:
        ShowDepositState();
        return;
    case kCmdCheckRules:
        CheckRules();
        return;
    case kCmdZoomIn:
        viewer.Zoom(1.5);
        return;
    case kCmdZoomOut:
        viewer.Zoom(0.66);
        return;
    case kCmdFitWidth:
        viewer.FitWidth();
        return;
    case kCmdFullPage:
        viewer.FullPage();
        return;
    case kCmdZoomWindow:
        viewer.SetZoomWindowMode(!viewer.GetZoomWindowMode());
        model_.NotifyChanged();
        return;
    case kCmdPreviousPage:
        viewer.PreviousPage();
        viewer.Activate();
        return;
    case kCmdNextPage:
        viewer.NextPage();
        viewer.Activate();
        return;
    case kCmdScrollLineUp:
        viewer.Scroll(true, true, true);
        return;
    case kCmdScrollLineDown:
        viewer.Scroll(true, true, false);
        return;
    case kCmdScrollPageUp:
        viewer.Scroll(true, false, true);
        return;
    case kCmdScrollPageDown:
        viewer.Scroll(true, false, false);
        return;
    case kCmdScrollLeft:
        viewer.Scroll(false, true, true);
        return;
    case kCmdScrollRight:
        viewer.Scroll(false, true, false);
        return;
    default:
        break;
    }
    for (const EditCommand &command : EditCommands()) {
        if (command.id == commandId) {
            documents_->ShowDocument(command, EditDataSize(State(), commandId), model_);
            model_.NotifyChanged();
            return;
        }
    }
}

CommandContext FrameController::Context() const
{
    CommandContext context;
    context.formIdentified = model_.Deposit().formIdentified;
    context.currentPage = viewer_->GetCurrentPage();
    context.pageCount = viewer_->GetPageCount();
    context.zoomWindowMode = viewer_->GetZoomWindowMode();
    return context;
}

bool FrameController::IsEnabled(int commandId) const
{
    // Busy, the frame only lets the clerk look at a form nothing changes.
    if (Busy() && (viewer_->Frozen() || !IsViewCommand(commandId)))
        return false;
    const CommandInfo *command = FindCommand(commandId);
    return command && IsCommandEnabled(command->rule, Context());
}

void FrameController::PageChosen(const QString &itemText)
{
    viewer_->GoToPage(short(CAtoi(itemText)));
    viewer_->Activate();
}

void FrameController::TextSizeChosen(const QString &itemText)
{
    viewer_->SetTextSize(short(CAtoi(itemText)));
    viewer_->Activate();
}

void FrameController::OnPageChanged(short, short page)
{
    const int index = pageList_.items.indexOf(QString::number(page));
    if (index >= 0)
        pageList_.selected = index;
    Q_EMIT pageListChanged();
    model_.NotifyChanged();
}

void FrameController::OnPageCountChanged(short count)
{
    pageList_ = PageListFill(count < 0 ? 0u : unsigned(count));
    Q_EMIT pageListChanged();
    model_.NotifyChanged();
}

void FrameController::OnTextSizeChanged(short size)
{
    // The size arrives as a short and is used unsigned, as the list's items are.
    textSizeList_ = TextSizeListFill(unsigned(ushort(size)));
    if (textSizeList_.selected >= 0)
        frame_.textSize = CAtoi(textSizeList_.items.at(textSizeList_.selected));
    Q_EMIT textSizeListChanged();
}

qsizetype FrameController::EditDataSize(const DepositState &state, int commandId)
{
    for (const EditCommand &command : EditCommands()) {
        if (command.id == commandId)
            return command.imageSet ? state.Images(command.kind).size()
                                    : state.Pages(command.kind).size();
    }
    return 0;
}

} // namespace vk7
