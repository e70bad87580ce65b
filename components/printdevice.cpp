#include "printdevice.h"

#include <algorithm>

#include "imaging.h"
#include "reception/userinterface.h"

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

PrintRun PrintImageFiles(PrintDevice &device, const QString &jobName, const QStringList &paths)
{
    PrintRun run;
    if (!device.BeginJob(jobName))
        return run;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        ImageList list;
        if (const Failure failure = LoadAllPages(path, &list); failure.Failed()) {
            run.failure.KeepFirst(failure);
            continue;
        }
        for (int page = 0; page < list.Count(); ++page)
            run.pages += device.PrintPage(PageImage{path, page, QImage()}) ? 1 : 0;
        ReleaseImageList(&list);
    }
    run.failure.KeepFirst(device.IoFailure());
    run.sent = device.EndJob();
    return run;
}

bool StoppablePrintDevice::BeginJob(const QString &name)
{
    if (stop_.stop_requested())
        return false;
    job_ = name;
    return device_.BeginJob(name);
}

bool StoppablePrintDevice::PrintPage(const PageImage &page)
{
    return !stop_.stop_requested() && device_.PrintPage(page);
}

bool StoppablePrintDevice::EndJob()
{
    if (stop_.stop_requested()) {
        device_.AbandonJob();
        return false;
    }
    if (!device_.EndJob())
        return false;
    sent_.append(job_);
    return true;
}

ProgressPrintDevice::~ProgressPrintDevice()
{
    if (ui_)
        ui_->ShowStatus(QString());
}

void ProgressPrintDevice::ShowDone()
{
    // A step the count did not foresee never takes the bar past its end.
    if (ui_)
        ui_->ShowProgress(done_, std::max(total_, done_));
}

void ProgressPrintDevice::ShowCounting()
{
    if (ui_)
        ui_->ShowProgress(0, 1);
}

void ProgressPrintDevice::Advance(qint64 steps)
{
    done_ += steps;
    ShowDone();
}

bool ProgressPrintDevice::EndJob()
{
    if (!device_.EndJob())
        return false;
    ended_.append(job_);
    return true;
}

bool ProgressPrintDevice::BeginJob(const QString &name)
{
    job_ = name;
    shown_ = caption_.isEmpty() ? name : caption_;
    caption_.clear();
    pages_ = 0;
    if (ui_)
        ui_->ShowStatus(u"Imprimiendo %1 ..."_s.arg(shown_));
    return device_.BeginJob(name);
}

bool ProgressPrintDevice::PrintPage(const PageImage &page)
{
    if (!device_.PrintPage(page))
        return false;
    ++done_;
    ++pages_;
    // The figure goes before the text, which carries it along.
    ShowDone();
    if (ui_) {
        const qint64 of = std::max(jobPages_, pages_);
        ui_->ShowStatus(u"Imprimiendo %1: página %2 de %3"_s.arg(shown_).arg(pages_).arg(of));
    }
    return true;
}

QString SentJobsText(const QStringList &sentJobs)
{
    if (sentJobs.isEmpty())
        return u"Ningún trabajo enviado"_s;
    return u"Trabajos enviados: "_s + sentJobs.join(u", "_s);
}

QString PrintStoppedText(const QStringList &sentJobs)
{
    return u"Impresión cancelada. "_s + SentJobsText(sentJobs);
}

} // namespace vk7
