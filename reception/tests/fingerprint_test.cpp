#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "reception/filetools.h"
#include "reception/fingerprint.h"
#include "reception/tests/receptiontesting.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

class FingerprintTest : public DriveTest
{
protected:
    // The fingerprint's text; its notices shown as the window would.
    QString Compute() { return Shown(tools.ComputeDepositFingerprint(u"C:\\DEP"_s)); }
    QString Shown(const FingerprintResult &result)
    {
        for (const Notice &notice : result.notices)
            ShowNotice(ui, notice);
        return result.Text();
    }
    // The fingerprint of some bytes, through an independent MD5.
    static QString Expected(const QByteArray &bytes)
    {
        const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
        QString result;
        CFileTools::EncodeFingerprint(result,
                                      reinterpret_cast<const unsigned char *>(digest.constData()));
        return result;
    }

    ScriptedUserInterface ui;
    CFileTools tools{&ui};
};

} // namespace

TEST(FingerprintEncodingTest, WorkedExamples)
{
    const unsigned char abc[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                   0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
    const unsigned char empty[16] = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                     0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
    QString result;
    CFileTools::EncodeFingerprint(result, abc);
    EXPECT_EQ(result, u"4G0589GF6J9YRDD5HZFMME2ZUJ"_s);
    CFileTools::EncodeFingerprint(result, empty);
    EXPECT_EQ(result, u"6M3P6DK3R0P82EK009K3PFGGKY"_s);

    const unsigned char ones[16] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                                    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    CFileTools::EncodeFingerprint(result, ones);
    EXPECT_EQ(result, u"7ZZZZZZZZZZZZZZZZZZZZZZZZZ"_s);
    EXPECT_EQ(FingerprintAlphabet().size(), 32);
}

TEST_F(FingerprintTest, AbcManifestAloneGivesTheWorkedExample)
{
    WriteHostFile(OnC(u"DEP/fichero.txt"_s), "abc");
    EXPECT_EQ(Compute(), u"4G0589GF6J9YRDD5HZFMME2ZUJ"_s);
    EXPECT_FALSE(QFile::exists(OnC(u"DEP/MD5.TXT"_s)));
    // Twice gives the same and leaves nothing behind.
    EXPECT_EQ(Compute(), u"4G0589GF6J9YRDD5HZFMME2ZUJ"_s);
    EXPECT_EQ(QDir(OnC(u"DEP"_s)).entryList(QDir::Files), QStringList{u"fichero.txt"_s});
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(FingerprintTest, EmptyFilesAndNoFiles)
{
    WriteHostFile(OnC(u"DEP/FICHERO.TXT"_s), "");
    WriteHostFile(OnC(u"DEP/DATOS.ASC"_s), "");
    EXPECT_EQ(Compute(), u"6M3P6DK3R0P82EK009K3PFGGKY"_s);

    QFile::remove(OnC(u"DEP/FICHERO.TXT"_s));
    QFile::remove(OnC(u"DEP/DATOS.ASC"_s));
    WriteHostFile(OnC(u"DEP/OTRO.TXT"_s), "not listed");
    QDir().mkpath(OnC(u"DEP/MEMORIA.TXT"_s)); // a folder is not a file
    EXPECT_EQ(Compute(), QString());
    EXPECT_FALSE(QFile::exists(OnC(u"DEP/MD5.TXT"_s)));
}

TEST_F(FingerprintTest, FilesEnterInTheFixedOrder)
{
    const QList<std::pair<QString, QByteArray>> inOrder = {
        {u"fichero.txt"_s, "1"}, {u"DATOS.ASC"_s, "2"},     {u"ACCIONES.ASC"_s, "3"},
        {u"CERTIF.ASC"_s, "4"},  {u"INSTANCIA.ASC"_s, "5"}, {u"MEMORIA.TXT"_s, "6"},
        {u"GESTION.TXT"_s, "7"}, {u"ACCIONES.TXT"_s, "8"},  {u"AMBIENTA.TXT"_s, "9"},
        {u"SIMCAV.TXT"_s, "a"},  {u"CERTAPRO.TXT"_s, "b"},  {u"x.g01"_s, "c"},
        {u"X.M01"_s, "d"},       {u"X.M1A"_s, "e"},         {u"Y.M01"_s, "f"},
        {u"AUDITOR.01"_s, "g"},  {u"ANUNCIO.002"_s, "h"},   {u"CAUSA.TXT"_s, "i"},
    };
    QByteArray all;
    for (const auto &[name, bytes] : inOrder) {
        WriteHostFile(OnC(u"DEP/"_s + name), bytes);
        all += bytes;
    }
    // Left out: the 8.3 name beside the long one, number 0, other names.
    WriteHostFile(OnC(u"DEP/INSTANCI.ASC"_s), "X");
    WriteHostFile(OnC(u"DEP/X.M00"_s), "X");
    WriteHostFile(OnC(u"DEP/NOTAS.DOC"_s), "X");
    EXPECT_EQ(Compute(), Expected(all));

    // Page images the program wrote beside a copied deposit (a memoria's
    // K7.M01, a management report's K7.G02) are not the deposit's: given
    // the deposit's own names, only those are read.
    QSet<QString> deposit;
    for (const auto &[name, bytes] : inOrder)
        deposit.insert(name.toUpper());
    WriteHostFile(OnC(u"DEP/K7.M01"_s), "printed page");
    WriteHostFile(OnC(u"DEP/K7.G02"_s), "printed page");
    QString onlyDeposit;
    onlyDeposit = CFileTools(&ui).ComputeDepositFingerprint(u"C:\\DEP"_s, &deposit).Text();
    EXPECT_EQ(onlyDeposit, Expected(all));
    EXPECT_NE(Compute(), Expected(all));
    QFile::remove(OnC(u"DEP/K7.M01"_s));
    QFile::remove(OnC(u"DEP/K7.G02"_s));

    // Without INSTANCIA.ASC the 8.3 name takes its place.
    QFile::remove(OnC(u"DEP/INSTANCIA.ASC"_s));
    all.replace("45", "4X");
    EXPECT_EQ(Compute(), Expected(all));
    // Unless the deposit held none of the two: then neither is read.
    deposit.remove(u"INSTANCIA.ASC"_s);
    onlyDeposit = CFileTools(&ui).ComputeDepositFingerprint(u"C:\\DEP"_s, &deposit).Text();
    EXPECT_EQ(onlyDeposit, Expected(QByteArray(all).replace("4X", "4")));
}

TEST_F(FingerprintTest, LargeFilesStreamAcrossChunks)
{
    // More chunks than the digest's blocks hold at once (3 x 16), so they go round.
    QByteArray big(57 * kFingerprintChunk + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919) % 251);
    WriteHostFile(OnC(u"DEP/FICHERO.TXT"_s), big);
    WriteHostFile(OnC(u"DEP/DATOS.ASC"_s), big.left(kFingerprintChunk));
    EXPECT_EQ(Compute(), Expected(big + big.left(kFingerprintChunk)));
}

TEST_F(FingerprintTest, ReadOnlyLeftoverWorkFileIsOverwritten)
{
    WriteHostFile(OnC(u"DEP/FICHERO.TXT"_s), "abc");
    WriteHostFile(OnC(u"DEP/md5.txt"_s), "leftover of an interrupted run");
    ASSERT_EQ(::chmod(QFile::encodeName(OnC(u"DEP/md5.txt"_s)).constData(), 0444), 0);
    EXPECT_EQ(Compute(), u"4G0589GF6J9YRDD5HZFMME2ZUJ"_s);
    EXPECT_FALSE(QFile::exists(OnC(u"DEP/md5.txt"_s)));
}

TEST_F(FingerprintTest, WorkFileThatCannotBeCreated)
{
    WriteHostFile(OnC(u"DEP/FICHERO.TXT"_s), "abc");
    QDir().mkpath(OnC(u"DEP/MD5.TXT"_s));
    EXPECT_EQ(Compute(), u"ERROR AL CALCULAR LA HUELLA DIGITAL"_s);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown.at(0).text, u"ERROR : No se puede abrir el fichero de salida"_s);
    EXPECT_EQ(ui.shown.at(0).title, u"VK7"_s);
    EXPECT_EQ(ui.shown.at(0).buttons, IUserInterface::Buttons::Ok);
}

