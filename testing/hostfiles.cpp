#include "hostfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/paths.h"

using namespace Qt::StringLiterals;

namespace vk7::testing {

void WriteHostFile(const QString &hostPath, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(hostPath).path());
    QFile file(hostPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << hostPath.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadHostFile(const QString &hostPath)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool HostExists(const QString &hostPath)
{
    return QFileInfo(hostPath).exists() || QFileInfo(hostPath).isSymLink();
}

QString SampleDepositFolder()
{
    return QStringLiteral(VK7_SOURCE_DIR) + u"/examples/sample-deposit"_s;
}

QString SampleFingerprint()
{
    return QString::fromLatin1(ReadHostFile(SampleDepositFolder() + u".fingerprint"_s).trimmed());
}

struct TemporaryDriveC::Folder
{
    QTemporaryDir dir;
};

TemporaryDriveC::TemporaryDriveC() : folder_(new Folder)
{
    PathResolver::ClearDriveRoots();
    if (folder_->dir.isValid())
        PathResolver::SetDriveRoot(u'C', folder_->dir.path());
}

TemporaryDriveC::~TemporaryDriveC()
{
    PathResolver::ClearDriveRoots();
    delete folder_;
}

bool TemporaryDriveC::IsValid() const
{
    return folder_->dir.isValid();
}

QString TemporaryDriveC::Path() const
{
    return folder_->dir.path();
}

} // namespace vk7::testing
