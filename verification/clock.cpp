#include "clock.h"

namespace vk7 {

QTime Clock::Now() const
{
    return QTime::currentTime();
}

QDate SystemClock::Today() const
{
    return QDate::currentDate();
}

const Clock &DefaultClock()
{
    static const SystemClock clock;
    return clock;
}

} // namespace vk7
