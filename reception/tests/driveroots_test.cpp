#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
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

// A folder the program empties and reads is refused when someone else could
// choose or change its contents: a link (never followed), a folder of another
// user's, one others may write in. A missing one is made by the program.
TEST(UnsafeFolderTextTest, RefusesLinksForeignAndSharedFolders)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString root = base.path() + u"/C"_s;
    EXPECT_EQ(UnsafeFolderText(root), QString());
    ASSERT_TRUE(PrepareDriveRoot(root, false));
    EXPECT_EQ(QFileInfo(root).permissions() & (QFile::WriteGroup | QFile::WriteOther), 0);
    EXPECT_EQ(UnsafeFolderText(root), QString());

    ASSERT_TRUE(QFile::link(root, base.path() + u"/enlace"_s));
    EXPECT_EQ(UnsafeFolderText(base.path() + u"/enlace"_s),
              u"ERROR. La carpeta %1/enlace es un enlace simbólico: no se usa."_s.arg(base.path()));
    // Making the default root private never goes through a link either.
    ASSERT_TRUE(::chmod(QFile::encodeName(root).constData(), 0755) == 0);
    PrepareDriveRoot(base.path() + u"/enlace"_s, true);
    EXPECT_EQ(QFileInfo(root).permissions() & QFile::ReadOther, QFile::ReadOther);

    for (const mode_t mode : {0770, 0707, 01777}) {
        ASSERT_TRUE(::chmod(QFile::encodeName(root).constData(), mode) == 0);
        EXPECT_TRUE(UnsafeFolderText(root).startsWith(u"ERROR. Otros usuarios pueden escribir"_s))
            << mode;
    }
    ASSERT_TRUE(PrepareDriveRoot(root, true));
    EXPECT_EQ(UnsafeFolderText(root), QString());
    if (::geteuid() == 0) {
        ASSERT_TRUE(::chown(QFile::encodeName(root).constData(), 65534, 65534) == 0);
        EXPECT_TRUE(UnsafeFolderText(root).endsWith(u" es de otro usuario: no se usa."_s));
        ASSERT_TRUE(::chown(QFile::encodeName(root).constData(), 0, 0) == 0);
    } else {
        EXPECT_TRUE(UnsafeFolderText(u"/usr"_s).endsWith(u" es de otro usuario: no se usa."_s));
    }

    // Drive C:'s work and temporary folders are checked under the names the
    // program would use, whatever their letter case.
    PathResolver::SetDriveRoot(u'C', root);
    EXPECT_EQ(UnsafeDriveCText(), QString());
    ASSERT_TRUE(QFile::link(base.path(), root + u"/tmp_vk7"_s));
    EXPECT_TRUE(UnsafeDriveCText().contains(u"/tmp_vk7 es un enlace simbólico"_s));
    ASSERT_TRUE(QFile::remove(root + u"/tmp_vk7"_s));
    ASSERT_TRUE(QDir().mkdir(root + u"/TMP"_s));
    ASSERT_TRUE(::chmod(QFile::encodeName(root + u"/TMP"_s).constData(), 0777) == 0);
    EXPECT_TRUE(UnsafeDriveCText().startsWith(u"ERROR. Otros usuarios pueden escribir"_s));
    PathResolver::ClearDriveRoots();
}
