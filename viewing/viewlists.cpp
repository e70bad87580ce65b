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

} // namespace vk7
