#include "scriptedinterface.h"

using namespace Qt::StringLiterals;

namespace vk7::testing {

IUserInterface::Answer ScriptedUserInterface::ShowMessage(const QString &text, const QString &title,
                                                          Buttons buttons, Icon icon)
{
    const int index = int(shown.size());
    shown.append(Shown{text, title, buttons, icon});
    messages.append(title + u": "_s + text);
    if (beforeAnswer)
        beforeAnswer(index);
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons == Buttons::YesNo ? unscriptedQuestion : Answer::Ok;
}

void ScriptedUserInterface::ShowStatus(const QString &text)
{
    statuses.append(text);
    if (onStatus)
        onStatus(text);
}

bool ScriptedUserInterface::OpenExternally(const QString &hostPath)
{
    opened.append(hostPath);
    return openSucceeds;
}

} // namespace vk7::testing
