#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "app/commandtable.h"
#include "app/framestate.h"
#include "app/receptionchain.h"
#include "app/receptionrecord.h"
#include "components/formdocument.h"
#include "datafiles/depositmodel.h"
#include "reception/backgroundwork.h"
#include "reception/worklock.h"
#include "registry/receptionreportdocument.h"
#include "verification/printoutput.h"
#include "viewing/viewlists.h"

namespace vk7 {

class CTessOCX;
class Clock;
class IUserInterface;
class OpenDepositLogic;
class PrintDevice;
class ReceptionRegister;

// Where the state window and the error-list window plug in. The defaults
// show nothing: the diagnosis is made and the rules are run, unseen.
class IVerdictWindows
{
public:
    virtual ~IVerdictWindows() = default;
    // The state window over the diagnosis just made; `done` is told, once
    // its steps have ended (its print included), whether the clerk printed
    // the deposit successfully, so that the Open command comes again.
    virtual void ShowDepositState(DepositModel &model, const DepositStateReport &report,
                                  std::function<void(bool printed)> done)
    {
        Q_UNUSED(model);
        Q_UNUSED(report);
        done(false);
    }
    // The end of "Comprobar &Reglas": the records the rules produced on the
    // open deposit, in front of the clerk; the form then leaves its rule mode.
    virtual void ShowRuleErrors(CFormDocument &form, const QList<ErrorRecord> &records,
                                IUserInterface &ui);
};

// Where the Edit menu's dialogs plug in: each entry hands over its dialog
// kind, its kind code and how many entries the deposit's list it works on
// holds. The default shows nothing.
class IDocumentDialogs
{
public:
    virtual ~IDocumentDialogs() = default;
    virtual void ShowDocument(const EditCommand &command, qsizetype entries, DepositModel &model)
    {
        Q_UNUSED(command);
        Q_UNUSED(entries);
        Q_UNUSED(model);
    }
};

// The main window's title: "Velmora - PESETAS" or "Velmora - EUROS" after
// the form's last letter, "Velmora" for any other.
QString WindowTitleForForm(const QString &formName);

// The Open dialog as the Open command runs it, over the dialog's logic,
// already pre-filled and initialised; `done` is told whether it was
// accepted. The logic talks to the clerk through the dialog's own interface
// (its status line, its questions), which its copy reaches from the copy's
// own thread.
class IOpenDialog
{
public:
    virtual ~IOpenDialog() = default;
    virtual IUserInterface &Interface() = 0;
    virtual void Run(OpenDepositLogic &logic, std::function<void(bool accepted)> done) = 0;
};

// What the main frame decides, without a window: the open deposit and its
// viewer, the Open and Close commands through the reception chain, the
// state and rule commands, the view commands and the two toolbar lists. The
// frame builds the actions, applies what this class says and forwards the
// clerk's choices to it.
class FrameController : public QObject
{
    Q_OBJECT
public:
    FrameController(const QString &appFolder, IUserInterface &ui, const Clock &clock,
                    QObject *parent = nullptr);
    ~FrameController() override;

    DepositModel &Model() { return model_; }
    DepositState &State() { return model_.Deposit(); }
    FrameState &Frame() { return frame_; }
    CFormDocument &Form() { return form_; }
    CTessOCX &Viewer() { return *viewer_; }
    const QString &WindowTitle() const { return title_; }

    // What the frame is doing that must not be interrupted: while an Open (its
    // dialog, its chain and its state window), a rule check (the diagnosis
    // included) or an output runs, no command is accepted that could close
    // or replace the deposit, and the status line says so.
    enum class Task { None, Open, RuleCheck, Output };
    Task CurrentTask() const { return task_; }
    bool Busy() const { return task_ != Task::None; }
    // The status line's text while busy; empty when not.
    static QString BusyText(Task task);
    // The status line after a stopped "&Estado del Depósito".
    static QString CheckStoppedText();

    // Asks the running work to stop at its next file, page or megabyte
    // ("Cancelar"); nothing when none runs.
    static void StopWork();
    // Whether a job of the frame runs now (not a step of the clerk's).
    bool JobRunning() const { return jobs_.Running(); }

    // The clerk's printer choice ("Configurar &Impesora"); notifies when it changes.
    void SetPrinterChosen(bool chosen);

    // The state window's "&Imprimir": the print output with the ticks, the
    // form pages on the chosen printer or the default one, the rest on the
    // current printer, off the window's thread over a copy of the deposit;
    // `done` is told whether it ran to its end. Refused (false, `done` not
    // called) while another output or job runs.
    bool ProduceOutput(const OutputTicks &ticks, PrintDevice &currentPrinter,
                       std::function<void(bool printed)> done);

    void SetVerdictWindows(IVerdictWindows *windows);
    void SetDocumentDialogs(IDocumentDialogs *dialogs);

