#pragma once

#include <functional>

#include <QObject>
#include <QString>

#include "reception/userinterface.h"

namespace vk7 {

// Long work (a reception, a rule check, an output, a print) runs on a
// thread of its own while the window's thread goes on painting, answering
// and taking the clerk's "Cancelar". The work stops at the next file, page
// or megabyte it reaches once a stop is requested; the step that stops
// returns the stop as its failure (Failure::Stopped), so that every step
// after it ends as after a failure of the machine, and nothing it left is
// judged.

// Runs `work` on a thread of its own and returns once it has ended. The
// calling thread handles its events meanwhile, as while a modal dialog is
// up: the caller keeps the commands that could touch what the work uses
// disabled. The work hands its failures back in what it returns. Without an
// application object, or off the application's thread, the work runs at
// once on the calling thread. True when the work was asked to stop.
bool RunOffThread(const std::function<void()> &work);

// Whether a work started by RunOffThread is running now (window thread).
bool WorkRunning();
// Asks the running work, if any, to stop (from any thread).
void RequestStop();
// On the work's own thread: whether it has been asked to stop. Always false
// for work not started by RunOffThread (the command-line checker's).
bool StopRequested();

// The seam carried to the window's thread: each call the work makes reaches
// `target` on the thread `context` lives in, in the order made. Status
// texts and the cursor are queued; the latest progress at most 25 times a
// second (a figure kept back goes with the next status text); a message, a
// question or an external open waits for its answer before the work goes
// on. Called on the window's thread itself, it calls `target` directly.
class WindowThreadInterface : public IUserInterface
{
public:
    WindowThreadInterface(IUserInterface &target, QObject *context);
    ~WindowThreadInterface() override;

    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;
    void ShowStatus(const QString &text) override;
    void ShowProgress(qint64 step, qint64 total) override;
    void SetWaitCursor(bool on) override;
    bool OpenExternally(const QString &hostPath) override;

private:
    bool OnWindowThread() const;

    struct Shared;
    IUserInterface &target_;
    QObject *context_;
    Shared *shared_;
};

} // namespace vk7
