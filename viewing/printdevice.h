#pragma once

#include <QString>

class QPagedPaintDevice;

namespace vk7 {

// Where the document dialogs print: the clerk's printer, a PDF file or a
// test's recorder. A job starts when a QPainter begins on Device() after the
// job has been named, and ends when that painter ends.
class IPrintDevice
{
public:
    virtual ~IPrintDevice() = default;
    virtual void SetJobName(const QString &name) = 0;
    virtual QPagedPaintDevice *Device() = 0;
};

} // namespace vk7