TEST_F(FingerprintTest, ReadErrorIsAFailureNotAShorterDeposit)
{
    // Reading /proc/self/mem from its start fails with an I/O error.
    WriteHostFile(OnC(u"DEP/FICHERO.TXT"_s), "abc");
    ASSERT_EQ(::symlink("/proc/self/mem", QFile::encodeName(OnC(u"DEP/DATOS.ASC"_s)).constData()),
              0);
    EXPECT_EQ(Compute(), u"ERROR AL CALCULAR LA HUELLA DIGITAL"_s);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown.at(0).text, u"ERROR : No se puede leer el archivo C:\\DEP\\DATOS.ASC"_s);
    EXPECT_FALSE(QFile::exists(OnC(u"DEP/MD5.TXT"_s)));

    ui.shown.clear();
    const QString digest = Shown(tools.DigestFile(u"C:\\DEP\\DATOS.ASC"_s));
    EXPECT_EQ(digest, u"ERROR AL CALCULAR LA HUELLA DIGITAL"_s);
    EXPECT_TRUE(ui.shown.isEmpty());
}

TEST_F(FingerprintTest, DigestOfAMissingFile)
{
    const QString digest = Shown(tools.DigestFile(u"C:\\NADA.TXT"_s));
    EXPECT_EQ(digest, u"ERROR AL CALCULAR LA HUELLA DIGITAL"_s);
    ASSERT_EQ(ui.shown.size(), 1);
    EXPECT_EQ(ui.shown.at(0).text,
              u"ERROR : No se puede abrir el fichero para calcular la huella digital"_s);
}

TEST_F(FingerprintTest, APipeInTheDepositIsLeftOutWithoutBlocking)
{
    WriteHostFile(OnC(u"DEP/FICHERO.TXT"_s), "abc");
    ASSERT_EQ(::mkfifo(QFile::encodeName(OnC(u"DEP/DATOS.ASC"_s)).constData(), 0600), 0);
    EXPECT_EQ(Compute(), u"4G0589GF6J9YRDD5HZFMME2ZUJ"_s);
}
