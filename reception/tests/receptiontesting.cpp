#include "receptiontesting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "reception/paths.h"

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

void DriveTest::SetUp()
{
    ASSERT_TRUE(driveC.isValid());
    ASSERT_TRUE(driveA.isValid());
    PathResolver::SetDriveRoot(u'C', driveC.path());
    PathResolver::SetDriveRoot(u'A', driveA.path());
}

void DriveTest::TearDown()
{
    PathResolver::ClearDriveRoots();
}

QString DriveTest::OnC(const QString &relative) const
{
    return driveC.path() + u'/' + relative;
}

QString DriveTest::OnA(const QString &relative) const
{
    return driveA.path() + u'/' + relative;
}

IUserInterface::Answer ScriptedUserInterface::ShowMessage(const QString &text, const QString &title,
                                                          Buttons buttons, Icon icon)
{
    const int index = int(shown.size());
    shown.append(Shown{text, title, buttons, icon});
    if (beforeAnswer)
        beforeAnswer(index);
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

} // namespace vk7::testing
