#include "hostfiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

#include "failure.h"

namespace vk7::hostfiles {

using namespace Qt::StringLiterals;

namespace {

constexpr int kCopyChunk = 64000;

} // namespace

Kind KindOf(const QByteArray &hostPath)
{
    struct stat st;
    if (hostPath.isEmpty() || ::lstat(hostPath.constData(), &st) != 0)
        return Kind::Missing;
    if (S_ISREG(st.st_mode))
        return Kind::File;
    if (S_ISLNK(st.st_mode))
        return Kind::Link;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

bool SameFile(const QByteArray &a, const QByteArray &b)
{
    struct stat sa, sb;
    return ::stat(a.constData(), &sa) == 0 && ::stat(b.constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool ListFolder(const QByteArray &hostFolder, QList<QByteArray> &names)
{
    DIR *dir = ::opendir(hostFolder.constData());
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return true;
}

bool MakeFolder(const QByteArray &hostPath)
{
    return !hostPath.isEmpty() && ::mkdir(hostPath.constData(), 0777) == 0;
}

bool MakePrivate(const QByteArray &hostFolder)
{
    return ::chmod(hostFolder.constData(), 0700) == 0;
}

FolderSafety SafetyOf(const QByteArray &hostFolder)
{
    if (hostFolder.isEmpty())
        return FolderSafety::Missing;
    struct stat st;
    if (::lstat(hostFolder.constData(), &st) != 0)
        return errno == ENOENT ? FolderSafety::Missing : FolderSafety::NotFolder;
    if (S_ISLNK(st.st_mode))
        return FolderSafety::Link;
    if (!S_ISDIR(st.st_mode))
        return FolderSafety::NotFolder;
    if (st.st_uid != ::geteuid())
        return FolderSafety::OtherOwner;
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return FolderSafety::WritableByOthers;
    return FolderSafety::Safe;
}

int CreateFile(const QByteArray &hostPath)
{
    if (hostPath.isEmpty())
        return -1;
    return ::open(hostPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                  0666);
}

LockResult LockFile(const QByteArray &hostPath, int *fd)
{
    *fd = -1;
    if (hostPath.isEmpty())
        return LockResult::Failed;
    const int opened =
        ::open(hostPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (opened < 0)
        return LockResult::Failed;
    int result;
    do
        result = ::flock(opened, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(opened);
        return LockResult::Busy;
    }
    *fd = opened;
    return LockResult::Locked;
}

qint64 ReadSome(int fd, char *buffer, qint64 size)
{
    ssize_t got;
    do {
        got = ::read(fd, buffer, size_t(size));
    } while (got < 0 && errno == EINTR);
    return got;
}

void AdviseSequential(int fd)
{
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

bool Close(int fd)
{
    return ::close(fd) == 0;
}

bool WriteAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

int OpenRegularFile(const QByteArray &hostPath, bool followLinks, Failure *failure)
{
    if (hostPath.isEmpty())
        return -1;
    // O_NONBLOCK: opening a pipe must not wait for a writer.
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
    if (!followLinks)
        flags |= O_NOFOLLOW;
    const int fd = ::open(hostPath.constData(), flags);
    if (fd < 0) {
        const int error = errno;
        if (failure && IsMachineOpenFailure(hostPath, error))
            *failure = Failure::Io(hostPath, error);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        if (failure)
            *failure = Failure::Io(hostPath, errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int current = ::fcntl(fd, F_GETFL);
    if (current >= 0)
        ::fcntl(fd, F_SETFL, current & ~O_NONBLOCK);
    return fd;
}

qint64 FileSize(const QByteArray &hostPath)
{
    struct stat st;
    if (hostPath.isEmpty() || ::lstat(hostPath.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return qint64(st.st_size);
}

bool FreeSpace(const QByteArray &hostFolder, qint64 *freeBytes, qint64 *unit)
{
    struct statvfs fs;
    if (hostFolder.isEmpty() || ::statvfs(hostFolder.constData(), &fs) != 0)
        return false;
    *unit = qint64(fs.f_frsize > 0 ? fs.f_frsize : fs.f_bsize);
    *freeBytes = qint64(fs.f_bavail) * *unit;
    return true;
}

bool SetReadOnly(const QByteArray &hostPath, bool readOnly)
{
    struct stat st;
    // Only regular files: chmod through a link would change its target.
    if (::lstat(hostPath.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const mode_t mode = readOnly ? (st.st_mode & 07777 & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH))
                                 : ((st.st_mode & 07777) | S_IWUSR);
    return mode == (st.st_mode & 07777) || ::chmod(hostPath.constData(), mode) == 0;
}

QString MissingFileText(const QString &name)
{
    return u"No existe el fichero %1"_s.arg(name);
}

namespace {

Failure ReadOnlyFailure(const QByteArray &hostPath)
{
    const QString name = QString::fromLocal8Bit(hostPath);
    return Failure::Data(u"El fichero %1 es de sólo lectura"_s.arg(name), name);
}

Failure FolderFailure(const QByteArray &hostPath)
{
    const QString name = QString::fromLocal8Bit(hostPath);
    return Failure::Data(u"%1 es una carpeta"_s.arg(name), name);
}

} // namespace

Failure RemoveFile(const QByteArray &hostPath)
{
    const QString name = QString::fromLocal8Bit(hostPath);
    struct stat st;
    if (hostPath.isEmpty() || ::lstat(hostPath.constData(), &st) != 0)
        return Failure::Data(MissingFileText(name), name);
    if (S_ISDIR(st.st_mode))
        return FolderFailure(hostPath);
    if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        return ReadOnlyFailure(hostPath);
    if (::unlink(hostPath.constData()) != 0)
        return Failure::Io(hostPath, errno);
    return {};
}

Failure CopyFile(const QByteArray &source, const QByteArray &target, bool followLinks,
                 const std::function<void(qint64)> &copied, std::stop_token stop)
{
    const QString sourceName = QString::fromLocal8Bit(source);
    struct stat st;
    const int found =
        followLinks ? ::stat(source.constData(), &st) : ::lstat(source.constData(), &st);
    if (source.isEmpty() || found != 0) {
        if (source.isEmpty() || errno == ENOENT || errno == ENOTDIR)
            return Failure::Data(MissingFileText(sourceName), sourceName);
        return Failure::Io(source, errno);
    }

    Failure failure;
    const int in = OpenRegularFile(source, followLinks, &failure);
    if (in < 0) {
        if (failure.Failed())
            return failure;
        return Failure::Data(u"%1 no es un fichero normal"_s.arg(sourceName), sourceName);
    }
    struct stat sourceStat;
    if (::fstat(in, &sourceStat) != 0) {
        failure = Failure::Io(source, errno);
        ::close(in);
        return failure;
    }
    // The platform's copy refuses to overwrite a read-only file, even for root.
    struct stat targetStat;
    if (::lstat(target.constData(), &targetStat) == 0 &&
        (S_ISDIR(targetStat.st_mode) ||
         (S_ISREG(targetStat.st_mode) && !(targetStat.st_mode & S_IWUSR)))) {
        ::close(in);
        return S_ISDIR(targetStat.st_mode) ? FolderFailure(target) : ReadOnlyFailure(target);
    }
    const int out = CreateFile(target);
    if (out < 0) {
        failure = Failure::Io(target, errno);
        ::close(in);
        return failure;
    }

    std::vector<char> buffer(kCopyChunk);
    qint64 done = 0;
    for (;;) {
        const qint64 got = ReadSome(in, buffer.data(), qint64(buffer.size()));
        if (got < 0) {
            failure = Failure::Io(source, errno);
            break;
        }
        if (got == 0)
            break;
        if (!WriteAll(out, buffer.data(), got)) {
            failure = Failure::Io(target, errno);
            break;
        }
        done += got;
        if (copied)
            copied(done);
        // A stopped copy leaves no piece of the file behind.
        if (stop.stop_requested()) {
            failure = Failure::Stopped();
            break;
        }
    }
    ::close(in);
    if (::close(out) != 0 && !failure.Failed())
        failure = Failure::Io(target, errno);
    if (failure.Failed()) {
        ::unlink(target.constData());
        return failure;
    }
    if (!(sourceStat.st_mode & S_IWUSR))
        SetReadOnly(target, true);
    return {};
}

} // namespace vk7::hostfiles
