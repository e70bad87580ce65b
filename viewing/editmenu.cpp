#include "editmenu.h"

namespace vk7 {

const EditMenuEntry *EditMenuEntryOf(int commandId)
{
    using D = EditMenuEntry::Dialog;
    static const EditMenuEntry entries[] = {
        {50022, D::ImageSet, 8},  {50023, D::ImageSet, 9},  {50029, D::ImageSet, 20},
        {50030, D::ImageSet, 21}, {50020, D::TextPage, 5},  {50021, D::TextPage, 6},
        {50024, D::TextPage, 7},  {50026, D::TextPage, 17}, {50027, D::TextPage, 18},
        {50028, D::TextPage, 19},
    };
    for (const EditMenuEntry &entry : entries) {
        if (entry.commandId == commandId)
            return &entry;
    }
    return nullptr;
}

} // namespace vk7
