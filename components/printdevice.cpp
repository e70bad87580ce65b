#include "printdevice.h"

#include "imaging.h"

namespace vk7 {

using namespace Qt::StringLiterals;

Failure LoadPageImage(const PageImage &page, QImage *bitmap)
{
    if (!bitmap)
        return Failure::Data(u"No hay dónde cargar la página"_s);
    if (!page.bitmap.isNull()) {
        *bitmap = page.bitmap;
        return {};
    }
    if (page.index == 0)
        return LoadImageFile(page.path, bitmap);
    ImageList list;
    Failure failure = LoadAllPages(page.path, &list);
    if (!failure.Failed())
        failure = TakePage(list, page.index, bitmap);
    ReleaseImageList(&list);
    return failure;
}

int PrintImageFiles(PrintDevice &device, const QString &jobName, const QStringList &paths)
{
    if (!device.BeginJob(jobName))
        return -1;
    int printed = 0;
    for (const QString &path : paths) {
        ImageList list;
        if (path.isEmpty() || LoadAllPages(path, &list).Failed())
            continue;
        for (int page = 0; page < list.Count(); ++page)
            printed += device.PrintPage(PageImage{path, page, QImage()}) ? 1 : 0;
        ReleaseImageList(&list);
    }
    return device.EndJob() ? printed : -1;
}

bool RecordingPrintDevice::BeginJob(const QString &name)
{
    if (refusing_ || open_)
        return false;
    jobs_.append(Job{name, {}, false});
    open_ = true;
    return true;
}

bool RecordingPrintDevice::PrintPage(const PageImage &page)
{
    if (!open_)
        return false;
    PageImage printed = page;
    if (LoadPageImage(page, &printed.bitmap).Failed())
        return false;
    jobs_.last().pages.append(printed);
    return true;
}

bool RecordingPrintDevice::EndJob()
{
    if (!open_)
        return false;
    open_ = false;
    jobs_.last().ended = true;
    return true;
}

QStringList RecordingPrintDevice::JobNames() const
{
    QStringList names;
    for (const Job &job : jobs_)
        names.append(job.name);
    return names;
}

} // namespace vk7
