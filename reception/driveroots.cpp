#include "driveroots.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace vk7 {

QString DefaultDriveCRoot()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + u"/.local/share"_s;
    return data + u"/vk7/C"_s;
}

bool PrepareDriveRoot(const QString &hostFolder, bool makePrivate)
{
    if (hostFolder.isEmpty())
        return false;
    const bool existed = QFileInfo(hostFolder).isDir();
    if (!existed && !QDir().mkpath(hostFolder))
        return false;
    if (!existed || makePrivate)
        ::chmod(QFile::encodeName(hostFolder).constData(), 0700);
    return QFileInfo(hostFolder).isDir();
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
