#include "backgroundwork.h"

#include <atomic>
#include <memory>
#include <utility>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QPointer>
#include <QThread>

namespace vk7 {

namespace {

// One running work's stop request, shared by the window's thread (which
// sets it) and the work's thread (which reads it).
struct StopFlag
{
    std::atomic<bool> requested{false};
};

// The running work's flag (set and cleared by the window's thread; a stop
// may be asked from any thread); the work's thread sees its own flag only.
QMutex runningMutex;
std::shared_ptr<StopFlag> running;

std::shared_ptr<StopFlag> SetRunning(std::shared_ptr<StopFlag> flag)
{
    const QMutexLocker lock(&runningMutex);
    return std::exchange(running, std::move(flag));
}
thread_local std::shared_ptr<StopFlag> ownFlag;

class WorkThread : public QThread
{
public:
    WorkThread(const std::function<void()> &work, std::shared_ptr<StopFlag> flag)
        : work_(work), flag_(std::move(flag))
    {
    }

protected:
    void run() override
    {
        ownFlag = flag_;
        work_();
        ownFlag.reset();
    }

private:
    const std::function<void()> &work_;
    std::shared_ptr<StopFlag> flag_;
};

} // namespace

bool RunOffThread(const std::function<void()> &work)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return StopRequested();
    }
    auto flag = std::make_shared<StopFlag>();
    const std::shared_ptr<StopFlag> previous = SetRunning(flag);
    WorkThread thread(work, flag);
    QEventLoop wait;
    QObject::connect(&thread, &QThread::finished, &wait, &QEventLoop::quit, Qt::QueuedConnection);
    thread.start();
    // Input stays with the window: it is the clerk's way to "Cancelar".
    wait.exec();
    thread.wait();
    SetRunning(previous);
    return flag->requested.load();
}

bool WorkRunning()
{
    const QMutexLocker lock(&runningMutex);
    return running != nullptr;
}

void RequestStop()
{
    const QMutexLocker lock(&runningMutex);
    if (running)
        running->requested = true;
}

bool StopRequested()
{
    return ownFlag && ownFlag->requested.load();
}

struct WindowThreadInterface::Shared
{
    QMutex mutex;
    qint64 step = 0;
    qint64 total = 0;
    bool progressPosted = false;
    bool progressHeld = false; // a figure kept back by the pace below
    QElapsedTimer posted;      // since the last figure was sent on its way
};

WindowThreadInterface::WindowThreadInterface(IUserInterface &target, QObject *context)
    : target_(target), context_(context), shared_(new Shared)
{
}

WindowThreadInterface::~WindowThreadInterface()
{
    delete shared_;
}

bool WindowThreadInterface::OnWindowThread() const
{
    return QThread::currentThread() == context_->thread();
}

IUserInterface::Answer WindowThreadInterface::ShowMessage(const QString &text, const QString &title,
                                                          Buttons buttons, Icon icon)
{
    if (OnWindowThread())
        return target_.ShowMessage(text, title, buttons, icon);
    Answer answer = Answer::Cancel;
    QMetaObject::invokeMethod(
        context_, [&] { answer = target_.ShowMessage(text, title, buttons, icon); },
        Qt::BlockingQueuedConnection);
    return answer;
}

void WindowThreadInterface::ShowStatus(const QString &text)
{
    if (OnWindowThread()) {
        target_.ShowStatus(text);
        return;
    }
    IUserInterface *target = &target_;
    // A figure kept back goes first, with the text, as the calls were made:
    // the bar never lags behind the status line.
    bool held = false;
    qint64 step = 0;
    qint64 total = 0;
    {
        const QMutexLocker lock(&shared_->mutex);
        if (shared_->progressHeld && !shared_->progressPosted) {
            held = true;
            shared_->progressHeld = false;
            shared_->posted.start();
            step = shared_->step;
            total = shared_->total;
        }
    }
    QMetaObject::invokeMethod(
        context_,
        [target, text, held, step, total] {
            if (held)
                target->ShowProgress(step, total);
            target->ShowStatus(text);
        },
        Qt::QueuedConnection);
}

void WindowThreadInterface::ShowProgress(qint64 step, qint64 total)
{
    if (OnWindowThread()) {
        target_.ShowProgress(step, total);
        return;
    }
    // Only the latest figure matters, and at most 25 a second: each one
    // wakes the window's thread, and a copy in many chunks must neither fill
    // its queue nor keep it (and the screen) from the work. A step's last
    // figure always goes, so the bar never stays short of its end; one kept
    // back goes with the next status text.
    const QMutexLocker lock(&shared_->mutex);
    shared_->step = step;
    shared_->total = total;
    if (shared_->progressPosted)
        return;
    const bool last = total <= 0 || step >= total;
    shared_->progressHeld = !last && shared_->posted.isValid() && shared_->posted.elapsed() < 40;
    if (shared_->progressHeld)
        return;
    shared_->progressPosted = true;
    shared_->posted.start();
    IUserInterface *target = &target_;
    Shared *shared = shared_;
    QMetaObject::invokeMethod(
        context_,
        [target, shared] {
            qint64 shownStep = 0;
            qint64 shownTotal = 0;
            {
                const QMutexLocker lock(&shared->mutex);
                shared->progressPosted = false;
                shownStep = shared->step;
                shownTotal = shared->total;
            }
            target->ShowProgress(shownStep, shownTotal);
        },
        Qt::QueuedConnection);
}

void WindowThreadInterface::SetWaitCursor(bool on)
{
    if (OnWindowThread()) {
        target_.SetWaitCursor(on);
        return;
    }
    IUserInterface *target = &target_;
    QMetaObject::invokeMethod(
        context_, [target, on] { target->SetWaitCursor(on); }, Qt::QueuedConnection);
}

bool WindowThreadInterface::OpenExternally(const QString &hostPath)
{
    if (OnWindowThread())
        return target_.OpenExternally(hostPath);
    bool opened = false;
    QMetaObject::invokeMethod(
        context_, [&] { opened = target_.OpenExternally(hostPath); }, Qt::BlockingQueuedConnection);
    return opened;
}

} // namespace vk7
