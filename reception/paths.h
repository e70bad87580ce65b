#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace vk7 {

// Turns the system's own paths ("C:\TMP_VK7\DATOS.ASC", "A:\FICHERO.TXT") into
// host paths. Every file operation goes through it: drive letters map to root
// folders set at start-up, backslashes separate folders, and existing names
// are found regardless of letter case, as on the deposit media.
class PathResolver
{
public:
    // The host folder that stands for a drive ("C" is a private folder of the
    // user's, "A" the removable medium). An unset drive resolves to nothing.
    static void SetDriveRoot(QChar drive, const QString &hostFolder);
    static QString DriveRoot(QChar drive);
    static void ClearDriveRoots();

    // A drive whose medium changes while the program runs (A:, the removable
    // medium): with no root set, its root is asked of `source` each time the
    // drive is resolved, so a medium swapped or mounted under another name is
    // the one used. An empty answer means no medium is in.
    static void SetDriveRootSource(QChar drive, std::function<QString()> source);
    static bool HasDriveRootSource(QChar drive);

    // A host path that lies on a drive's medium (what a file dialog returns,
    // such as /media/clerk/DISCO/FICHERO.TXT) as the same path on that drive
    // ("A:\FICHERO.TXT"), so that the drive's rules apply to it. Any other
    // path, a drive path included, is returned as it is.
    static QString OnDrive(QChar drive, const QString &path);

    // The host path of a system path. Components that exist under another
    // letter case resolve to the existing name; the rest are kept as written.
    // A drive path never leaves its root ("..", "." are folded inside it).
    // Empty when the drive has no root or the path is empty.
    static QString Resolve(const QString &systemPath);

    // The same without a trailing separator (the root "/" aside), encoded for
    // the file system's own calls. Empty when the path does not resolve.
    static QByteArray HostFileName(const QString &systemPath);

    enum class EntryKind { File, Folder, Other };
    struct Entry
    {
        QString name;     // as stored on the disk
        QString hostPath; // full host path
        EntryKind kind;   // Other: symbolic link, device, pipe or socket
    };

    // The entries of a folder that match a wildcard pattern, given together
    // as one system path ("C:\TMP_VK7\*.M??"), in directory-listing order.
    // Names are compared after ASCII upper-casing.
    static QList<Entry> FindMatching(const QString &systemPattern);

    // The system's wildcard rules: "*" any run of characters, "?" one character or
    // none at the end of the name, "*.*" every name, a final ".*" also
    // matches a name without a period.
    static bool MatchesWildcard(const QString &name, const QString &pattern);

    // What a single lookup finds at a system path, symbolic links not followed.
    static bool Lookup(const QString &systemPath, EntryKind *kind);
};

// The work folder, with its trailing backslash: "C:\TMP_VK7\". Every deposit
// is copied into it and read from it; drive C: is the program's private folder.
QString WorkFolder();

// The folder of temporary copies, with its trailing backslash: "C:\TMP\".
// Documents opened in other programs and the pages of a printed text go there.
QString TemporaryFolder();

// ASCII upper-casing, as the deposit's names are compared.
QString AsciiUpper(const QString &text);

} // namespace vk7
