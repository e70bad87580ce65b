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
#include "viewing/textpagerenderer.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The Open dialog with the clerk's entries given beforehand: accepting it
// once is all the clerk would do.
class GivenEntriesDialog : public IOpenDialog,
                           public std::enable_shared_from_this<GivenEntriesDialog>
{
public:
    GivenEntriesDialog(const OpenRequest &request, IUserInterface &ui, JobRunner &jobs)
        : request_(request), ui_(ui), threadUi_(ui, jobs), jobs_(jobs)
    {
    }
    // Without a dialog on screen the copy's lines go to the frame's status bar.
    IUserInterface &Interface() override { return threadUi_; }
    void Run(OpenDepositLogic &logic, std::function<void(bool accepted)> done) override
    {
        logic.location = request_.location;
        logic.diskettes = request_.diskettes;
        logic.fingerprint = request_.fingerprint;
        // No dialog on screen: the frame shows the copy's progress and "Cancelar".
        ui_.SetWaitCursor(true);
        // The logic is the copy's until it ends: nothing else touches it meanwhile.
        const bool started = jobs_.Start<OpenDepositLogic::Outcome>(
            [&logic](std::stop_token stop) { return logic.Accept(std::move(stop)); },
            [this, self = shared_from_this(), &logic, done](OpenDepositLogic::Outcome outcome,
                                                            bool) {
                ui_.SetWaitCursor(false);
                if (outcome == OpenDepositLogic::Outcome::Accepted) {
                    done(true);
                    return;
                }
                if (!logic.stopped())
                    ui_.ShowMessage(logic.status(), u"ERROR"_s, IUserInterface::Buttons::Ok,
                                    IUserInterface::Icon::Stop);
                done(false);
            });
        if (!started) {
            ui_.SetWaitCursor(false);
            done(false);
        }
    }

private:
    OpenRequest request_;
    IUserInterface &ui_;
    WindowThreadInterface threadUi_;
    JobRunner &jobs_;
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
    : QObject(parent), viewer_(std::make_unique<CTessOCX>(form_)), windowUi_(ui, jobs_),
      ui_(windowUi_), clock_(clock), chain_(model_, frame_, &windowUi_, clock),
      title_(WindowTitleForForm(QString())),
      record_(QCoreApplication::applicationName(), QCoreApplication::applicationVersion())
{
    frame_.form = &form_;
    frame_.appFolder = appFolder;
    // The jobs draw text pages: their font is made here, on this thread.
    PreparePageFont();
    connect(viewer_.get(), &CTessOCX::pageChanged, this, &FrameController::OnPageChanged);
    connect(viewer_.get(), &CTessOCX::pageCountChanged, this, &FrameController::OnPageCountChanged);
    connect(viewer_.get(), &CTessOCX::textSizeChanged, this, &FrameController::OnTextSizeChanged);
    connect(viewer_.get(), &CTessOCX::fieldsInvalidated, this, [this] { form_.RefreshFields(); });
}

FrameController::~FrameController() = default;

FrameController::Task FrameController::BeginTask(Task task)
{
    const Task previous = std::exchange(task_, task);
    Q_EMIT busyChanged();
    return previous;
}

void FrameController::EndTask(Task previous)
{
    task_ = previous;
    Q_EMIT busyChanged();
}

void FrameController::StopAndWait()
{
    jobs_.StopAndWait();
}

std::shared_ptr<CFormDocument> FrameController::FormForJob() const
{
    // No view hears a copy: the change given is for none.
    auto form = std::make_shared<CFormDocument>();
    form->TakeOver(form_, nullptr, IFormDocumentObserver::Change::Refreshed);
    return form;
}

void FrameController::TakeBack(DepositState &&state, const CFormDocument &form,
                               IFormDocumentObserver::Change change)
{
    model_.Deposit() = std::move(state);
    form_.TakeOver(form, &model_.Deposit().fields, change);
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

bool FrameController::ProduceOutput(const OutputTicks &ticks, PrintDevice &currentPrinter,
                                    std::function<void(bool printed)> done)
{
    if (task_ == Task::Output || jobs_.Running())
        return false;
    const Task previous = BeginTask(Task::Output);
    FormPageSettings formPages{.textSize = frame_.textSize, .printerChosen = frame_.printerChosen};
    // The pages are drawn in the text size the clerk chose; the output then
    // works on copies of the deposit and its form, so that the clerk may go
    // on looking at the form meanwhile.
    if (State().formIdentified && formPages.textSize > 0)
        formPages.textSize = form_.SetTextSize(formPages.textSize);
    struct Output
    {
        OutputResult result;
        FormPageSettings formPages;
        QStringList sentJobs;
    };
    const auto *cups = dynamic_cast<const CupsPrintDevice *>(&currentPrinter);
    const qsizetype jobsBefore = cups ? cups->Jobs().size() : 0;
    jobs_.Start<Output>(
        [state = State(), form = FormForJob(), formPages, ticks, device = &currentPrinter,
         ui = &ui_, clock = &clock_](std::stop_token stop) mutable {
            form->SetFieldSource(&state.fields);
            // Stopped, the job in hand is dropped: what reached the printer is whole.
            StoppablePrintDevice printer(*device, stop);
            Output output;
            output.result = ProduceDepositOutput(state, form.get(), formPages, ticks, printer, ui,
                                                 *clock, stop);
            output.formPages = formPages;
            output.sentJobs = printer.SentJobs();
            return output;
        },
        [this, cups, jobsBefore, previous, done = std::move(done)](Output output, bool stopped) {
            if (output.result.notice)
                ShowNotice(ui_, *output.result.notice);
            bool printed = output.result.Printed();
            // The jobs sent go into the record of the reception the clerk prints.
            if (cups && record_.Begun()) {
                for (qsizetype i = jobsBefore; i < cups->Jobs().size(); ++i)
                    record_.AddPrintJob(CupsPrintDevice::ResolveQueue(cups->Queue()),
                                        cups->Copies(), cups->Jobs().at(i).name,
                                        cups->Jobs().at(i).pages);
            }
            if (stopped) {
                printed = false;
                ui_.ShowStatus(PrintStoppedText(output.sentJobs));
            }
            // The form pages' print clears the printer choice.
            SetPrinterChosen(output.formPages.printerChosen);
            // The view is left at page width, as after "Anc&hura pantalla".
            if (State().formIdentified)
                viewer_->FitWidth();
            model_.NotifyChanged();
            EndTask(previous);
            done(printed);
        });
    return true;
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
    const Task previous = BeginTask(Task::Open);
    if (const Failure locked = lock_.Acquire(); locked.Failed()) {
        ui_.ShowMessage(locked.text, u"ERROR"_s, IUserInterface::Buttons::Ok,
                        IUserInterface::Icon::Stop);
        EndTask(previous);
        return;
    }
    CloseShownDeposit();
    // The copy runs off the window's thread: the dialog's status line and
    // questions are reached from there.
    auto logic = std::make_shared<OpenDepositLogic>(dialog.Interface());
    chain_.PrepareOpenDialog(*logic);
    if (register_)
        record_.Begin(QString(), QString(), QString());
    dialog.Run(*logic, [this, logic, previous](bool accepted) {
        record_.SetRequest(logic->location, logic->diskettes, logic->fingerprint);
        if (accepted) {
            OpenAccepted(ReceptionChain::AcceptedValues(*logic));
            return;
        }
        if (logic->stopped())
            ui_.ShowStatus(OpenDepositLogic::StoppedText());
        // A dialog closed without a try is no reception.
        if (logic->stopped())
            EndRecord(IoFailureRecordMembers(Failure::Stopped(), logic->status()));
        else if (logic->status().startsWith(u"ERROR"_s))
            EndRecord(OpenFailureRecordMembers(logic->status()));
        record_.Drop();
        EndTask(previous);
    });
}

void FrameController::OpenAccepted(const OpenDialogValues &values)
{
    struct Opened
    {
        DepositState state;
        CFormDocument form;
        ReceptionResult result;
    };
    ui_.SetWaitCursor(true);
    // The chain builds the deposit and its form on the job's thread, from
    // the closed ones, and hands them over whole when it ends: until then
    // the viewer shows the closed form.
    const std::shared_ptr<CFormDocument> form = FormForJob();
    jobs_.Start<std::shared_ptr<Opened>>(
        [state = State(), form, frame = frame_, values, ui = &windowUi_,
         clock = &clock_](std::stop_token stop) mutable {
            auto opened = std::make_shared<Opened>();
            opened->state = std::move(state);
            frame.form = form.get();
            ReceptionChain chain(opened->state, frame, ui, *clock);
            opened->result = chain.RunAfterOpen(values, stop);
            frame.form = nullptr;
            return opened;
        },
        [this, form](std::shared_ptr<Opened> opened, bool) {
            ui_.SetWaitCursor(false);
            TakeBack(std::move(opened->state), *form, IFormDocumentObserver::Change::Opened);
            model_.NotifyChanged();
            Finish(opened->result);
        });
}

void FrameController::Open(const OpenRequest &request)
{
    // Kept by its copy's continuation while the copy runs.
    const auto dialog = std::make_shared<GivenEntriesDialog>(request, ui_, jobs_);
    Open(*dialog);
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
        EndTask(Task::None);
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
    verdicts_->ShowDepositState(model_, result.report, [this, deposit](bool printed) {
        // The reception ends when its state window closes, its prints made.
        EndRecord(deposit);
        EndTask(Task::None);
        if (printed)
            Q_EMIT openRequested();
    });
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
    const Task previous = BeginTask(Task::Output);
    // The sheet's pages are drawn in the work folder, which must be ours.
    if (const Failure locked = lock_.Acquire(); locked.Failed()) {
        ui_.ShowMessage(locked.text, u"ERROR"_s, IUserInterface::Buttons::Ok,
                        IUserInterface::Icon::Stop);
        EndTask(previous);
        return false;
    }
    DepositState stored;
    stored.diagnosticText = QStringList{sheet};
    OutputTicks ticks{};
    ticks[0] = true;
    FormPageSettings formPages;
    // One sheet of a page or two: drawn and sent here, as the register's
    // window waits for it.
    const OutputResult output =
        ProduceDepositOutput(stored, nullptr, formPages, ticks, printer, &ui_, clock_);
    if (output.notice)
        ShowNotice(ui_, *output.notice);
    EndTask(previous);
    return !output.Failed();
}

namespace {

bool PrintReportPages(const QList<ReportPage> &pages, PrintDevice &printer)
{
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

} // namespace

bool FrameController::PrintReport(const QList<ReportPage> &pages, PrintDevice &printer)
{
    if (Busy())
        return false;
    const Task previous = BeginTask(Task::Output);
    const bool sent = PrintReportPages(pages, printer);
    EndTask(previous);
    return sent;
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
    const Task previous = BeginTask(Task::RuleCheck);
    struct Diagnosed
    {
        DepositState state;
        DepositStateReport report;
    };
    const std::shared_ptr<CFormDocument> form = FormForJob();
    ui_.SetWaitCursor(true);
    jobs_.Start<std::shared_ptr<Diagnosed>>(
        [state = State(), form, appFolder = frame_.appFolder, ui = &windowUi_,
         clock = &clock_](std::stop_token stop) mutable {
            auto diagnosed = std::make_shared<Diagnosed>();
            diagnosed->state = std::move(state);
            form->SetFieldSource(&diagnosed->state.fields);
            CFileTools tools(ui, stop);
            diagnosed->report =
                DiagnoseDeposit(diagnosed->state, form.get(), appFolder, tools, *clock, true, stop);
            return diagnosed;
        },
        [this, form, previous](std::shared_ptr<Diagnosed> diagnosed, bool stopped) {
            ui_.SetWaitCursor(false);
            for (const Notice &notice : diagnosed->report.notices)
                ShowNotice(ui_, notice);
            if (CheckEnded(stopped, diagnosed->report.failure)) {
                EndTask(previous);
                return;
            }
            // The diagnosis leaves its sheet (and what it read) with the deposit.
            TakeBack(std::move(diagnosed->state), *form, IFormDocumentObserver::Change::Refreshed);
            ui_.ShowStatus(QString());
            model_.NotifyChanged();
            verdicts_->ShowDepositState(model_, diagnosed->report, [this, previous](bool printed) {
                EndTask(previous);
                if (printed)
                    Q_EMIT openRequested();
            });
        });
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
    const Task previous = BeginTask(Task::RuleCheck);
    struct Checked
    {
        DepositState state;
        RuleCheck check;
    };
    // The form changes to its rule mode and its fields are read again: on a
    // copy, which the viewer shows once the rules have run.
    const std::shared_ptr<CFormDocument> form = FormForJob();
    ui_.SetWaitCursor(true);
    jobs_.Start<std::shared_ptr<Checked>>(
        [state = State(), form, appFolder = frame_.appFolder,
         clock = &clock_](std::stop_token stop) mutable {
            auto checked = std::make_shared<Checked>();
            checked->state = std::move(state);
            form->SetFieldSource(&checked->state.fields);
            checked->check = CollectRuleErrors(checked->state, form.get(), appFolder, *clock, stop);
            return checked;
        },
        [this, form, previous](std::shared_ptr<Checked> checked, bool stopped) {
            ui_.SetWaitCursor(false);
            // Stopped or failed, the copy the rules worked on is dropped: the
            // form the window shows never left its mode.
            if (CheckEnded(stopped, checked->check.failure)) {
                EndTask(previous);
                return;
            }
            TakeBack(std::move(checked->state), *form, IFormDocumentObserver::Change::Refreshed);
            verdicts_->ShowRuleErrors(form_, checked->check.records, ui_);
            model_.NotifyChanged();
            EndTask(previous);
        });
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
    // Busy, the frame only lets the clerk look at the form: a job works on
    // a copy of it, which the frame takes back when the job ends.
    if (Busy() && !IsViewCommand(commandId))
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
