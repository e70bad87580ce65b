#pragma once

#include <QDate>
#include <QTime>

namespace vk7 {

// Where the rules take today's date from. The program asks the local clock;
// tests set their own.
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

// The clock of the running program (a SystemClock).
const Clock &DefaultClock();

} // namespace vk7
