#pragma once

#include <QString>

namespace vk7 {

// The seam between logic and the clerk: message boxes, questions and the
// wait cursor. The desktop program answers with Qt dialogs, the command-line
// checker on the terminal, the tests from a script.
class IUserInterface
{
public:
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Icon { None, Information, Stop, Question };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~IUserInterface() = default;

    virtual Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                               Icon icon) = 0;
    virtual void SetWaitCursor(bool on) { Q_UNUSED(on); }
    // Opens a host file in the program the desktop associates with it.
    virtual bool OpenExternally(const QString &hostPath)
    {
        Q_UNUSED(hostPath);
        return false;
    }
};

// Answers OK to a notice and No to a question to everything and shows nothing; for
// callers that have no clerk to ask.
class SilentUserInterface : public IUserInterface
{
public:
    Answer ShowMessage(const QString &, const QString &, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
};

} // namespace vk7
