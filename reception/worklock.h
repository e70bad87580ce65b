#pragma once

#include <QString>

#include "failure.h"

namespace vk7 {

// One reception at a time per work folder: a second one would empty and
// refill the same folder under the first and mix their verdicts. The lock
// is an advisory lock on a file beside the work folder (never inside it,
// since each reception empties it), so it is released by the system when
// its process ends, however it ends.
class WorkFolderLock
{
public:
    WorkFolderLock() = default;
    ~WorkFolderLock();
    WorkFolderLock(const WorkFolderLock &) = delete;
    WorkFolderLock &operator=(const WorkFolderLock &) = delete;

    // Takes the lock of the work folder on drive C: as it is mapped now,
    // without waiting. Held also when this object already held it; a failure
    // with the clerk's message when another reception has it or the lock
    // file cannot be made.
    Failure Acquire();
    void Release();

    // "otra recepción está usando la carpeta de trabajo …", with its host path.
    static QString BusyText(const QString &hostFolder);

private:
    int fd_ = -1;
};

} // namespace vk7
