#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "reception/filetools.h"
#include "reception/manifest.h"
#include "reception/tests/receptiontesting.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

long PeakKilobytes()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class ManifestTest : public DriveTest
{
protected:
    // Writes the deposit folder C:\DEP with a manifest and the given files.
    void Deposit(const QByteArray &manifest, const QStringList &files)
    {
        WriteHostFile(OnC(u"DEP/FICHERO.TXT"_s), manifest);
        for (const QString &name : files)
            WriteHostFile(OnC(u"DEP/"_s + name), "x");
    }
    void Check() { Take(tools.CheckDepositFiles(u"C:\\DEP"_s)); }
    // The verdicts as the sheet's inputs and the JSON write them.
    void Take(const ManifestCheck &check)
    {
        structure = ManifestVerdictCode(check.structure);
        completeness = ManifestVerdictCode(check.completeness);
    }

    CFileTools tools;
    QString structure = u"?"_s;
    QString completeness = u"?"_s;
};

const QStringList kMandatory = {u"DATOS.ASC"_s, u"INSTANCIA.ASC"_s};

} // namespace

TEST(NumberedNameTest, FamiliesAndNumbers)
{
    for (const auto name : {u"MEMO.M01", u"X.G99", u"AUDITOR.T05", u"ANUNCIO1.A10", u"X.M1A",
                            u"AUDITOR.001", u"X.M 5", u"X.M01ABC"})
        EXPECT_TRUE(IsNumberedImageName(QString::fromUtf16(name)))
            << QString::fromUtf16(name).toStdString();
    for (const auto name : {u"MEMO.M00", u"MEMO.M", u"MEMO.X01", u"AUDITOR", u"X.M-1", u"X.MAB",
                            u"ANUNCIO.01", u"X.MEMORIA01", u"MEMO.M01.TXT", u"", u"DATOS.ASC "})
        EXPECT_FALSE(IsNumberedImageName(QString::fromUtf16(name)))
            << QString::fromUtf16(name).toStdString();
}

TEST(NumberedNameTest, KnownFilesTable)
{
    const auto &known = KnownDepositFiles();
    ASSERT_EQ(known.size(), 12);
    EXPECT_EQ(known.at(0).name, u"FICHERO.TXT"_s);
    EXPECT_EQ(known.at(4).name, u"INSTANCIA.ASC"_s);
    EXPECT_EQ(known.at(5).name, u"INSTANCI.ASC"_s);
    EXPECT_EQ(known.at(11).name, u"CERTAPRO.TXT"_s);
    // The texts are named as their documents are everywhere else.
    EXPECT_EQ(known.at(8).name, u"ACCIONES.TXT"_s);
    EXPECT_EQ(known.at(8).role, u"Modelo de Autocartera"_s);
    EXPECT_EQ(known.at(11).role, u"Cert. Aprobación de Cuentas"_s);
}

TEST_F(ManifestTest, LowerCaseCrLfManifestIsCorrectAndComplete)
{
    Deposit("fichero.txt\r\ndatos.asc\r\ninstanci.asc\r\n", {u"datos.asc"_s, u"Instanci.Asc"_s});
    QStringList names{u"stale"_s};
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"1"_s);
    EXPECT_EQ(names, (QStringList{u"FICHERO.TXT"_s, u"DATOS.ASC"_s, u"INSTANCI.ASC"_s}));
    Check();
    EXPECT_EQ(structure, u"1"_s);
    EXPECT_EQ(completeness, u"1"_s);
}

