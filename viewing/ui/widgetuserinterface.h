#pragma once

#include "reception/userinterface.h"

class QWidget;

namespace vk7 {

// The clerk's side of the seam for windows: message boxes over a parent
// window, the wait cursor, and files opened in the desktop's program for
// them (xdg-open).
class WidgetUserInterface : public IUserInterface
{
public:
    explicit WidgetUserInterface(QWidget *parent = nullptr) : parent_(parent) {}
    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;
    void SetWaitCursor(bool on) override;
    bool OpenExternally(const QString &hostPath) override;

private:
    QWidget *parent_;
};

} // namespace vk7
