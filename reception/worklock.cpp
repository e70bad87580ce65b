#include "worklock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>

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

bool WorkFolderLock::Acquire(QString &error)
{
    if (fd_ >= 0)
        return true;
    const QString workFolder = PathResolver::Resolve(WorkFolder().chopped(1));
    const QString lockPath = PathResolver::Resolve(WorkFolder().chopped(1) + u".LCK"_s);
    if (lockPath.isEmpty()) {
        error = u"ERROR. No se puede crear la carpeta de la unidad C:"_s;
        return false;
    }
    const int fd = ::open(QFile::encodeName(lockPath).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = u"ERROR. No se puede crear el fichero de bloqueo (%1)"_s.arg(lockPath);
        return false;
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        error = BusyText(workFolder);
        return false;
    }
    fd_ = fd;
    return true;
}

void WorkFolderLock::Release()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

} // namespace vk7
