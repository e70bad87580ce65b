#pragma once

#include <QString>
#include <QStringList>

namespace vk7 {

// What the toolbar's page list holds for a page count: "1" to n, the first
// selected; nothing and no selection for 0.
struct ListFill
{
    QStringList items;
    int selected = -1; // index of the selected item; -1 for none
};
ListFill PageListFill(unsigned pageCount);

// The text-size list around size a: a step of a tenth of a (at least 1),
// from up to five steps below a (none when a is at most one step) to five
// steps above, with a selected. The selected text is the current text size.
ListFill TextSizeListFill(unsigned size);

} // namespace vk7
