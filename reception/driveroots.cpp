#include "driveroots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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
    const bool existed = QFileInfo(hostFolder).isDir();
    if (!existed && !QDir().mkpath(hostFolder))
        return false;
    if (!existed || makePrivate)
        hostfiles::MakePrivate(QFile::encodeName(hostFolder));
    return QFileInfo(hostFolder).isDir();
}

} // namespace

QString DriveCRootHelp()
{
    return u"Carpeta que hace de unidad C: (por omisión, una carpeta privada del usuario: %1)."_s
        .arg(DefaultDriveCRoot());
}

bool SetUpDriveC(const QString &rootOption, QString *error)
{
    const bool useDefault = rootOption.isEmpty();
    const QString root =
        useDefault ? DefaultDriveCRoot() : QFileInfo(rootOption).absoluteFilePath();
    if (!PrepareDriveRoot(root, useDefault)) {
        *error = u"ERROR. No se puede crear la carpeta de la unidad C: (%1)"_s.arg(root);
        return false;
    }
    PathResolver::SetDriveRoot(u'C', root);
    return true;
}

QString RemovableMediumFolder(const QStringList &mediaRoots)
{
    QStringList roots = mediaRoots;
    if (roots.isEmpty()) {
        QString user = qEnvironmentVariable("USER");
        if (user.isEmpty())
            user = QDir::home().dirName();
        roots = {u"/media/"_s + user, u"/run/media/"_s + user};
    }
    for (const QString &root : roots) {
        const QStringList mounted =
            QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        if (!mounted.isEmpty())
            return root + u'/' + mounted.constFirst();
    }
    return {};
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
