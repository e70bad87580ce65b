#include "backgroundwork.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

#include <QCoreApplication>
#include <QMetaObject>

namespace vk7 {

namespace {

// The runners with a job running, for the clerk's "Cancelar" and for
// leaving the program; a stop may be asked from any thread.
std::mutex runningMutex;
std::set<JobRunner *> &RunningJobs()
{
    static std::set<JobRunner *> running;
    return running;
}

} // namespace

// The calls carried to the runner's thread. Written from any thread, under
// the mutex; the runner's thread is only woken (a queued slot call that
// carries nothing), and takes the calls out under the same mutex.
struct JobRunner::Queue
{
    struct Call
    {
        std::function<void()> call;
        bool *ran = nullptr; // set under the mutex once it has run (a waiting call)
    };
    std::mutex mutex;
    std::condition_variable ran;
    std::deque<Call> calls;
    bool wakePending = false;
    bool closed = false;
};

JobRunner::JobRunner(QObject *parent)
    : QObject(parent), queue_(std::make_shared<Queue>()), ownThread_(std::this_thread::get_id())
{
}

JobRunner::~JobRunner()
{
    StopAndWait();
}

bool JobRunner::OnRunnerThread() const
{
    return std::this_thread::get_id() == ownThread_;
}

bool JobRunner::StartErased(std::function<void(std::stop_token)> work,
                            std::function<void(bool)> done)
{
    if (running_)
        return false;
    if (!QCoreApplication::instance()) {
        work(std::stop_token());
        done(false);
        return true;
    }
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->closed = false;
    }
    running_ = true;
    done_ = std::move(done);
    {
        const std::lock_guard lock(runningMutex);
        stop_ = std::stop_source();
        RunningJobs().insert(this);
    }
    thread_ = std::thread([this, work = std::move(work), stop = stop_.get_token()] {
        work(stop);
        // The end goes behind every call the work carried over.
        Post([this] { Finished(); }, false);
    });
    return true;
}

void JobRunner::Finished()
{
    // The work has returned: joining makes everything it wrote ours.
    thread_.join();
    {
        const std::lock_guard lock(runningMutex);
        RunningJobs().erase(this);
    }
    running_ = false;
    const bool stopped = stop_.stop_requested();
    std::function<void(bool)> done = std::exchange(done_, {});
    if (done)
        done(stopped);
}

void JobRunner::RequestStop()
{
    const std::lock_guard lock(runningMutex);
    if (RunningJobs().contains(this))
        stop_.request_stop();
}

void JobRunner::StopAndWait()
{
    if (!running_)
        return;
    stop_.request_stop();
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->closed = true;
        queue_->calls.clear();
    }
    queue_->ran.notify_all();
    thread_.join();
    {
        // What the job carried over while it ended is dropped with it.
        const std::lock_guard lock(queue_->mutex);
        queue_->calls.clear();
    }
    {
        const std::lock_guard lock(runningMutex);
        RunningJobs().erase(this);
    }
    running_ = false;
    done_ = {};
}

bool JobRunner::Post(std::function<void()> call, bool wait)
{
    if (OnRunnerThread()) {
        call();
        return true;
    }
    bool ran = false;
    bool wake = false;
    {
        const std::lock_guard lock(queue_->mutex);
        if (queue_->closed)
            return false;
        queue_->calls.push_back({std::move(call), wait ? &ran : nullptr});
        wake = !std::exchange(queue_->wakePending, true);
    }
    if (wake)
        QMetaObject::invokeMethod(this, "RunPosted", Qt::QueuedConnection);
    if (!wait)
        return true;
    std::unique_lock lock(queue_->mutex);
    queue_->ran.wait(lock, [&] { return ran || queue_->closed; });
    return ran;
}

void JobRunner::RunPosted()
{
    // One call per wake, the next one woken before it runs: a call may show
    // a modal box, and the calls behind it then still come, in their order.
    Queue::Call next;
    bool more = false;
    {
        const std::lock_guard lock(queue_->mutex);
        if (queue_->calls.empty()) {
            queue_->wakePending = false;
            return;
        }
        next = std::move(queue_->calls.front());
        queue_->calls.pop_front();
        more = !queue_->calls.empty();
        queue_->wakePending = more;
    }
    if (more)
        QMetaObject::invokeMethod(this, "RunPosted", Qt::QueuedConnection);
    next.call();
    if (next.ran) {
        {
            const std::lock_guard lock(queue_->mutex);
            *next.ran = true;
        }
        queue_->ran.notify_all();
    }
}

