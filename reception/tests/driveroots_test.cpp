#include <sys/stat.h>
#include <unistd.h>

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
    ASSERT_FALSE(SetUpDriveC(made).Failed());
    EXPECT_EQ(PathResolver::DriveRoot(u'C'), made);
    // Owner, group and others (the "user" flags repeat the owner's for us).
    EXPECT_EQ(QFileInfo(made).permissions() & 0x7077,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString shared = temp.filePath(u"compartida"_s);
    ASSERT_TRUE(QDir().mkpath(shared));
    const QFile::Permissions before = QFileInfo(shared).permissions();
    ASSERT_FALSE(SetUpDriveC(shared).Failed());
    EXPECT_EQ(QFileInfo(shared).permissions(), before);

    QFile file(temp.filePath(u"fichero"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    error = SetUpDriveC(file.fileName() + u"/C"_s).text;
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(error,
              u"ERROR. No se puede crear la carpeta de la unidad C: (%1/C)"_s.arg(file.fileName()));
    EXPECT_EQ(PathResolver::DriveRoot(u'C'), shared);
    PathResolver::ClearDriveRoots();
}

// A folder the program empties and reads is refused when someone else could
// choose or change its contents: a link (never followed), a folder of another
// user's, one others may write in; drive C: is then left as it was.
TEST(SetUpDriveCTest, RefusesLinksForeignAndSharedFolders)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString root = base.path() + u"/C"_s;
    EXPECT_EQ(UnsafeFolderText(root), QString()); // missing: the program makes it
    QString error;
    ASSERT_FALSE(SetUpDriveC(root).Failed());

    const QString link = base.path() + u"/enlace"_s;
    ASSERT_TRUE(QFile::link(root, link));
    error = SetUpDriveC(link).text;
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(error, u"ERROR. La carpeta %1 es un enlace simbólico: no se usa."_s.arg(link));
    EXPECT_EQ(PathResolver::DriveRoot(u'C'), root);

    for (const mode_t mode : {0770, 0707, 01777}) {
        ASSERT_EQ(::chmod(QFile::encodeName(root).constData(), mode), 0);
        EXPECT_TRUE(UnsafeFolderText(root).startsWith(u"ERROR. Otros usuarios pueden escribir"_s))
            << mode;
    }
    ASSERT_EQ(::chmod(QFile::encodeName(root).constData(), 0700), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(root).constData(), 65534, 65534), 0);
        EXPECT_TRUE(UnsafeFolderText(root).endsWith(u" es de otro usuario: no se usa."_s));
        ASSERT_EQ(::chown(QFile::encodeName(root).constData(), 0, 0), 0);
    } else {
        EXPECT_TRUE(UnsafeFolderText(u"/usr"_s).endsWith(u" es de otro usuario: no se usa."_s));
    }

    // The work and temporary folders are checked under the names the
    // program would use, whatever their letter case.
    ASSERT_TRUE(QFile::link(base.path(), root + u"/tmp_vk7"_s));
    error = SetUpDriveC(root).text;
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.endsWith(u"/tmp_vk7 es un enlace simbólico: no se usa."_s))
        << error.toStdString();
    ASSERT_TRUE(QFile::remove(root + u"/tmp_vk7"_s));
    ASSERT_TRUE(QDir().mkdir(root + u"/TMP"_s));
    ASSERT_EQ(::chmod(QFile::encodeName(root + u"/TMP"_s).constData(), 0777), 0);
    error = SetUpDriveC(root).text;
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.startsWith(u"ERROR. Otros usuarios pueden escribir"_s));
    PathResolver::ClearDriveRoots();
}