TEST_F(ManifestTest, MissingManifestGivesZeroZero)
{
    QDir().mkpath(OnC(u"DEP"_s));
    Check();
    EXPECT_EQ(structure, u"0"_s);
    EXPECT_EQ(completeness, u"0"_s);
    QStringList names{u"stale"_s};
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"0"_s);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(ManifestTest, StructureVerdicts)
{
    QStringList names;
    // Trailing blank: not the mandatory name.
    Deposit("FICHERO.TXT\nDATOS.ASC \nINSTANCIA.ASC\n", kMandatory);
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"0"_s);
    EXPECT_EQ(names.at(1), u"DATOS.ASC "_s);
    Deposit("FICHERO.TXT\nDATOS.ASC \nDATOS.ASC\nINSTANCIA.ASC\n", kMandatory);
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"2"_s);
    // Numbered images are valid, number 0 is not, nor a name outside the table.
    Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\nMEMO.M01\nMEMO.M02\nAUDITOR.001\n", kMandatory);
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"1"_s);
    Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\nMEMO.M00\n", kMandatory);
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"2"_s);
    Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\nCAUSA.TXT\n", kMandatory);
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"2"_s);
    // A missing mandatory name outweighs an invalid one.
    Deposit("FICHERO.TXT\nINSTANCIA.ASC\nBASURA\n", kMandatory);
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"0"_s);
    Deposit("", kMandatory);
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names)), u"0"_s);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(ManifestTest, EntriesAreCutLikeATextModeLineRead)
{
    QStringList names;
    // 1500 characters split at 1023; a 1022-character line plus CR LF stays whole.
    const QByteArray longLine(1500, 'a');
    const QByteArray fits(1022, 'b');
    Deposit(longLine + "\r\n" + fits + "\r\nlast", {});
    tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names);
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names.at(0), QString(1023, u'A'));
    EXPECT_EQ(names.at(1), QString(477, u'A'));
    EXPECT_EQ(names.at(2), QString(1022, u'B'));
    EXPECT_EQ(names.at(3), u"LAST"_s);

    // Only two line-end characters come off; blanks, tabs and a lone CR stay;
    // a NUL ends an entry; a Ctrl-Z ends the file.
    Deposit(QByteArray("a\r\r\n b\t\nc\rd\nDATOS.ASC\0junk\nx\x1A\nafter\n", 37), {});
    tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names);
    EXPECT_EQ(names, (QStringList{u"A"_s, u" B\t"_s, u"C\rD"_s, u"DATOS.ASC"_s, u"X"_s}));

    // Odd bytes are kept (Windows-1252) and only ASCII letters are upper-cased.
    Deposit("memoria\xe9.txt\n", {});
    tools.ReadManifest(u"C:\\DEP\\FICHERO.TXT"_s, names);
    EXPECT_EQ(names, QStringList{u"MEMORIAé.TXT"_s});
}

TEST_F(ManifestTest, CompletenessVerdicts)
{
    Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\nGESTION.TXT\n", kMandatory);
    Check();
    EXPECT_EQ(structure, u"1"_s);
    EXPECT_EQ(completeness, u"2"_s);

    // A missing mandatory file ends the check at once with "0".
    Deposit("FICHERO.TXT\nINSTANCIA.ASC\nDATOS.ASC\nGESTION.TXT\n", {u"INSTANCIA.ASC"_s});
    QFile::remove(OnC(u"DEP/DATOS.ASC"_s));
    Check();
    EXPECT_EQ(completeness, u"0"_s);

    // Both application names listed, one present: "0".
    Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\nINSTANCI.ASC\n", kMandatory);
    Check();
    EXPECT_EQ(structure, u"1"_s);
    EXPECT_EQ(completeness, u"0"_s);
}

TEST_F(ManifestTest, EmptyLineInTheMiddle)
{
    Deposit("FICHERO.TXT\n\nDATOS.ASC\nINSTANCIA.ASC\n", kMandatory);
    Check();
    EXPECT_EQ(structure, u"2"_s);
    EXPECT_EQ(completeness, u"2"_s);
}

TEST_F(ManifestTest, EntriesNeverReachOutsideTheFolder)
{
    WriteHostFile(OnC(u"SECRETO.M01"_s), "s");
    WriteHostFile(OnC(u"DEP/SUB/X.M01"_s), "s");
    for (const QByteArray &entry :
         {QByteArray("..\\SECRETO.M01"), QByteArray("../SECRETO.M01"), QByteArray("SUB\\X.M01"),
          QByteArray("SUB/X.M01"), QFile::encodeName(OnC(u"SECRETO.M01"_s))}) {
        Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\n" + entry + "\n", kMandatory);
        Check();
        EXPECT_EQ(completeness, u"2"_s) << entry.toStdString();
    }
    // A sub-folder named in the manifest is present, as a folder.
    Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\nSUB\n", kMandatory);
    Check();
    EXPECT_EQ(structure, u"2"_s);
    EXPECT_EQ(completeness, u"1"_s);
}

