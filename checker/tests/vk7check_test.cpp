// The vk7check program as a batch job runs it: exit codes, standard output
// and standard error, no waiting for input.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Program = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QString Sample = QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit");

struct ProgramRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramRun RunChecker(const QStringList &arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(Program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString SampleFingerprint()
{
    QFile file(Sample + u".fingerprint"_s);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                          : QString();
}

} // namespace

TEST(Vk7CheckProgramTest, ChecksTheSampleDepositAsJson)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const ProgramRun run =
        RunChecker({u"--root"_s, root.path(), u"--json"_s, Sample, SampleFingerprint()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(json.value(u"structureStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"completenessStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"computedFingerprint"_s).toString(), SampleFingerprint());
    EXPECT_EQ(json.value(u"valid"_s).toBool(), true);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(root.path() + u"/TMP_VK7/K7.D01"_s));
}

TEST(Vk7CheckProgramTest, FailedValidationGoesToStandardErrorWithCodeTwo)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ProgramRun run = RunChecker({u"--root"_s, root.path(), Sample, u"CORTA"_s});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(QString::fromUtf8(run.err), u"ERROR. Longitud Huella Digital. (Obligado : 26)\n"_s);

    run = RunChecker({u"--root"_s, root.path(), Sample + u"/DATOS.ASC"_s, SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(QString::fromUtf8(run.err),
              u"ERROR. Fichero incorrecto. (Obligado : FICHERO.TXT)\n"_s);

    // Wrong arguments are a failure too, never a verdict.
    run = RunChecker({u"--root"_s, root.path(), u"solo-un-argumento"_s});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(run.err.isEmpty());

    // The help is Spanish throughout, Qt's own headings included, in any locale.
    QProcess help;
    QProcessEnvironment english = QProcessEnvironment::systemEnvironment();
    english.insert(u"LANG"_s, u"C"_s);
    english.insert(u"LC_ALL"_s, u"C"_s);
    help.setProcessEnvironment(english);
    help.start(Program, {u"--help"_s});
    ASSERT_TRUE(help.waitForFinished(60000));
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(text.contains(u"\nOpciones:\n"_s) && text.contains(u"\nArgumentos:\n"_s))
        << text.toStdString();
}

TEST(Vk7CheckProgramTest, DiskettePromptWithoutInputIsAnsweredCancel)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const ProgramRun run =
        RunChecker({u"--root"_s, root.path(), u"--drive-a"_s, Sample, u"--diskettes"_s, u"3"_s,
                    u"A:\\FICHERO.TXT"_s, SampleFingerprint()});
    // Nothing was copied: the manifest is missing and the deposit is not valid.
    ASSERT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(u"Introducir disquete nº : 1"_s));
    EXPECT_FALSE(QString::fromUtf8(run.err).contains(u"Introducir disquete nº : 2"_s));
    EXPECT_TRUE(run.out.contains("ERROR de ESTRUCTURA\r\nFalta alg\xc3\xban fichero obligatorio"));
}
