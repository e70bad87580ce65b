#pragma once

#include <QDate>
#include <QTime>

namespace vk7 {

// Where the rules take today's date from. The program asks the local clock;
// tests set a fixed day so that "the current year" does not move under them.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate Today() const = 0;
    // The time of day print jobs are named with.
    virtual QTime Now() const;
};

class SystemClock : public Clock
{
public:
    QDate Today() const override;
};

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

// The clock of the running program (a SystemClock).
const Clock &DefaultClock();

} // namespace vk7
