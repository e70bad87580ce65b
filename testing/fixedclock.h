#pragma once

#include "verification/clock.h"

namespace vk7 {

// A clock stopped at a given day and time, so that "the current year" and
// the print jobs' names do not move under a test.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDate today, QTime now = QTime(12, 0, 0)) : today_(today), now_(now) {}
    QDate Today() const override { return today_; }
    QTime Now() const override { return now_; }

private:
    QDate today_;
    QTime now_;
};

} // namespace vk7
