#include "driveroots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include "hostfiles.h"
#include "paths.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString DefaultDriveCRoot()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + u"/.local/share"_s;
    return data + u"/vk7/C"_s;
}

namespace {

// Makes sure a drive root exists; a folder it creates, and any folder when
// `makePrivate` holds, is left to its owner alone.
bool PrepareDriveRoot(const QString &hostFolder, bool makePrivate)
{
    if (hostFolder.isEmpty())
        return false;
    const QByteArray host = QFile::encodeName(hostFolder);
    const bool existed = QFileInfo(hostFolder).isDir();
    if (!existed && !QDir().mkpath(hostFolder))
        return false;
    // Only a real folder of the user's own is changed: never a link's target.
    const hostfiles::FolderSafety safety = hostfiles::SafetyOf(host);
    if ((!existed || makePrivate) && (safety == hostfiles::FolderSafety::Safe ||
                                      safety == hostfiles::FolderSafety::WritableByOthers))
        hostfiles::MakePrivate(host);
    return QFileInfo(hostFolder).isDir();
}

} // namespace

QString DriveCRootHelp()
{
    return u"Carpeta que hace de unidad C: (por omisión, una carpeta privada del usuario: %1)."_s
        .arg(DefaultDriveCRoot());
}

Failure SetUpDriveC(const QString &rootOption)
{
    const bool useDefault = rootOption.isEmpty();
    const QString root =
        useDefault ? DefaultDriveCRoot() : QFileInfo(rootOption).absoluteFilePath();
    if (!PrepareDriveRoot(root, useDefault))
        return Failure::Data(
            u"ERROR. No se puede crear la carpeta de la unidad C: (%1)"_s.arg(root), root);
    // Checked before the work folder is emptied or anything is written on
    // drive C:, under the names the program would use.
    const QString previous = PathResolver::DriveRoot(u'C');
    PathResolver::SetDriveRoot(u'C', root);
    const QString unsafe = UnsafeDriveCText();
    if (!unsafe.isEmpty()) {
        PathResolver::SetDriveRoot(u'C', previous);
        return Failure::Data(unsafe, root);
    }
    return {};
}

QString UnsafeFolderText(const QString &hostFolder)
{
    switch (hostfiles::SafetyOf(QFile::encodeName(hostFolder))) {
    case hostfiles::FolderSafety::Missing:
    case hostfiles::FolderSafety::Safe:
        return {};
    case hostfiles::FolderSafety::NotFolder:
        return u"ERROR. %1 no es una carpeta: no se usa."_s.arg(hostFolder);
    case hostfiles::FolderSafety::Link:
        return u"ERROR. La carpeta %1 es un enlace simbólico: no se usa."_s.arg(hostFolder);
    case hostfiles::FolderSafety::OtherOwner:
        return u"ERROR. La carpeta %1 es de otro usuario: no se usa."_s.arg(hostFolder);
    case hostfiles::FolderSafety::WritableByOthers:
        return u"ERROR. Otros usuarios pueden escribir en la carpeta %1: no se usa."_s.arg(
            hostFolder);
    }
    return {};
}

QString UnsafeDriveCText()
{
    const QString root = PathResolver::DriveRoot(u'C');
    if (root.isEmpty())
        return {};
    QString text = UnsafeFolderText(root);
    for (const QString &folder : {WorkFolder(), TemporaryFolder()}) {
        if (text.isEmpty())
            text = UnsafeFolderText(PathResolver::Resolve(folder.chopped(1)));
    }
    return text;
}

QStringList RemovableMediaRoots()
{
    const QString configured = qEnvironmentVariable("VK7_MEDIA_ROOT");
    if (!configured.isEmpty())
        return configured.split(u':', Qt::SkipEmptyParts);
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QDir::home().dirName();
    return {u"/media/"_s + user, u"/run/media/"_s + user};
}

QString RemovableMediumFolder(const QStringList &mediaRoots)
{
    const QStringList roots = mediaRoots.isEmpty() ? RemovableMediaRoots() : mediaRoots;
    QString firstFolder;
    for (const QString &root : roots) {
        const QStringList mounted =
            QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : mounted) {
            const QString folder = QDir::cleanPath(root + u'/' + name);
            if (QStorageInfo(folder).rootPath() == folder)
                return folder;
            if (firstFolder.isEmpty())
                firstFolder = folder;
        }
    }
    return firstFolder;
}

QString ProgramDataFolder(const QString &executableFolder)
{
    if (QFileInfo(executableFolder + u"/FORM"_s).isDir())
        return executableFolder;
    const QString installed = QDir::cleanPath(executableFolder + u"/../share/vk7"_s);
    if (QFileInfo(installed + u"/FORM"_s).isDir())
        return installed;
    return executableFolder;
}

} // namespace vk7
