#include "recordingprintdevice.h"

namespace vk7 {

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
    if (const Failure failure = LoadPageImage(page, &printed.bitmap); failure.Failed()) {
        ioFailure_.KeepFirst(failure);
        return false;
    }
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

QStringList RecordingPrintDevice::JobNames() const
{
    QStringList names;
    for (const Job &job : jobs_)
        names.append(job.name);
    return names;
}

} // namespace vk7
