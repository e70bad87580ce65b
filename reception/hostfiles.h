#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace vk7 {

// Primitives on host paths (encoded file-name bytes), below CFileTools. They
// never block on pipes or devices and never throw.
namespace hostfiles {

// Opens a host path for reading when it is a regular file; -1 otherwise
// (missing, folder, pipe, device, socket, or a symbolic link when links are
// not followed). The check is made on the open descriptor, so a name that
// changes kind between listing and opening is still refused.
int OpenRegularFile(const QByteArray &hostPath, bool followLinks);

// Writes the whole buffer, going on after interrupted writes.
bool WriteAll(int fd, const char *data, ssize_t size);

// The read-only attribute is the owner's write permission.
bool IsReadOnly(const QByteArray &hostPath);
bool SetReadOnly(const QByteArray &hostPath, bool readOnly);

// Deletes a file (or a link, a pipe): 0 deleted, 1 failed. A read-only file
// and a folder are never deleted: both are refused.
int RemoveFile(const QByteArray &hostPath);

// Copies a regular file over the target, which gets the source's read-only
// attribute: 0 copied, -3 the source does not exist, -1 any other failure (a
// source that is not a regular file, a read-only target, a read or write
// error). A failed copy leaves no partial target behind.
int CopyFile(const QByteArray &source, const QByteArray &target, bool followLinks);

} // namespace hostfiles
} // namespace vk7
