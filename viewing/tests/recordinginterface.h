#pragma once

#include <QPair>
#include <QStringList>

#include "reception/userinterface.h"

namespace vk7::testing {

// Records what would reach the clerk: messages ("title: text"), files opened
// in the desktop's programs and the last progress step.
class RecordingInterface : public IUserInterface
{
public:
    Answer ShowMessage(const QString &text, const QString &title, Buttons, Icon) override
    {
        messages << title + QStringLiteral(": ") + text;
        return Answer::Ok;
    }
    bool OpenExternally(const QString &hostPath) override
    {
        opened << hostPath;
        return openSucceeds;
    }
    void ShowProgress(qint64 step, qint64 total) override { progress = {step, total}; }

    QStringList messages;
    QStringList opened;
    QPair<qint64, qint64> progress;
    bool openSucceeds = true;
};

} // namespace vk7::testing
