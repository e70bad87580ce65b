#pragma once

#include <functional>
#include <stop_token>

#include <QByteArray>
#include <QList>

#include "failure.h"

namespace vk7 {

// Primitives on host paths (encoded file-name bytes), below CFileTools. They
// never block on pipes or devices and never throw. Every call reception/ makes
// to the operating system is made here, so that it is the one file a port to
// another system rewrites.
namespace hostfiles {

enum class Kind { Missing, File, Folder, Link, Other };

// What the path names, the link itself when it is one (Link); Other is a
// device, a pipe or a socket.
Kind KindOf(const QByteArray &hostPath);

// Whether both paths name the same existing file or folder (links followed).
bool SameFile(const QByteArray &a, const QByteArray &b);

// The raw names of a folder in listing order, without "." and "..": false
// when it cannot be read.
bool ListFolder(const QByteArray &hostFolder, QList<QByteArray> &names);

// Creates one folder; false when it fails or already exists.
bool MakeFolder(const QByteArray &hostPath);

// Leaves the folder to its owner alone (mode 0700).
bool MakePrivate(const QByteArray &hostFolder);

// Whether a folder may be worked in: the name itself (a link is not followed)
// is a folder of the running user's that nobody else may write in.
enum class FolderSafety { Missing, Safe, NotFolder, Link, OtherOwner, WritableByOthers };
FolderSafety SafetyOf(const QByteArray &hostFolder);

// Opens a host path for reading when it is a regular file; -1 otherwise
// (missing, folder, pipe, device, socket, or a symbolic link when links are
// not followed). The check is made on the open descriptor, so a name that
// changes kind between listing and opening is still refused.
// With `failure`, an open the machine refused (not a missing name or one
// that is not a regular file) is described there.
int OpenRegularFile(const QByteArray &hostPath, bool followLinks, Failure *failure = nullptr);

// Creates or empties a file for writing, never through a link; -1 on failure.
int CreateFile(const QByteArray &hostPath);

// Opens (creating it, mode 0600, never through a link) a lock file and takes
// its exclusive advisory lock without waiting. The descriptor holds the lock
// until it is closed; Locked, or Busy when another descriptor holds it, or
// Failed when the file cannot be opened.
enum class LockResult { Locked, Busy, Failed };
LockResult LockFile(const QByteArray &hostPath, int *fd);

// Reads up to `size` bytes, going on after interrupted reads: the count read,
// 0 at the end, -1 on an error.
qint64 ReadSome(int fd, char *buffer, qint64 size);

// Writes the whole buffer, going on after interrupted writes.
bool WriteAll(int fd, const char *data, qint64 size);

// Tells the system the file is read once from start to end.
void AdviseSequential(int fd);

// Closes the descriptor; false when data written could not be kept.
bool Close(int fd);

// The size of a regular file (the name itself, links not followed); -1 for
// anything else.
qint64 FileSize(const QByteArray &hostPath);

// The bytes a user may still write in the file system that holds the
// folder, and its allocation unit; false when the system cannot say.
bool FreeSpace(const QByteArray &hostFolder, qint64 *freeBytes, qint64 *unit);

// The read-only attribute is the owner's write permission.
bool SetReadOnly(const QByteArray &hostPath, bool readOnly);

// Deletes a file (or a link, a pipe). A read-only file and a folder are
// never deleted: both are refused, as content (Kind::Data); an unlink the
// machine refused is Kind::Io.
Failure RemoveFile(const QByteArray &hostPath);

// Copies a regular file over the target, which gets the source's read-only
// attribute. A missing source, one that is not a regular file and a
// read-only target are refused as content (Kind::Data, with MissingFileText
// for the first); a read, write, open or close the machine refused is
// Kind::Io. A failed copy leaves no partial target behind. `copied` hears the
// bytes copied so far after each piece; a stop leaves no target either.
Failure CopyFile(const QByteArray &source, const QByteArray &target, bool followLinks,
                 const std::function<void(qint64)> &copied = {}, std::stop_token stop = {});

// "No existe el fichero NAME"
QString MissingFileText(const QString &name);

} // namespace hostfiles
} // namespace vk7
