// A page-image file as the imaging layer takes it: information (page count
// and sizes from the directories), the first page, and the page list with
// each page decoded in turn, whatever its compression.
#include <QImage>

#include "components/imaging.h"
#include "fuzzsupport.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = vk7::fuzz::WorkFolder() + u"/MEMORIA.M01"_s;
    vk7::fuzz::WriteHostFile(path, data, size);

    vk7::ImageFileInfo info;
    vk7::ReadImageFileInfo(path, &info);
    QImage page;
    vk7::LoadImageFile(path, &page);
    vk7::ImageList list;
    if (!vk7::LoadAllPages(path, &list).Failed()) {
        // A few pages are enough to reach every decoder; more only repeat.
        for (int i = 0; i < list.Count() && i < 8; ++i) {
            QImage taken;
            vk7::TakePage(list, i, &taken);
        }
        vk7::ReleaseImageList(&list);
    }
    return 0;
}