TEST_F(ManifestTest, ManifestThatIsNotARegularFile)
{
    // A folder or a pipe under the manifest's name exists but cannot be read;
    // the pipe must not block.
    QDir().mkpath(OnC(u"DEP/FICHERO.TXT"_s));
    Check();
    EXPECT_EQ(structure, u"0"_s);
    EXPECT_EQ(completeness, u"1"_s);

    QDir().mkpath(OnC(u"PIPE"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(OnC(u"PIPE/FICHERO.TXT"_s)).constData(), 0600), 0);
    Take(tools.CheckDepositFiles(u"C:\\PIPE\\"_s));
    EXPECT_EQ(structure, u"0"_s);
    QStringList names;
    EXPECT_EQ(ManifestVerdictCode(tools.ReadManifest(u"C:\\PIPE\\FICHERO.TXT"_s, names)), u"0"_s);
}

TEST_F(ManifestTest, HugeManifestsStreamInBoundedMemory)
{
    const QByteArray head = "FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\n";
    Deposit(head, kMandatory);
    WriteHostFile(OnC(u"DEP/MEMO.M01"_s), "m");
    QFile manifest(OnC(u"DEP/FICHERO.TXT"_s));

    // One line of 100 MB: a hundred thousand invalid, absent entries.
    ASSERT_TRUE(manifest.open(QIODevice::Append));
    const QByteArray chunk(1 << 20, 'Q');
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(manifest.write(chunk), chunk.size());
    manifest.close();
    [[maybe_unused]] const long before = PeakKilobytes();
    Check();
    EXPECT_EQ(structure, u"2"_s);
    EXPECT_EQ(completeness, u"2"_s);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's quarantine keeps freed memory
    EXPECT_LT(PeakKilobytes() - before, 32 * 1024);
#endif

    // A million lines, all naming a present image.
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly | QIODevice::Truncate));
    manifest.write(head);
    QByteArray lines;
    for (int i = 0; i < 1000; ++i)
        lines += "MEMO.M01\r\n";
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(manifest.write(lines), lines.size());
    manifest.close();
    Check();
    EXPECT_EQ(structure, u"1"_s);
    EXPECT_EQ(completeness, u"1"_s);
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(PeakKilobytes() - before, 32 * 1024);
#endif
}

TEST_F(ManifestTest, ListNumberedFilesSortsAndFilters)
{
    for (const auto name : {u"B.M02", u"A.M10", u"a.m01", u"C.M00", u"D.M7", u"E.G01"})
        WriteHostFile(OnC(u"W/"_s + QString::fromUtf16(name)), "x");
    QDir().mkpath(OnC(u"W/F.M03"_s)); // a folder is never listed
    QStringList result{u"antes"_s};
    tools.ListNumberedFiles(result, u"C:\\W\\"_s, u"*.M??"_s);
    EXPECT_EQ(result,
              (QStringList{u"antes"_s, u"C:\\W\\A.M01"_s, u"C:\\W\\A.M10"_s, u"C:\\W\\B.M02"_s}));

    WriteHostFile(OnC(u"W/AUDITOR.1A"_s), "x");
    WriteHostFile(OnC(u"W/AUDITOR.02"_s), "x");
    WriteHostFile(OnC(u"W/AUD.01"_s), "x");
    result.clear();
    tools.ListNumberedFiles(result, u"C:\\W\\"_s, u"AUDITOR.*"_s);
    EXPECT_EQ(result, (QStringList{u"C:\\W\\AUDITOR.02"_s, u"C:\\W\\AUDITOR.1A"_s}));
    tools.ListNumberedFiles(result, u"C:\\W\\"_s, u"ANUNCIO.*"_s);
    EXPECT_EQ(result.size(), 2);
}

TEST_F(ManifestTest, OddBytesInNamesMatchTheirUnicodeFileNames)
{
    // The manifest is Windows-1252; host names are UTF-8.
    Deposit("FICHERO.TXT\nDATOS.ASC\nINSTANCIA.ASC\nx\xe9.m01\n", kMandatory);
    WriteHostFile(OnC(u"DEP/Xé.M01"_s), "i");
    Check();
    EXPECT_EQ(structure, u"1"_s);
    EXPECT_EQ(completeness, u"1"_s);
}
