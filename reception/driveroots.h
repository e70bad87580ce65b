#pragma once

#include <QString>
#include <QStringList>

#include "failure.h"

namespace vk7 {

// The host folder that stands for drive C: when nothing else is said: a
// private folder of the user's data directory. The desktop program and the
// command-line checker share it.
QString DefaultDriveCRoot();

// The help of the programs' --root option, which names the default root.
QString DriveCRootHelp();

// Sets drive C: from a program's --root option: the folder named (relative
// to the current folder) or, when none is, DefaultDriveCRoot(). A folder made
// here is private to the user (mode 0700), and the default root is kept
// private even if it existed. A failure with the clerk's message when the
// folder cannot be made or drive C: is unsafe to use (UnsafeDriveCText);
// drive C: is then left as it was.
Failure SetUpDriveC(const QString &rootOption);

// Why a folder the program empties, fills and reads (drive C:'s root, the
// work folder, the temporary folder) may not be used, as the clerk's message:
// a symbolic link, a folder of another user's, or one others may write in
// would let someone else choose or change what is deleted and read. Empty
// when it is safe or does not exist yet (the program then makes it itself).
QString UnsafeFolderText(const QString &hostFolder);

// The same for drive C: as it is mapped now: its root, then its work folder
// and its temporary folder.
QString UnsafeDriveCText();

// The folders under which the clerk's removable media are mounted:
// /media/USER and /run/media/USER, where the desktop mounts them, or the
// folders the environment variable VK7_MEDIA_ROOT names (separated by ':';
// tests and unusual workstations).
QStringList RemovableMediaRoots();

// Drive A: when no folder is named for it: the removable medium mounted now
// under the media roots (`mediaRoots`, or RemovableMediaRoots()); empty when
// none is. With several media in, a folder that is a mount point comes before
// one that is not (a folder left behind by an unmounted medium), and then
// the first by name, root by root.
QString RemovableMediumFolder(const QStringList &mediaRoots = {});

// The host folder that holds FORM/ and DATA/ for a program whose executable
// is in `executableFolder`: that folder itself when FORM/ is beside the
// executable (the build tree), else the prefix's share/vk7 when it holds
// FORM/ (an installed copy: bin/ and share/vk7/ under one prefix). Without
// either, the executable's folder, where a missing template is then reported.
QString ProgramDataFolder(const QString &executableFolder);

} // namespace vk7
