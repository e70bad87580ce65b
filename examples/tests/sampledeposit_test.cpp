#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "examples/sampledeposit.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "testing/hostfiles.h"

using namespace vk7;
using namespace Qt::StringLiterals;
using vk7::testing::ReadHostFile;

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kCommitted = QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit");

QList<QByteArray> Lines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

TEST(SampleDepositTest, CommittedDepositIsWhatTheGeneratorWrites)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QString error;
    ASSERT_TRUE(samples::WriteSampleDeposit(temp.path() + u"/dep"_s, &error))
        << error.toStdString();
    QStringList generated = QDir(temp.path() + u"/dep"_s).entryList(QDir::Files);
    QStringList committed = QDir(kCommitted).entryList(QDir::Files);
    generated.sort();
    committed.sort();
    ASSERT_EQ(generated, committed);
    for (const QString &name : generated)
        EXPECT_EQ(ReadHostFile(temp.path() + u"/dep/"_s + name),
                  ReadHostFile(kCommitted + u'/' + name))
            << name.toStdString()
            << " differs: run vk7_make_sample_deposit examples/sample-deposit";
}

TEST(SampleDepositTest, CommittedFingerprintAndManifestVerdicts)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    ASSERT_TRUE(samples::WriteSampleDeposit(temp.path(), nullptr));
    const QByteArray fingerprint = ReadHostFile(kCommitted + u".fingerprint"_s).trimmed();
    ASSERT_EQ(fingerprint.size(), 26);

    CFileTools tools;
    QString computed;
    computed = tools.ComputeDepositFingerprint(temp.path()).Text();
    EXPECT_EQ(computed, QString::fromLatin1(fingerprint));
    const vk7::ManifestCheck manifest = tools.CheckDepositFiles(temp.path());
    EXPECT_EQ(manifest.structure, vk7::ManifestVerdict::Correct);
    EXPECT_EQ(manifest.completeness, vk7::ManifestVerdict::Correct);
}

TEST(SampleDepositTest, RecordsHaveTheirFixedShapes)
{
    const QList<samples::SampleFile> files = samples::SampleDepositFiles();
    const QByteArray datos = files.at(1).bytes;
    const QList<QByteArray> lines = Lines(datos);
    ASSERT_GT(lines.size(), 5);
    EXPECT_EQ(lines.at(0).size(), 277); // 276 and the CR
    EXPECT_TRUE(lines.at(0).startsWith("1B095123442005"_ba));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines.at(i).size(), 53) << i;
        EXPECT_EQ(lines.at(i).at(0), '2');
    }
    // Date and amount fields in hundredths, with their signs.
    EXPECT_EQ(samples::AccountsDateRecord(u"B09512344"_s, 2005, 810190, 20051231),
              "2B095123442005810190+000002005123100+000000000000000"_ba);
    EXPECT_EQ(samples::AccountsDataRecord(u"B09512344"_s, 2005, 300000, -50000, 0),
              "2B095123442005300000-000000000050000+000000000000000"_ba);
    EXPECT_EQ(samples::KeyedRecord(781010, u"E"_s), "020781010E"_ba);

    samples::AccountsHeader header;
    header.nif = u"A1"_s;
    header.name = u"NOMBRE DEMASIADO LARGO PARA LOS CINCUENTA CARACTERES DEL CAMPO"_s;
    header.phonePrefix = 91;
    header.phoneNumber = 1234567;
    const QByteArray record = samples::AccountsHeaderRecord(header);
    EXPECT_EQ(record.size(), 276);
    EXPECT_EQ(record.mid(1, 9), "A1       "_ba);
    EXPECT_EQ(record.mid(40, 50), header.name.left(50).toLatin1());
    EXPECT_EQ(record.mid(165, 10), "0911234567"_ba);

    // Every file of the deposit is listed in its manifest.
    const QList<QByteArray> manifest = Lines(files.at(0).bytes);
    ASSERT_EQ(manifest.size(), files.size());
    for (qsizetype i = 0; i < files.size(); ++i)
        EXPECT_EQ(manifest.at(i), files.at(i).name.toLatin1() + '\r');
}

TEST(SampleDepositTest, ScannedPagesAreDeterministicAndDistinct)
{
    const QImage first = samples::ScannedPage(1);
    EXPECT_EQ(first.size(), QSize(1654, 2339));
    EXPECT_EQ(first, samples::ScannedPage(1));
    EXPECT_NE(first, samples::ScannedPage(2));
}

// The generator rewrites a folder only when it is new or already holds a
// sample deposit; any other folder is refused and left as it was.
TEST(SampleDepositTest, GeneratorRefusesAFolderThatHoldsSomethingElse)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString program = QStringLiteral(VK7_BIN_DIR "/vk7_make_sample_deposit");
    auto run = [&](const QString &folder) {
        QProcess process;
        process.start(program, {folder});
        EXPECT_TRUE(process.waitForFinished(60000));
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };

    const QString home = temp.path() + u"/home"_s;
    ASSERT_TRUE(QDir().mkpath(home + u"/docs"_s));
    QFile keep(home + u"/docs/carta.txt"_s);
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("no borrar");
    keep.close();
    EXPECT_NE(run(home), 0);
    EXPECT_EQ(ReadHostFile(home + u"/docs/carta.txt"_s), "no borrar"_ba);
    EXPECT_FALSE(QFile::exists(home + u".fingerprint"_s));

    // A new folder, then the same folder again: both written in full.
    const QString sample = temp.path() + u"/dep"_s;
    ASSERT_EQ(run(sample), 0);
    ASSERT_EQ(run(sample), 0);
    EXPECT_EQ(QDir(sample).entryList(QDir::Files, QDir::Name),
              QDir(kCommitted).entryList(QDir::Files, QDir::Name));
    EXPECT_EQ(ReadHostFile(sample + u".fingerprint"_s),
              ReadHostFile(kCommitted + u".fingerprint"_s));
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({u"dep"_s, u"dep.fingerprint"_s, u"home"_s}));
}
