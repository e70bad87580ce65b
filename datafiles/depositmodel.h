#pragma once

#include <QObject>

#include "depositstate.h"

namespace vk7 {

// The open deposit, as the desktop watches it.
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

    void NotifyChanged();

Q_SIGNALS:
    void changed();

private:
    DepositState deposit_;
};

} // namespace vk7