bool WorkRunning()
{
    const std::lock_guard lock(runningMutex);
    return !RunningJobs().empty();
}

void RequestStop()
{
    const std::lock_guard lock(runningMutex);
    for (JobRunner *runner : RunningJobs())
        runner->stop_.request_stop();
}

struct WindowThreadInterface::Shared
{
    std::mutex mutex;
    qint64 step = 0;
    qint64 total = 0;
    bool progressPosted = false;
    bool progressHeld = false;                      // a figure kept back by the pace below
    std::chrono::steady_clock::time_point posted{}; // when the last figure went on its way
    bool everPosted = false;
    bool alive = true; // the interface still exists (read and written on the runner's thread)
};

WindowThreadInterface::WindowThreadInterface(IUserInterface &target, JobRunner &runner)
    : target_(target), runner_(runner), shared_(std::make_shared<Shared>())
{
}

WindowThreadInterface::~WindowThreadInterface()
{
    shared_->alive = false;
}

IUserInterface::Answer WindowThreadInterface::ShowMessage(const QString &text, const QString &title,
                                                          Buttons buttons, Icon icon)
{
    if (runner_.OnRunnerThread())
        return target_.ShowMessage(text, title, buttons, icon);
    Answer answer = Answer::Cancel;
    runner_.Post([&] { answer = target_.ShowMessage(text, title, buttons, icon); }, true);
    return answer;
}

void WindowThreadInterface::ShowStatus(const QString &text)
{
    if (runner_.OnRunnerThread()) {
        target_.ShowStatus(text);
        return;
    }
    // A figure kept back goes first, with the text, as the calls were made:
    // the bar never lags behind the status line.
    bool held = false;
    qint64 step = 0;
    qint64 total = 0;
    {
        const std::lock_guard lock(shared_->mutex);
        if (shared_->progressHeld && !shared_->progressPosted) {
            held = true;
            shared_->progressHeld = false;
            shared_->posted = std::chrono::steady_clock::now();
            step = shared_->step;
            total = shared_->total;
        }
    }
    runner_.Post(
        [target = &target_, shared = shared_, text, held, step, total] {
            if (!shared->alive)
                return;
            if (held)
                target->ShowProgress(step, total);
            target->ShowStatus(text);
        },
        false);
}

void WindowThreadInterface::ShowProgress(qint64 step, qint64 total)
{
    if (runner_.OnRunnerThread()) {
        target_.ShowProgress(step, total);
        return;
    }
    // Only the latest figure matters, and at most 25 a second: each one
    // wakes the window's thread, and a copy in many chunks must neither fill
    // its queue nor keep it (and the screen) from the work. A step's last
    // figure always goes, so the bar never stays short of its end; one kept
    // back goes with the next status text.
    using namespace std::chrono_literals;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->step = step;
        shared_->total = total;
        if (shared_->progressPosted)
            return;
        const bool last = total <= 0 || step >= total;
        const auto now = std::chrono::steady_clock::now();
        shared_->progressHeld = !last && shared_->everPosted && now - shared_->posted < 40ms;
        if (shared_->progressHeld)
            return;
        shared_->progressPosted = true;
        shared_->everPosted = true;
        shared_->posted = now;
    }
    runner_.Post(
        [target = &target_, shared = shared_] {
            qint64 shownStep = 0;
            qint64 shownTotal = 0;
            {
                const std::lock_guard lock(shared->mutex);
                shared->progressPosted = false;
                shownStep = shared->step;
                shownTotal = shared->total;
            }
            if (shared->alive)
                target->ShowProgress(shownStep, shownTotal);
        },
        false);
}

void WindowThreadInterface::SetWaitCursor(bool on)
{
    if (runner_.OnRunnerThread()) {
        target_.SetWaitCursor(on);
        return;
    }
    runner_.Post(
        [target = &target_, shared = shared_, on] {
            if (shared->alive)
                target->SetWaitCursor(on);
        },
        false);
}

bool WindowThreadInterface::OpenExternally(const QString &hostPath)
{
    if (runner_.OnRunnerThread())
        return target_.OpenExternally(hostPath);
    bool opened = false;
    runner_.Post([&] { opened = target_.OpenExternally(hostPath); }, true);
    return opened;
}

} // namespace vk7
