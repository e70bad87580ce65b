#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "components/printdevice.h"

namespace vk7 {

// Keeps what was asked without printing it: each job's name and its pages
// (the page images, loaded as a printer would load them). A refusing device
// stands for a stopped or missing printer.
class RecordingPrintDevice : public PrintDevice
{
public:
    struct Job
    {
        QString name;
        QList<PageImage> pages; // the bitmap filled in
        bool ended = false;
    };

    bool BeginJob(const QString &name) override;
    bool PrintPage(const PageImage &page) override;
    bool EndJob() override;
    void AbandonJob() override;

    Failure IoFailure() const override { return ioFailure_; }

    void SetRefusing(bool refusing) { refusing_ = refusing; }
    const QList<Job> &Jobs() const { return jobs_; }
    QStringList JobNames() const;

private:
    QList<Job> jobs_;
    bool open_ = false;
    bool refusing_ = false;
    Failure ioFailure_;
};

} // namespace vk7