    // The Open command: the deposit is closed, the dialog runs, and on its
    // acceptance the reception chain and the state/diagnosis. When another
    // reception holds the work folder, a message box says so and nothing
    // else happens. The command goes on after this returns: it has ended
    // when the frame is no longer busy.
    void Open(IOpenDialog &dialog);
    // The same with the entries given at once, as if the clerk had typed
    // them and accepted; a failed validation is shown as a message box.
    void Open(const OpenRequest &request);
    // False, and nothing closed, while the frame is busy.
    bool Close();
    // "&Estado del Depósito" and "Comprobar &Reglas": each runs over a copy
    // of the deposit and its form, which the frame takes back at the end.
    void ShowDepositState();
    void CheckRules();
    // For a window going away: a running job is stopped and waited for, and
    // what would have followed it does not run.
    void StopAndWait();
    // The commands that act on the viewer or open a document dialog.
    void Execute(int commandId);

    CommandContext Context() const;
    bool IsEnabled(int commandId) const;

    // The reception register every Open records into, whatever its end
    // (none: no record); records waiting in its local spool are delivered
    // now. A record the store could not take is said on the status line.
    void SetRegister(std::unique_ptr<ReceptionRegister> receptionRegister);
    ReceptionRegister *Register() const { return register_.get(); }
    // A stored diagnostic sheet printed again, as the output prints the
    // sheet, on `printer`. False when it did not reach the printer.
    bool ReprintSheet(const QString &sheet, PrintDevice &printer);
    // The register's report, its pages as page images in one job on
    // `printer`. False when it did not reach the printer.
    bool PrintReport(const QList<ReportPage> &pages, PrintDevice &printer);

    // The toolbar lists: a completed selection, and what they hold now.
    void PageChosen(const QString &itemText);
    void TextSizeChosen(const QString &itemText);
    const ListFill &PageList() const { return pageList_; }
    const ListFill &TextSizeList() const { return textSizeList_; }

    // How many entries (pages, or page images) the deposit's list an Edit
    // menu entry works on holds.
    static qsizetype EditDataSize(const DepositState &state, int commandId);

Q_SIGNALS:
    // The model's changed() tells when the commands' enabling may change.
    void titleChanged(const QString &title);
    // The page list was refilled, or only its selection moved.
    void pageListChanged();
    void textSizeListChanged();
    // A print run from the state window succeeded: the Open command again.
    void openRequested();
    // The frame began or ended a task (Busy, BusyText).
    void busyChanged();

private:
    // Marks the frame busy with `task` and returns the task it was busy
    // with, for the end of this one to put back (an output runs within an
    // Open or a check).
    Task BeginTask(Task task);
    void EndTask(Task previous);

    // The Open once its dialog has ended.
    void OpenAccepted(const OpenDialogValues &values);
    void Finish(const ReceptionResult &result);
    // Ends the running reception's record with the deposit's members.
    void EndRecord(const QJsonObject &deposit);
    void SetTitle(const QString &title);
    // Closes the deposit and puts the bare title back, busy or not.
    void CloseShownDeposit();
    // A failure of the machine: the deposit is closed and an "ERROR" box
    // says what failed. A stop the clerk asked for closes it too, empties
    // the work folder and says "Recepción cancelada". False when there was
    // neither.
    bool StoppedByMachine(const Failure &failure);
    // The end of a check of the open deposit that ran off the window's
    // thread: a stop drops the check alone and says "Comprobación
    // cancelada"; a failure of the machine is StoppedByMachine's. True when
    // the check ended either way.
    bool CheckEnded(bool stopped, const Failure &failure);
    // A copy of the form the window shows, for a job to work on (reading no
    // fields until the job gives it its own).
    std::shared_ptr<CFormDocument> FormForJob() const;
    // Takes back the deposit and form a job worked on, the view told
    // `change` (the clerk's text size kept).
    void TakeBack(DepositState &&state, const CFormDocument &form,
                  IFormDocumentObserver::Change change);
    void OnPageChanged(short previous, short page);
    void OnPageCountChanged(short count);
    void OnTextSizeChanged(short size);

    DepositModel model_;
    FrameState frame_;
    // The form the logic works on; the viewer shows it and goes first.
    CFormDocument form_;
    std::unique_ptr<CTessOCX> viewer_;
    // The clerk's interface as the work reaches it from its own thread
    // (through jobs_, declared last; it only keeps a reference here).
    WindowThreadInterface windowUi_;
    IUserInterface &ui_;
    // Taken at the first Open and kept while the program runs: the work
    // folder holds the deposit the clerk is looking at.
    WorkFolderLock lock_;
    const Clock &clock_;
    ReceptionChain chain_;
    IVerdictWindows defaultVerdicts_;
    IDocumentDialogs defaultDocuments_;
    IVerdictWindows *verdicts_ = &defaultVerdicts_;
    IDocumentDialogs *documents_ = &defaultDocuments_;
    QString title_;
    Task task_ = Task::None;
    ListFill pageList_;
    ListFill textSizeList_;
    std::unique_ptr<ReceptionRegister> register_;
    ReceptionRecord record_;
    // Last, so that it goes first: a job still running is stopped and
    // waited for while everything it may use still exists.
    JobRunner jobs_;
};

} // namespace vk7
