#include "viewlists.h"

namespace vk7 {

ListFill PageListFill(unsigned pageCount)
{
    ListFill fill;
    if (pageCount == 0)
        return fill;
    for (unsigned page = 1; page <= pageCount; ++page)
        fill.items.append(QString::number(page));
    fill.selected = 0;
    return fill;
}

ListFill TextSizeListFill(unsigned size)
{
    ListFill fill;
    unsigned step = size / 10;
    if (step == 0)
        step = 1;
    unsigned below = size / step;
    if (below > 5)
        below = 5;
    else if (below <= 1)
        below = 0;
    const QString current = QString::number(size);
    // Counted in 64 bits: near the top of the range the last item would wrap.
    const quint64 last = quint64(size) + 5 * quint64(step);
    for (quint64 item = size - below * step; item <= last; item += step) {
        fill.items.append(QString::number(item));
        if (fill.items.constLast() == current && fill.selected < 0)
            fill.selected = int(fill.items.size()) - 1;
    }
    return fill;
}

int ReadListNumber(const QString &text)
{
    // atoi: leading blanks, an optional sign, then digits.
    int i = 0;
    while (i < text.size() && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    long long value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > 0x7fffffff)
            value = 0x7fffffff;
    }
    return int(negative ? -value : value);
}

} // namespace vk7
