#pragma once

#include <QObject>

#include "depositstate.h"

namespace vk7 {

// The open deposit and the frame's own state, as the desktop watches them.
// `changed()` is emitted whenever something that the commands' enabling
// depends on may have changed: a deposit opened or closed, its manifest
// checked, its form identified, its diagnosis done, a printer chosen. The
// reception chain notifies through NotifyChanged after each of its steps;
// the frame does the same after changing what it owns.
class DepositModel : public QObject
{
    Q_OBJECT

public:
    explicit DepositModel(QObject *parent = nullptr);

    DepositState &Deposit() { return deposit_; }
    const DepositState &Deposit() const { return deposit_; }
    FrameState &Frame() { return frame_; }
    const FrameState &Frame() const { return frame_; }

    void NotifyChanged();

    // The clerk's printer choice; notifies when it changes.
    void SetPrinterChosen(bool chosen);

Q_SIGNALS:
    void changed();

private:
    DepositState deposit_;
    FrameState frame_;
};

} // namespace vk7
