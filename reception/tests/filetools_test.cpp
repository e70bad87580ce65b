#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "reception/filetools.h"
#include "reception/paths.h"
#include "reception/tests/receptiontesting.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

bool OwnerWritable(const QString &hostPath)
{
    struct stat st;
    return ::lstat(QFile::encodeName(hostPath).constData(), &st) == 0 && (st.st_mode & S_IWUSR);
}

void MakeReadOnly(const QString &hostPath)
{
    ASSERT_EQ(::chmod(QFile::encodeName(hostPath).constData(), 0444), 0);
}

class FileToolsTest : public DriveTest
{
protected:
    CFileTools tools;
};

} // namespace

TEST_F(FileToolsTest, PathExistsDistinguishesFilesFoldersAndTheDisketteDrive)
{
    WriteHostFile(OnC(u"TMP"_s), "x");
    QDir().mkpath(OnC(u"Carpeta"_s));
    // The diskette drive is taken as present without looking, even unset.
    PathResolver::ClearDriveRoots();
    EXPECT_TRUE(tools.PathExists(u"a:\\"_s, true));
    EXPECT_TRUE(tools.PathExists(u"A:"_s, true));
    EXPECT_FALSE(tools.PathExists(u"A:\\"_s, false));
    PathResolver::SetDriveRoot(u'C', driveC.path());

    EXPECT_FALSE(tools.PathExists(u"C:\\TMP"_s, true));
    EXPECT_TRUE(tools.PathExists(u"C:\\TMP"_s, false));
    EXPECT_TRUE(tools.PathExists(u"C:\\CARPETA\\"_s, true));
    EXPECT_FALSE(tools.PathExists(u"C:\\CARPETA"_s, false));
    EXPECT_FALSE(tools.PathExists(u"C:\\NADA"_s, false));
    EXPECT_FALSE(tools.PathExists(u"C:\\NADA"_s, true));
}

TEST_F(FileToolsTest, DeleteOneFileRefusesReadOnlyFilesAndFolders)
{
    WriteHostFile(OnC(u"a.txt"_s), "a");
    WriteHostFile(OnC(u"ro.txt"_s), "r");
    MakeReadOnly(OnC(u"ro.txt"_s));
    QDir().mkpath(OnC(u"dir"_s));

    EXPECT_FALSE(tools.DeleteOneFile(u"C:\\A.TXT"_s).Failed());
    EXPECT_FALSE(HostExists(OnC(u"a.txt"_s)));
    EXPECT_TRUE(tools.DeleteOneFile(u"C:\\A.TXT"_s).Failed());
    // Refused as content: no fault of the machine.
    EXPECT_EQ(tools.DeleteOneFile(u"C:\\RO.TXT"_s).kind, Failure::Kind::Data);
    EXPECT_TRUE(HostExists(OnC(u"ro.txt"_s)));
    EXPECT_TRUE(tools.DeleteOneFile(u"C:\\DIR"_s).Failed());
    EXPECT_TRUE(QFileInfo(OnC(u"dir"_s)).isDir());
}

TEST_F(FileToolsTest, CopyExistingFileCodesAndAttributes)
{
    WriteHostFile(OnC(u"target.txt"_s), "untouched");
    EXPECT_EQ(tools.CopyExistingFile(u"C:\\MISSING.TXT"_s, u"C:\\TARGET.TXT"_s).text,
              u"No existe el fichero C:\\MISSING.TXT"_s);
    EXPECT_EQ(ReadHostFile(OnC(u"target.txt"_s)), "untouched");

    // Overwrites, into the existing name whatever its case.
    WriteHostFile(OnC(u"src/Datos.asc"_s), QByteArray(200000, 'd'));
    EXPECT_FALSE(tools.CopyExistingFile(u"C:\\SRC\\DATOS.ASC"_s, u"C:\\TARGET.TXT"_s).Failed());
    EXPECT_EQ(ReadHostFile(OnC(u"target.txt"_s)), QByteArray(200000, 'd'));
    EXPECT_TRUE(OwnerWritable(OnC(u"target.txt"_s)));

    // A read-only source gives a read-only copy, which a later copy cannot overwrite.
    WriteHostFile(OnC(u"src/ro.txt"_s), "ro");
    MakeReadOnly(OnC(u"src/ro.txt"_s));
    EXPECT_FALSE(tools.CopyExistingFile(u"C:\\SRC\\RO.TXT"_s, u"C:\\COPIA.TXT"_s).Failed());
    EXPECT_EQ(ReadHostFile(OnC(u"COPIA.TXT"_s)), "ro");
    EXPECT_FALSE(OwnerWritable(OnC(u"COPIA.TXT"_s)));
    EXPECT_TRUE(tools.CopyExistingFile(u"C:\\SRC\\DATOS.ASC"_s, u"C:\\COPIA.TXT"_s).Failed());
    EXPECT_EQ(ReadHostFile(OnC(u"COPIA.TXT"_s)), "ro");

    // A folder as source, a target in a missing folder: the copy fails.
    EXPECT_TRUE(tools.CopyExistingFile(u"C:\\SRC"_s, u"C:\\X.TXT"_s).Failed());
    EXPECT_TRUE(tools.CopyExistingFile(u"C:\\SRC\\DATOS.ASC"_s, u"C:\\NO\\X.TXT"_s).Failed());
}

TEST_F(FileToolsTest, CopyExistingFileNeverBlocksOnAPipe)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(OnC(u"PIPE"_s)).constData(), 0600), 0);
    EXPECT_TRUE(tools.CopyExistingFile(u"C:\\PIPE"_s, u"C:\\X.TXT"_s).Failed());
    EXPECT_FALSE(HostExists(OnC(u"X.TXT"_s)));
}

