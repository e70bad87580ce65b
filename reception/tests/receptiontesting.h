#pragma once

#include <functional>
#include <ostream>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/userinterface.h"

// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vk7::testing {

// Writes (creating folders) or reads a whole host file.
void WriteHostFile(const QString &hostPath, const QByteArray &bytes);
QByteArray ReadHostFile(const QString &hostPath);
bool HostExists(const QString &hostPath);

// A fresh drive C: (and A:) in temporary folders for each test.
class DriveTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Host path below the root of C: or A:, given with forward slashes.
    QString OnC(const QString &relative) const;
    QString OnA(const QString &relative) const;

    QTemporaryDir driveC;
    QTemporaryDir driveA;
};

// Answers from a script and records every message it was shown.
class ScriptedUserInterface : public IUserInterface
{
public:
    struct Shown
    {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };

    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;
    void ShowStatus(const QString &text) override
    {
        statuses.append(text);
        if (onStatus)
            onStatus(text);
    }
    void ShowProgress(qint64 step, qint64 total) override { progress.append({step, total}); }

    // Answers given in order; once used up, OK or Yes.
    QList<Answer> answers;
    // Called before answering, with the index of the message (from 0).
    std::function<void(int)> beforeAnswer;
    QList<Shown> shown;
    // Every status text and progress step shown, in order.
    QStringList statuses;
    std::function<void(const QString &)> onStatus;
    QList<std::pair<qint64, qint64>> progress;
};

} // namespace vk7::testing
