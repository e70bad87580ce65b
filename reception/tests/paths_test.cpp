#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/paths.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

void Touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

class PathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        PathResolver::SetDriveRoot(u'C', root.path());
    }
    void TearDown() override { PathResolver::ClearDriveRoots(); }
    QTemporaryDir root;
};

} // namespace

TEST_F(PathsTest, DrivePathsResolveUnderTheirRootRegardlessOfCase)
{
    QDir(root.path()).mkpath(u"Tmp_Vk7"_s);
    Touch(root.path() + u"/Tmp_Vk7/datos.asc"_s);
    EXPECT_EQ(PathResolver::Resolve(u"C:\\TMP_VK7\\DATOS.ASC"_s),
              root.path() + u"/Tmp_Vk7/datos.asc"_s);
    // Names that do not exist are kept as written, below the existing part.
    EXPECT_EQ(PathResolver::Resolve(u"c:\\TMP_VK7\\NUEVO.TXT"_s),
              root.path() + u"/Tmp_Vk7/NUEVO.TXT"_s);
    EXPECT_EQ(PathResolver::Resolve(u"C:\\TMP_VK7\\"_s), root.path() + u"/Tmp_Vk7/"_s);
}

TEST_F(PathsTest, DrivePathsNeverLeaveTheirRoot)
{
    EXPECT_EQ(PathResolver::Resolve(u"C:\\..\\..\\etc\\passwd"_s), root.path() + u"/etc/passwd"_s);
    EXPECT_EQ(PathResolver::Resolve(u"C:\\A\\..\\B"_s), root.path() + u"/B"_s);
    EXPECT_TRUE(PathResolver::Resolve(u"A:\\FICHERO.TXT"_s).isEmpty()); // no root for A:
}

TEST_F(PathsTest, HostPathsAreLookedUpCaselessToo)
{
    QDir(root.path()).mkpath(u"deposito"_s);
    Touch(root.path() + u"/deposito/fichero.txt"_s);
    EXPECT_EQ(PathResolver::Resolve(root.path() + u"/DEPOSITO/FICHERO.TXT"_s),
              root.path() + u"/deposito/fichero.txt"_s);
    EXPECT_EQ(PathResolver::Resolve(root.path() + u"\\deposito\\fichero.txt"_s),
              root.path() + u"/deposito/fichero.txt"_s);
}

TEST(WildcardTest, FollowsTheWindowsRules)
{
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"MEMO.M01"_s, u"*.M??"_s));
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"memo.m01"_s, u"*.M??"_s));
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"D.M7"_s, u"*.M??"_s)); // ? matches none at the end
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"D.M"_s, u"*.M??"_s));
    EXPECT_FALSE(PathResolver::MatchesWildcard(u"D.M123"_s, u"*.M??"_s));
    EXPECT_FALSE(PathResolver::MatchesWildcard(u"D.G01"_s, u"*.M??"_s));
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"AUDITOR.001"_s, u"AUDITOR.*"_s));
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"AUDITOR"_s, u"AUDITOR.*"_s));
    EXPECT_FALSE(PathResolver::MatchesWildcard(u"AUDITORX.001"_s, u"AUDITOR.*"_s));
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"NOEXT"_s, u"*.*"_s));
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"K7.D01"_s, u"K7.*"_s));
    EXPECT_TRUE(PathResolver::MatchesWildcard(u"K7.M05"_s, u"K7.M*"_s));
    // Many stars take time in proportion to the two lengths, not to every way
    // of splitting the name among them.
    EXPECT_FALSE(PathResolver::MatchesWildcard(QString(40, u'A'), QString(25, u'*') + u"Z"_s));
    EXPECT_TRUE(
        PathResolver::MatchesWildcard(QString(40, u'A') + u"Z"_s, QString(25, u'*') + u"Z"_s));
}

TEST_F(PathsTest, FindMatchingListsMatchesWithTheirKind)
{
    QDir(root.path()).mkpath(u"w/SUB.M01"_s);
    Touch(root.path() + u"/w/a.m01"_s);
    Touch(root.path() + u"/w/B.G01"_s);
    const auto entries = PathResolver::FindMatching(u"C:\\W\\*.M??"_s);
    ASSERT_EQ(entries.size(), 2);
    int files = 0, folders = 0;
    for (const auto &e : entries) {
        files += e.kind == PathResolver::EntryKind::File;
        folders += e.kind == PathResolver::EntryKind::Folder;
    }
    EXPECT_EQ(files, 1);
    EXPECT_EQ(folders, 1);
    EXPECT_TRUE(PathResolver::FindMatching(u"C:\\NOWHERE\\*.*"_s).isEmpty());
}