TEST_F(FileToolsTest, DeleteMatchingFilesKeepsZeroExtensionAndClearsReadOnly)
{
    WriteHostFile(OnC(u"w/X.000"_s), "0");
    WriteHostFile(OnC(u"w/X.001"_s), "1");
    WriteHostFile(OnC(u"w/x.002"_s), "2");
    WriteHostFile(OnC(u"w/OTRO.TXT"_s), "o");
    QDir().mkpath(OnC(u"w/X.003"_s));
    MakeReadOnly(OnC(u"w/X.001"_s));

    EXPECT_FALSE(tools.DeleteMatchingFiles(u"C:\\W\\X.*"_s, true).Failed());
    EXPECT_TRUE(HostExists(OnC(u"w/X.000"_s)));
    EXPECT_FALSE(HostExists(OnC(u"w/X.001"_s)));
    EXPECT_FALSE(HostExists(OnC(u"w/x.002"_s)));
    EXPECT_TRUE(HostExists(OnC(u"w/OTRO.TXT"_s)));
    EXPECT_TRUE(QFileInfo(OnC(u"w/X.003"_s)).isDir());

    EXPECT_FALSE(tools.DeleteMatchingFiles(u"C:\\W\\*.*"_s, false).Failed());
    EXPECT_FALSE(HostExists(OnC(u"w/X.000"_s)));
    EXPECT_FALSE(HostExists(OnC(u"w/OTRO.TXT"_s)));
    EXPECT_FALSE(tools.DeleteMatchingFiles(u"C:\\W\\*.*"_s, false).Failed()); // nothing matches
    EXPECT_FALSE(tools.DeleteMatchingFiles(u"C:\\NINGUNA\\*.*"_s, false).Failed());
}

TEST_F(FileToolsTest, DeleteMatchingFilesRemovesLinksButNotWhatTheyPointTo)
{
    WriteHostFile(OnC(u"private.txt"_s), "secret");
    MakeReadOnly(OnC(u"private.txt"_s));
    QDir().mkpath(OnC(u"w"_s));
    ASSERT_EQ(::symlink(QFile::encodeName(OnC(u"private.txt"_s)).constData(),
                        QFile::encodeName(OnC(u"w/LINK.TXT"_s)).constData()),
              0);
    EXPECT_FALSE(tools.DeleteMatchingFiles(u"C:\\W\\*.*"_s, false).Failed());
    EXPECT_FALSE(HostExists(OnC(u"w/LINK.TXT"_s)));
    EXPECT_EQ(ReadHostFile(OnC(u"private.txt"_s)), "secret");
    EXPECT_FALSE(OwnerWritable(OnC(u"private.txt"_s)));
}

TEST_F(FileToolsTest, DeleteMatchingFilesReportsAFailedDeletion)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root deletes from a read-only folder";
    WriteHostFile(OnC(u"locked/A.TXT"_s), "a");
    ASSERT_EQ(::chmod(QFile::encodeName(OnC(u"locked"_s)).constData(), 0555), 0);
    EXPECT_TRUE(tools.DeleteMatchingFiles(u"C:\\LOCKED\\*.*"_s, false).Failed());
    ::chmod(QFile::encodeName(OnC(u"locked"_s)).constData(), 0755);
}

TEST_F(FileToolsTest, SetAttributesMatchingTogglesTheOwnersWritePermission)
{
    WriteHostFile(OnC(u"w/A.M01"_s), "a");
    WriteHostFile(OnC(u"w/B.M02"_s), "b");
    WriteHostFile(OnC(u"w/C.G01"_s), "c");
    tools.SetAttributesMatching(u"C:\\W\\*.M??"_s, 1);
    EXPECT_FALSE(OwnerWritable(OnC(u"w/A.M01"_s)));
    EXPECT_FALSE(OwnerWritable(OnC(u"w/B.M02"_s)));
    EXPECT_TRUE(OwnerWritable(OnC(u"w/C.G01"_s)));
    tools.SetAttributesMatching(u"C:\\W\\A.*"_s, 0);
    EXPECT_TRUE(OwnerWritable(OnC(u"w/A.M01"_s)));
    EXPECT_FALSE(OwnerWritable(OnC(u"w/B.M02"_s)));
    tools.SetAttributesMatching(u"C:\\W\\NADA.*"_s, 1);
}

TEST_F(FileToolsTest, FolderCreation)
{
    EXPECT_FALSE(tools.CreateOneFolder(u"C:\\UNO"_s).Failed());
    EXPECT_TRUE(tools.CreateOneFolder(u"C:\\UNO"_s).Failed()); // already there
    EXPECT_TRUE(tools.CreateOneFolder(u"C:\\NO\\HAY"_s).Failed());

    tools.CreateFolderChain(u"C:\\A\\B\\C"_s);
    EXPECT_TRUE(QFileInfo(OnC(u"A/B/C"_s)).isDir());
    WriteHostFile(OnC(u"A/B/C/keep.txt"_s), "k");
    tools.CreateFolderChain(u"C:\\A\\B\\C\\"_s); // existing chain: nothing changes
    EXPECT_EQ(ReadHostFile(OnC(u"A/B/C/keep.txt"_s)), "k");

    tools.CreateFolderChain(u"C:\\TMP_VK7\\"_s);
    EXPECT_TRUE(QFileInfo(OnC(u"TMP_VK7"_s)).isDir());
    // Host paths chain the same way.
    tools.CreateFolderChain(OnC(u"host/x/y"_s));
    EXPECT_TRUE(QFileInfo(OnC(u"host/x/y"_s)).isDir());
}
