#pragma once

#include <QString>

namespace vk7 {

// The seam between logic and the clerk: message boxes, questions, the status
// line, progress and the wait cursor. The desktop program answers with Qt
// dialogs and shows the status in its status bar (the Open dialog in its own
// status line), the command-line checker uses the terminal, the tests a script.
class IUserInterface
{
public:
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Icon { None, Information, Stop, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~IUserInterface() = default;

    virtual Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                               Icon icon) = 0;
    // The status line: each progress or error text of long work as it
    // happens ("Copiando fichero ...", "Leyendo datos. Esperar ..."); an empty
    // text clears it. Called on the thread doing the work, between its steps:
    // a window may process its pending events here to stay painted.
    virtual void ShowStatus(const QString &text) { Q_UNUSED(text); }
    // Progress of the current long work: it is at step `step` of `total`.
    virtual void ShowProgress(qint64 step, qint64 total)
    {
        Q_UNUSED(step);
        Q_UNUSED(total);
    }
    virtual void SetWaitCursor(bool on) { Q_UNUSED(on); }
    // Opens a host file in the program the desktop associates with it.
    virtual bool OpenExternally(const QString &hostPath)
    {
        Q_UNUSED(hostPath);
        return false;
    }
};

// The wait cursor for the length of a scope, so that no way out of a long task
// leaves it on.
class WaitCursor
{
public:
    explicit WaitCursor(IUserInterface *ui) : ui_(ui)
    {
        if (ui_)
            ui_->SetWaitCursor(true);
    }
    explicit WaitCursor(IUserInterface &ui) : WaitCursor(&ui) {}
    ~WaitCursor()
    {
        if (ui_)
            ui_->SetWaitCursor(false);
    }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    IUserInterface *ui_;
};

// Answers OK to a notice and No to a question to everything and shows nothing; for
// callers that have no clerk to ask.
// A message for the clerk that an operation hands back with its result
// instead of showing it: the window shows it as a box once the operation has
// returned (ShowNotice), the command-line checker prints its text.
struct Notice
{
    QString text;
    QString title;
    IUserInterface::Icon icon = IUserInterface::Icon::None;
};

inline void ShowNotice(IUserInterface &ui, const Notice &notice)
{
    ui.ShowMessage(notice.text, notice.title, IUserInterface::Buttons::Ok, notice.icon);
}

class SilentUserInterface : public IUserInterface
{
public:
    Answer ShowMessage(const QString &, const QString &, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
};

} // namespace vk7
