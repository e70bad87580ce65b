#include "driveroots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "hostfiles.h"

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
        hostfiles::MakePrivate(QFile::encodeName(hostFolder));
    return QFileInfo(hostFolder).isDir();
}

} // namespace vk7
