#pragma once

#include <functional>

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include "reception/userinterface.h"

namespace vk7::testing {

// The clerk as the tests play it: answers from a script and records
// everything the logic showed, asked or opened.
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
    void ShowStatus(const QString &text) override;
    void ShowProgress(qint64 step, qint64 total) override { progress.append({step, total}); }
    void SetWaitCursor(bool on) override { cursor.append(on); }
    bool OpenExternally(const QString &hostPath) override;

    // Answers given in order; once used up, OK to a notice and
    // `unscriptedQuestion` to a yes/no question.
    QList<Answer> answers;
    Answer unscriptedQuestion = Answer::Yes;
    // Called before answering, with the index of the message (from 0).
    std::function<void(int)> beforeAnswer;
    // What OpenExternally answers.
    bool openSucceeds = true;

    QList<Shown> shown;
    QStringList messages; // each message as "TITLE: text"
    QStringList statuses; // every status text, in order
    std::function<void(const QString &)> onStatus;
    QList<QPair<qint64, qint64>> progress;
    QList<bool> cursor; // the wait cursor turned on (true) and off (false)
    QStringList opened; // host paths opened in the desktop's programs
};

} // namespace vk7::testing
