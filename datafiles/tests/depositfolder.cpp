#include "depositfolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "reception/paths.h"

namespace vk7::testing {

using namespace Qt::StringLiterals;

DepositFolder::DepositFolder()
{
    PathResolver::SetDriveRoot(u'C', root_.path());
    QDir(root_.path()).mkpath(u"TMP_VK7"_s);
}

DepositFolder::~DepositFolder()
{
    PathResolver::ClearDriveRoots();
}

QString DepositFolder::HostPath(const QString &name) const
{
    return root_.path() + u"/TMP_VK7/"_s + name;
}

void DepositFolder::Write(const QString &name, const QByteArray &bytes) const
{
    QFile file(HostPath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray HeaderLine(const QByteArray &nif, const QByteArray &year)
{
    QByteArray line(276, ' ');
    line[0] = '1';
    line.replace(1, nif.size(), nif);
    line.replace(10, year.size(), year);
    return line + '\n';
}

QByteArray DataLine(const QByteArray &key, char sign1, const QByteArray &amount1, char sign2,
                    const QByteArray &amount2)
{
    QByteArray line = "2B123456782005" + key + sign1 + amount1 + sign2 + amount2;
    EXPECT_EQ(line.size(), 52) << line.constData();
    return line + '\n';
}

QString Value(const DepositState &state, int key)
{
    const CCampBD *record = state.fields.FindByKey(key);
    return record ? record->value : u"<none>"_s;
}

} // namespace vk7::testing
