#include <atomic>
#include <memory>

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include "reception/backgroundwork.h"
#include "testing/guiapplication.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const auto *const kGui = vk7::testing::AddGuiApplicationEnvironment();

// Records each call, and whether it came on the window's thread.
class RecordingInterface : public IUserInterface
{
public:
    Answer ShowMessage(const QString &text, const QString &, Buttons, Icon) override
    {
        Note(u"message "_s + text);
        if (text == u"stop"_s && runner)
            runner->RequestStop();
        return Answer::Yes;
    }
    void ShowStatus(const QString &text) override { Note(u"status "_s + text); }
    void ShowProgress(qint64 step, qint64 total) override
    {
        Note(u"progress %1/%2"_s.arg(step).arg(total));
    }
    void SetWaitCursor(bool on) override { Note(on ? u"wait"_s : u"arrow"_s); }
    void Note(const QString &call)
    {
        calls.append(call);
        offThread += QThread::currentThread() != qApp->thread();
    }
    JobRunner *runner = nullptr;
    QStringList calls;
    int offThread = 0;
};

TEST(BackgroundWork, EveryCallReachesTheWindowsThreadInOrderAndTheResultComesLast)
{
    RecordingInterface target;
    JobRunner runner;
    WindowThreadInterface ui(target, runner);
    IUserInterface::Answer answer = IUserInterface::Answer::No;
    std::atomic<bool> onOwnThread = false;
    bool ended = false;
    ASSERT_TRUE(runner.Start<QString>(
        [&](std::stop_token) {
            onOwnThread = QThread::currentThread() != qApp->thread();
            ui.SetWaitCursor(true);
            ui.ShowStatus(u"uno"_s);
            answer = ui.ShowMessage(u"¿ Reintentar ?"_s, u"AVISO"_s, IUserInterface::Buttons::YesNo,
                                    IUserInterface::Icon::Stop);
            ui.ShowStatus(u"dos"_s);
            ui.ShowProgress(3, 3);
            ui.SetWaitCursor(false);
            return u"hecho"_s;
        },
        [&](QString result, bool stopped) {
            target.Note(u"end "_s + result);
            EXPECT_FALSE(stopped);
            ended = true;
        }));
    // One job at a time: the window's thread is back at once, and a second
    // job waits for none.
    EXPECT_TRUE(runner.Running());
    EXPECT_FALSE(runner.Start<int>([](std::stop_token) { return 0; }, [](int, bool) {}));
    ASSERT_TRUE(vk7::testing::WaitUntil([&] { return ended; }));
    EXPECT_TRUE(onOwnThread);
    EXPECT_EQ(target.calls,
              (QStringList{u"wait"_s, u"status uno"_s, u"message ¿ Reintentar ?"_s, u"status dos"_s,
                           u"progress 3/3"_s, u"arrow"_s, u"end hecho"_s}));
    EXPECT_EQ(target.offThread, 0);
    EXPECT_EQ(answer, IUserInterface::Answer::Yes);
    EXPECT_FALSE(runner.Running());
    EXPECT_FALSE(WorkRunning());
}

TEST(BackgroundWork, AStopIsSeenAtTheNextPointAndAWindowGoingAwayWaitsForNoAnswer)
{
    RecordingInterface target;
    auto runner = std::make_unique<JobRunner>();
    target.runner = runner.get();
    WindowThreadInterface ui(target, *runner);
    int steps = 0;
    bool ended = false;
    bool stopped = false;
    runner->Start<int>(
        [&](std::stop_token stop) {
            for (; steps < 1000; ++steps) {
                if (steps == 3)
                    ui.ShowMessage(u"stop"_s, u"AVISO"_s, IUserInterface::Buttons::Ok,
                                   IUserInterface::Icon::None);
                if (stop.stop_requested())
                    break;
            }
            return steps;
        },
        [&](int, bool wasStopped) {
            stopped = wasStopped;
            ended = true;
        });
    ASSERT_TRUE(vk7::testing::WaitUntil([&] { return ended; }));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(steps, 3);
    // Asked with no job running, nothing is stopped later.
    RequestStop();
    ended = false;
    runner->Start<bool>([](std::stop_token stop) { return stop.stop_requested(); },
                        [&](bool wasStopped, bool) {
                            stopped = wasStopped;
                            ended = true;
                        });
    ASSERT_TRUE(vk7::testing::WaitUntil([&] { return ended; }));
    EXPECT_FALSE(stopped);

    // The program leaves while a job waits for the clerk's answer: the
    // question is answered as cancelled, the job ends and is waited for, and
    // nothing follows it.
    std::atomic<bool> asking = false;
    std::atomic<IUserInterface::Answer> answer = IUserInterface::Answer::Yes;
    ended = false;
    runner->Start<int>(
        [&](std::stop_token) {
            asking = true;
            answer = ui.ShowMessage(u"¿ Seguir ?"_s, u"AVISO"_s, IUserInterface::Buttons::YesNo,
                                    IUserInterface::Icon::Question);
            return 0;
        },
        [&](int, bool) { ended = true; });
    while (!asking)
        QThread::msleep(1);
    target.runner = nullptr;
    runner.reset();
    EXPECT_EQ(answer.load(), IUserInterface::Answer::Cancel);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ended);
    EXPECT_FALSE(WorkRunning());
}

} // namespace
