#include "fuzzsupport.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QList>

#include "reception/paths.h"

namespace vk7::fuzz {

namespace {

QString MakeDriveRoot()
{
    QByteArray base = QDir(QStringLiteral("/dev/shm")).exists() ? QByteArray("/dev/shm")
                                                                : QDir::tempPath().toLocal8Bit();
    QByteArray pattern = base + "/vk7fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        std::abort();
    const QString root = QFile::decodeName(pattern);
    QDir(root).mkpath(QStringLiteral("TMP_VK7"));
    PathResolver::SetDriveRoot(u'C', root);
    static QString removed;
    removed = root;
    std::atexit([] { QDir(removed).removeRecursively(); });
    return root;
}

} // namespace

QString DriveRoot()
{
    static const QString root = MakeDriveRoot();
    return root;
}

QString WorkFolder()
{
    return DriveRoot() + QStringLiteral("/TMP_VK7");
}

bool WriteHostFile(const QString &hostPath, const uint8_t *data, size_t size)
{
    const QByteArray name = QFile::encodeName(hostPath);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    ::close(fd);
    return done == size;
}

bool WriteHostFile(const QString &hostPath, const QByteArray &bytes)
{
    return WriteHostFile(hostPath, reinterpret_cast<const uint8_t *>(bytes.constData()),
                         size_t(bytes.size()));
}

void EmptyFolder(const QString &hostFolder)
{
    // Raw names, so that names that are not UTF-8 go too.
    const QByteArray folder = QFile::encodeName(hostFolder);
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    for (const QByteArray &name : std::as_const(names)) {
        const QByteArray path = folder + '/' + name;
        if (::unlink(path.constData()) != 0)
            QDir(QFile::decodeName(path)).removeRecursively();
    }
}

} // namespace vk7::fuzz
