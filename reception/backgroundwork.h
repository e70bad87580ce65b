#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

#include <QObject>
#include <QString>

#include "reception/userinterface.h"

namespace vk7 {

// Long work (a reception, a rule check, an output, a print) runs as a job on
// a thread of its own while the window's thread goes on painting, answering
// and taking the clerk's "Cancelar". A job takes what it works on by value
// and returns its result; the window's thread never waits for it: it gets
// the result in a continuation, on its own thread, once the job has ended,
// so nothing a window shows is ever written from the job's thread. A job
// stops at the next file, page or megabyte it reaches once its stop token
// says so.
//
// Every hand-over between the two threads (a job's start, its end, each
// call carried to the window's thread) goes through the runner's own queue
// and standard mutex, so that a thread checker sees each of them.
class JobRunner : public QObject
{
    Q_OBJECT
public:
    explicit JobRunner(QObject *parent = nullptr);
    // A job still running is asked to stop, whatever it waits on from the
    // window's thread is answered as cancelled, and it is waited for; its
    // continuation does not run.
    ~JobRunner() override;

    JobRunner(const JobRunner &) = delete;
    JobRunner &operator=(const JobRunner &) = delete;

    // Starts `work` on a thread of its own and returns at once; false, and
    // nothing started, while a job of this runner runs. Once the work has
    // returned, `done` runs on the runner's thread with its result and
    // whether a stop was asked for, after every call the work carried there.
    // Without an application object both run at once on the calling thread.
    template <typename Result>
    bool Start(std::function<Result(std::stop_token)> work,
               std::function<void(Result result, bool stopped)> done)
    {
        auto slot = std::make_shared<std::optional<Result>>();
        return StartErased(
            [work = std::move(work), slot](std::stop_token stop) {
                slot->emplace(work(std::move(stop)));
            },
            [done = std::move(done), slot](bool stopped) { done(std::move(**slot), stopped); });
    }

    // Whether a job of this runner runs (its continuation not yet run).
    bool Running() const { return running_; }
    // Asks the running job, if any, to stop (from any thread).
    void RequestStop();
    // Stops the running job, answers what it waits on as cancelled and waits
    // for it; its continuation does not run. For a window going away.
    void StopAndWait();

    // Carries `call` to the runner's thread, after those carried before it.
    // With `wait` the calling thread waits until it has run: false when the
    // runner closed first (the call then never runs). Called on the runner's
    // thread itself, the call runs at once.
    bool Post(std::function<void()> call, bool wait);
    bool OnRunnerThread() const;

private Q_SLOTS:
    void RunPosted();

private:
    friend void RequestStop();
    bool StartErased(std::function<void(std::stop_token)> work, std::function<void(bool)> done);
    void Finished();

    struct Queue;
    std::shared_ptr<Queue> queue_;
    std::thread::id ownThread_;
    std::thread thread_;
    std::stop_source stop_;
    std::function<void(bool)> done_;
    bool running_ = false;
};

// Whether a job runs now, in any window.
bool WorkRunning();
// Asks every running job to stop ("Cancelar"; from any thread).
void RequestStop();

// The seam carried to the window's thread: each call the work makes reaches
// `target` on the runner's thread through the runner's queue, in the order
// made. Status texts and the cursor are queued; the latest progress at most
// 25 times a second (a figure kept back goes with the next status text); a
// message, a question or an external open waits for its answer before the
// work goes on (cancelled when the runner closes first). Called on the
// runner's thread itself, it calls `target` directly.
class WindowThreadInterface : public IUserInterface
{
public:
    WindowThreadInterface(IUserInterface &target, JobRunner &runner);
    ~WindowThreadInterface() override;

    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;
    void ShowStatus(const QString &text) override;
    void ShowProgress(qint64 step, qint64 total) override;
    void SetWaitCursor(bool on) override;
    bool OpenExternally(const QString &hostPath) override;

private:
    struct Shared;
    IUserInterface &target_;
    JobRunner &runner_;
    std::shared_ptr<Shared> shared_;
};

} // namespace vk7
