#include "printdevice.h"

#include "imaging.h"
#include "reception/backgroundwork.h"

using namespace Qt::StringLiterals;

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
