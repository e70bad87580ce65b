#pragma once

#include <QDate>

namespace vk7 {

// Where the rules take today's date from. The program asks the local clock;
// tests set a fixed day so that "the current year" does not move under them.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate Today() const = 0;
};

class SystemClock : public Clock
{
public:
    QDate Today() const override;
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(QDate today) : today_(today) {}
    QDate Today() const override { return today_; }

private:
    QDate today_;
};

// The clock of the running program (a SystemClock).
const Clock &DefaultClock();

} // namespace vk7
