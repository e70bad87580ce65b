#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/driveroots.h"
#include "reception/paths.h"

using namespace vk7;
using namespace Qt::StringLiterals;

// FORM/ and DATA/ beside the executable (the build tree), or under the
// prefix's share/vk7 once installed; the build tree's copy wins when both are
// there, so a build run from its own folder never reads an older install.
TEST(ProgramDataFolderTest, BesideTheExecutableOrUnderThePrefix)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.path() + u"/bin"_s;
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(ProgramDataFolder(bin), bin);

    ASSERT_TRUE(QDir().mkpath(prefix.path() + u"/share/vk7/FORM"_s));
    EXPECT_EQ(ProgramDataFolder(bin), prefix.path() + u"/share/vk7"_s);

    ASSERT_TRUE(QDir().mkpath(bin + u"/FORM"_s));
    EXPECT_EQ(ProgramDataFolder(bin), bin);
}

// A root named on the command line is made private when the program makes
// it, left as it is when it exists, and one that cannot be made leaves C: as
// it was with the clerk's message.
TEST(SetUpDriveCTest, MakesTheNamedRootPrivateOrSaysWhyNot)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString made = temp.filePath(u"nueva/C"_s);
    QString error;
    ASSERT_TRUE(SetUpDriveC(made, &error)) << error.toStdString();
    EXPECT_EQ(PathResolver::DriveRoot(u'C'), made);
    // Owner, group and others (the "user" flags repeat the owner's for us).
    EXPECT_EQ(QFileInfo(made).permissions() & 0x7077,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString shared = temp.filePath(u"compartida"_s);
    ASSERT_TRUE(QDir().mkpath(shared));
    const QFile::Permissions before = QFileInfo(shared).permissions();
    ASSERT_TRUE(SetUpDriveC(shared, &error));
    EXPECT_EQ(QFileInfo(shared).permissions(), before);

    QFile file(temp.filePath(u"fichero"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(SetUpDriveC(file.fileName() + u"/C"_s, &error));
    EXPECT_EQ(error,
              u"ERROR. No se puede crear la carpeta de la unidad C: (%1/C)"_s.arg(file.fileName()));
    EXPECT_EQ(PathResolver::DriveRoot(u'C'), shared);
    PathResolver::ClearDriveRoots();
}
