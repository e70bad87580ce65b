#include "decimal.h"

#include <limits>

namespace vk7 {

qint64 ReadDecimalInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && (text.at(i) == u' ' || text.at(i) == u'\t' || text.at(i) == u'\n' ||
                        text.at(i) == u'\r' || text.at(i) == u'\v' || text.at(i) == u'\f'))
        ++i;
    bool negative = false;
    if (i < size && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    bool saturated = false;
    for (; i < size && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        const int digit = text.at(i).unicode() - u'0';
        if (saturated || value > (limit - digit) / 10)
            saturated = true;
        else
            value = value * 10 + digit;
    }
    if (saturated)
        return negative ? std::numeric_limits<qint64>::min() : limit;
    return negative ? -value : value;
}

} // namespace vk7
