#pragma once

#include <memory>
#include <optional>
#include <stop_token>

#include <QSet>
#include <QString>

#include "app/framestate.h"
#include "reception/failure.h"
#include "reception/userinterface.h"
#include "verification/depositdiagnosis.h"
#include "verification/formidentification.h"

namespace vk7 {

class CFileCopyDialog;
class CFileTools;
class Clock;
class DepositModel;
class OpenDepositLogic;
struct DepositState;

// The values the Open dialog hands back when the clerk accepts it (the
// deposit is then in the work folder).
struct OpenDialogValues
{
    QString fingerprint; // as typed
    QString entryNumber; // the hidden registry entry; "" in practice
    QString entryDate;
    int formSelection = 0;
    QStringList notCopied;                     // items of the medium left by the copy, with why
    std::optional<QSet<QString>> depositFiles; // what the copy put in the work folder
};

// What the clerk enters in the Open dialog.
struct OpenRequest
{
    QString location;                        // path of the medium's FICHERO.TXT
    QString diskettes = QStringLiteral("1"); // number of diskettes, as typed
    QString fingerprint;                     // as typed
};

// What one run of the chain found, for whoever shows it.
struct ReceptionResult
{
    bool identificationRan = false;
    FormIdentification identification;
    DepositStateReport report;
    // The first failure of the machine the chain met, or the clerk's stop
    // (Kind::None when there was neither); when there is one the chain
    // stopped there and `report` is no verdict. Of an Open whose dialog was
    // not accepted: the failure that ended its copy.
    Failure ioFailure;
};

// The reception chain as the Open command runs it, without any window: the
// desktop frame and the command-line checker drive the same object. It owns
// the loader (the frame's one CFileCopyDialog) and works on the deposit and
// frame state it is given. Given a model, it notifies through it after each
// step (Close, the manifest verdicts, identification, the diagnosis). Status
// texts and progress go to `ui`.
class ReceptionChain
{
public:
    ReceptionChain(DepositState &state, FrameState &frame, IUserInterface *ui, const Clock &clock);
    ReceptionChain(DepositModel &model, FrameState &frame, IUserInterface *ui, const Clock &clock);
    ~ReceptionChain();

    ReceptionChain(const ReceptionChain &) = delete;
    ReceptionChain &operator=(const ReceptionChain &) = delete;

    // Empties the deposit's lists and store and its form error, closes the
    // viewer's form when one is open, and marks the deposit no longer open.
    void CloseDeposit();

    // The whole Open command: the open deposit is closed, the Open dialog's
    // logic empties the work folder, validates the request and copies the
    // medium; when it is accepted the rest of the chain runs. `accepted`
    // tells which; when it is false `status` holds the dialog's status text.
    ReceptionResult Open(const OpenRequest &request, bool *accepted, QString *status);

    // For a window that runs the Open dialog itself, with its own interface
    // (its status line): after CloseDeposit, PrepareOpenDialog pre-fills the
    // dialog's logic from the last deposit and initialises it (the work
    // folder emptied); once it is accepted, RunAfterOpen(AcceptedValues(...)).
    void PrepareOpenDialog(OpenDepositLogic &dialog) const;
    static OpenDialogValues AcceptedValues(const OpenDepositLogic &dialog);

    // Everything after an accepted Open dialog: its values into the state
    // (which is then open),
    // the manifest verdicts, form identification when neither verdict is
    // "0", then the state/diagnosis.
    // The job's `stop` ends it at the next file, page or megabyte.
    ReceptionResult RunAfterOpen(const OpenDialogValues &values, std::stop_token stop = {});

    // Whether the suspicious-file warnings become a notice of the report
    // (the desktop's "AVISO" box); the checker prints them itself.
    void SetShowFileWarnings(bool show) { showFileWarnings_ = show; }

private:
    void Notify();

    DepositState &state_;
    FrameState &frame_;
    DepositModel *model_ = nullptr;
    IUserInterface *ui_;
    SilentUserInterface silent_;
    bool showFileWarnings_ = true;
    const Clock &clock_;
    std::unique_ptr<CFileCopyDialog> loader_;
};

// The registry entry number as the frame stores it: read as atol does and
// written with at least eight digits, zero-padded.
QString FormatEntryNumber(const QString &number);

} // namespace vk7
