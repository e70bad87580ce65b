#include <cerrno>

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include "reception/backgroundwork.h"
#include "reception/failure.h"
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
        if (text == u"stop"_s)
            RequestStop();
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
    QStringList calls;
    int offThread = 0;
};

TEST(BackgroundWork, EveryCallReachesTheWindowsThreadInOrderAndAnswersComeBack)
{
    RecordingInterface target;
    WindowThreadInterface ui(target, qApp);
    IUserInterface::Answer answer = IUserInterface::Answer::No;
    bool onOwnThread = false;
    const bool stopped = RunOffThread([&] {
        onOwnThread = QThread::currentThread() != qApp->thread();
        ui.SetWaitCursor(true);
        ui.ShowStatus(u"uno"_s);
        answer = ui.ShowMessage(u"¿ Reintentar ?"_s, u"AVISO"_s, IUserInterface::Buttons::YesNo,
                                IUserInterface::Icon::Stop);
        ui.ShowStatus(u"dos"_s);
        ui.ShowProgress(3, 3);
        ui.SetWaitCursor(false);
    });
    EXPECT_FALSE(stopped);
    EXPECT_TRUE(onOwnThread);
    EXPECT_EQ(target.calls, (QStringList{u"wait"_s, u"status uno"_s, u"message ¿ Reintentar ?"_s,
                                         u"status dos"_s, u"progress 3/3"_s, u"arrow"_s}));
    EXPECT_EQ(target.offThread, 0);
    EXPECT_EQ(answer, IUserInterface::Answer::Yes);
}

TEST(BackgroundWork, AStopIsSeenAtTheNextPoint)
{
    RecordingInterface target;
    WindowThreadInterface ui(target, qApp);
    int steps = 0;
    const bool stopped = RunOffThread([&] {
        for (; steps < 1000; ++steps) {
            if (steps == 3)
                ui.ShowMessage(u"stop"_s, u"AVISO"_s, IUserInterface::Buttons::Ok,
                               IUserInterface::Icon::None);
            if (StopRequested())
                return;
        }
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(WorkRunning());
    // Asked with no work running, nothing is stopped later.
    RequestStop();
    bool seen = true;
    EXPECT_FALSE(RunOffThread([&seen] { seen = StopRequested(); }));
    EXPECT_FALSE(seen);
}

} // namespace
