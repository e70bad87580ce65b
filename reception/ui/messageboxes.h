#pragma once

#include <QPointer>
#include <QWidget>

#include "reception/userinterface.h"

class QProgressBar;

namespace vk7 {

// Shows `step` of `total` on `bar` while the step is under way (and hides
// it otherwise); false when hidden. The bar counts in int: large totals
// are scaled down.
bool ShowProgressOn(QProgressBar &bar, qint64 step, qint64 total);

// `text` as the message boxes show it: a word that holds a path wraps after
// its folder separators only, so no name is cut.
QString PathsWrappedWhole(const QString &text);

// The seam to the clerk answered with Qt's message boxes (Spanish buttons
// come from Qt's translations), the wait cursor and the desktop's
// associated programs. Boxes stand in front of the open modal window, else
// of `parent`.
class MessageBoxes : public IUserInterface
{
public:
    explicit MessageBoxes(QWidget *parent = nullptr) : parent_(parent) {}

    void SetParent(QWidget *parent) { parent_ = parent; }

    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;
    void SetWaitCursor(bool on) override;
    bool OpenExternally(const QString &hostPath) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace vk7
