#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

namespace vk7::fuzz {

// The drive C: of a fuzz run: a private folder under /dev/shm (or the
// temporary folder), made once per process with C:\TMP_VK7 in it, set as the
// resolver's drive C: and removed when the process ends. Returns its host
// path.
QString DriveRoot();

// The host path of the work folder C:\TMP_VK7 (no trailing slash).
QString WorkFolder();

// Writes bytes to a host file, replacing it. False when it cannot be written.
bool WriteHostFile(const QString &hostPath, const uint8_t *data, size_t size);
bool WriteHostFile(const QString &hostPath, const QByteArray &bytes);

// Deletes every entry of a folder (not the folder itself).
void EmptyFolder(const QString &hostFolder);

} // namespace vk7::fuzz
