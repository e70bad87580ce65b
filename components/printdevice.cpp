#include "printdevice.h"

#include "imaging.h"
#include "reception/backgroundwork.h"

using namespace Qt::StringLiterals;

namespace vk7 {

int LoadPageImage(const PageImage &page, QImage *bitmap)
{
    if (!bitmap)
        return 0;
    if (!page.bitmap.isNull()) {
        *bitmap = page.bitmap;
        return 1;
    }
    if (page.index == 0)
        return LoadImageFile(page.path, bitmap);
    ImageList list;
    const int status =
        LoadAllPages(page.path, &list) == 1 && TakePage(list, page.index, bitmap) == 1;
    ReleaseImageList(&list);
    return status;
}

int PrintImageFiles(PrintDevice &device, const QString &jobName, const QStringList &paths)
{
    if (!device.BeginJob(jobName))
        return -1;
    int printed = 0;
    for (const QString &path : paths) {
        ImageList list;
        if (path.isEmpty() || LoadAllPages(path, &list) != 1)
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
    if (LoadPageImage(page, &printed.bitmap) != 1)
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

void RecordingPrintDevice::AbandonJob()
{
    if (!open_)
        return;
    open_ = false;
    jobs_.removeLast();
}

bool StoppablePrintDevice::BeginJob(const QString &name)
{
    if (StopRequested())
        return false;
    job_ = name;
    return device_.BeginJob(name);
}

bool StoppablePrintDevice::PrintPage(const PageImage &page)
{
    return !StopRequested() && device_.PrintPage(page);
}

bool StoppablePrintDevice::EndJob()
{
    if (StopRequested()) {
        device_.AbandonJob();
        return false;
    }
    if (!device_.EndJob())
        return false;
    sent_.append(job_);
    return true;
}

QString PrintStoppedText(const QStringList &sentJobs)
{
    if (sentJobs.isEmpty())
        return u"Impresión cancelada. Ningún trabajo enviado"_s;
    return u"Impresión cancelada. Trabajos enviados: "_s + sentJobs.join(u", "_s);
}

QStringList RecordingPrintDevice::JobNames() const
{
    QStringList names;
    for (const Job &job : jobs_)
        names.append(job.name);
    return names;
}

} // namespace vk7
