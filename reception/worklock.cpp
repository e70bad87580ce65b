#include "worklock.h"

#include <QFile>

#include "hostfiles.h"
#include "paths.h"

using namespace Qt::StringLiterals;

namespace vk7 {

WorkFolderLock::~WorkFolderLock()
{
    Release();
}

QString WorkFolderLock::BusyText(const QString &hostFolder)
{
    return u"ERROR. otra recepción está usando la carpeta de trabajo %1"_s.arg(hostFolder);
}

Failure WorkFolderLock::Acquire()
{
    if (fd_ >= 0)
        return {};
    const QString workFolder = PathResolver::Resolve(WorkFolder().chopped(1));
    const QString lockPath = PathResolver::Resolve(WorkFolder().chopped(1) + u".LCK"_s);
    if (lockPath.isEmpty())
        return Failure::Data(u"ERROR. No se puede crear la carpeta de la unidad C:"_s);
    switch (hostfiles::LockFile(QFile::encodeName(lockPath), &fd_)) {
    case hostfiles::LockResult::Locked:
        return {};
    case hostfiles::LockResult::Busy:
        return Failure::Data(BusyText(workFolder), workFolder);
    case hostfiles::LockResult::Failed:
        break;
    }
    return Failure::Data(u"ERROR. No se puede crear el fichero de bloqueo (%1)"_s.arg(lockPath),
                         lockPath);
}

void WorkFolderLock::Release()
{
    if (fd_ < 0)
        return;
    hostfiles::Close(fd_);
    fd_ = -1;
}

} // namespace vk7
