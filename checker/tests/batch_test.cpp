// Many deposits in one run, and one reception per work folder: the built
// vk7check as a script runs it.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "checker/batch.h"
#include "testing/hostfiles.h"

using namespace Qt::StringLiterals;
using vk7::testing::WriteHostFile;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QString kSample = vk7::testing::SampleDepositFolder();

using vk7::testing::SampleFingerprint;

QList<QJsonObject> ReadLines(const QString &path, bool *whole)
{
    QFile file(path);
    QList<QJsonObject> objects;
    *whole = file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    *whole = *whole && (bytes.isEmpty() || bytes.endsWith('\n'));
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        objects.append(QJsonDocument::fromJson(line, &error).object());
        *whole = *whole && error.error == QJsonParseError::NoError;
    }
    return objects;
}

// The processes whose parent is `parent`: a batch's jobs.
QList<pid_t> Children(qint64 parent)
{
    QList<pid_t> children;
    for (const QString &entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/"_s + entry + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold anything but ends
        // at the last parenthesis.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == parent)
            children.append(pid_t(entry.toInt()));
    }
    return children;
}

} // namespace

TEST(BatchListTest, LinesCommentsAndRefusedText)
{
    QList<vk7::BatchEntry> entries;
    ASSERT_FALSE(
        vk7::ParseBatchList("# lista\r\n/a\tHUELLA\r\n\n  \nsin tabulador\n\tX\tY\n", entries)
            .Failed());
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].line, 2);
    EXPECT_EQ(entries[0].medium, u"/a"_s);
    EXPECT_EQ(entries[0].fingerprint, u"HUELLA"_s);
    EXPECT_EQ(entries[1].line, 5);
    EXPECT_FALSE(entries[1].error.isEmpty());
    EXPECT_TRUE(entries[2].medium.isEmpty());
    EXPECT_EQ(entries[2].fingerprint, u"X\tY"_s);
    const vk7::Failure notUtf8 = vk7::ParseBatchList("/caj\xf3n\tHUELLA\n", entries);
    EXPECT_TRUE(notUtf8.Failed());
    EXPECT_TRUE(notUtf8.text.contains(u"UTF-8"_s));
    EXPECT_EQ(vk7::BatchExitCode(3, 0, 0), 0);
    EXPECT_EQ(vk7::BatchExitCode(3, 1, 0), 1);
    EXPECT_EQ(vk7::BatchExitCode(3, 1, 1), 2);
}

TEST(BatchProgramTest, EachLineGetsItsObjectAndTheTallyDecidesTheExitCode)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString fingerprint = SampleFingerprint();
    QString wrong = fingerprint;
    wrong[0] = wrong[0] == u'A' ? u'B' : u'A';
    // A deposit whose management report is not text: its check warns on
    // standard error.
    const QString odd = temp.path() + u"/raro"_s;
    ASSERT_TRUE(QDir().mkpath(odd));
    for (const QString &name : QDir(kSample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, odd + u'/' + name));
    ASSERT_TRUE(QFile::remove(odd + u"/GESTION.TXT"_s));
    WriteHostFile(odd + u"/GESTION.TXT"_s, QByteArray(300, 'x'));
    const QString list = temp.path() + u"/lista.txt"_s;
    WriteHostFile(list,
                  (u"# depósitos del día\n"_s + kSample + u'\t' + fingerprint + u'\n' + kSample +
                   u'\t' + wrong + u"\nsin-tabulador\n"_s + kSample + u"\tCORTA\n"_s + kSample +
                   u'\t' + fingerprint + u'\n' + odd + u'\t' + fingerprint + u'\n')
                      .toUtf8());
    const QString out = temp.path() + u"/resultados.jsonl"_s;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(kProgram, {u"--batch"_s, list, u"--jobs"_s, u"2"_s, u"--json-lines"_s, out,
                             u"--root"_s, temp.path() + u"/raiz"_s});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 2);
    // Nothing from the jobs on the batch's own standard error.
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
              u"Válidos: 2  No válidos: 2  Fallidos: 2\n"_s);
    bool whole = false;
    QMap<int, QJsonObject> byLine;
    for (const QJsonObject &object : ReadLines(out, &whole))
        byLine.insert(object.value(u"line"_s).toInt(), object);
    EXPECT_TRUE(whole);
    ASSERT_EQ(byLine.keys(), (QList<int>{2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(byLine[2].value(u"exitCode"_s).toInt(), 0);
    EXPECT_EQ(byLine[2].value(u"medium"_s).toString(), kSample);
    EXPECT_EQ(byLine[2].value(u"computedFingerprint"_s).toString(), fingerprint);
    EXPECT_EQ(byLine[3].value(u"exitCode"_s).toInt(), 1);
    EXPECT_EQ(byLine[3].value(u"fingerprintVerdict"_s).toString(), u"ERRONEA"_s);
    EXPECT_EQ(byLine[4].value(u"exitCode"_s).toInt(), 2);
    EXPECT_EQ(byLine[5].value(u"openStatus"_s).toString(),
              u"ERROR. Longitud Huella Digital. (Obligado : 26)"_s);
    EXPECT_EQ(byLine[6].value(u"valid"_s).toBool(), true);
    // Each job's standard error reaches the object of the deposit it was
    // checking when it wrote it, and no other.
    const auto errorOutput = [&](int line) {
        QStringList lines;
        for (const QJsonValue &value : byLine[line].value(u"errorOutput"_s).toArray())
            lines << value.toString();
        return lines;
    };
    for (int line : {2, 3, 6})
        EXPECT_EQ(errorOutput(line), QStringList()) << line;
    for (int line : {4, 5})
        EXPECT_EQ(errorOutput(line), QStringList{byLine[line].value(u"openStatus"_s).toString()});
    EXPECT_EQ(errorOutput(7), QStringList{u"Posible fichero TXT erróneo. Revisar GESTION.TXT"_s});
    // The jobs' work folders are gone.
    EXPECT_TRUE(QDir(temp.path() + u"/raiz"_s)
                    .entryList(QDir::NoDotAndDotDot | QDir::AllEntries)
                    .isEmpty());

    // Results that cannot be written fail the batch, valid deposits or not.
    WriteHostFile(list, (kSample + u'\t' + fingerprint + u'\n').toUtf8());
    process.start(kProgram, {u"--batch"_s, list, u"--json-lines"_s, u"/dev/full"_s, u"--root"_s,
                             temp.path() + u"/raiz"_s});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
              u"ERROR. No se pueden escribir los resultados.\nVálidos: 1  No válidos: 0  "
              u"Fallidos: 0\n"_s);

    WriteHostFile(list, "/caj\xf3n\tHUELLA\n");
    process.start(kProgram, {u"--batch"_s, list});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("UTF-8"));
}

TEST(BatchProgramTest, InterruptedBatchLeavesWholeLinesAndNoWorkFolders)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += (kSample + u'\t' + SampleFingerprint() + u'\n').toUtf8();
    WriteHostFile(temp.path() + u"/lista.txt"_s, lines);
    const QString out = temp.path() + u"/resultados.jsonl"_s;
    const QString root = temp.path() + u"/raiz"_s;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(kProgram, {u"--batch"_s, temp.path() + u"/lista.txt"_s, u"--jobs"_s, u"2"_s,
                             u"--json-lines"_s, out, u"--root"_s, root});
    ASSERT_TRUE(process.waitForStarted());
    for (int i = 0; i < 600 && QFileInfo(out).size() < 4; ++i)
        QThread::msleep(50);
    ASSERT_GT(QFileInfo(out).size(), 0);
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 130);
    bool whole = false;
    const QList<QJsonObject> objects = ReadLines(out, &whole);
    EXPECT_TRUE(whole);
    EXPECT_GT(objects.size(), 0);
    EXPECT_LT(objects.size(), 200);
    EXPECT_TRUE(QDir(root).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// A job killed while it writes a deposit's object of 64 MB: that deposit
// gets its failure, never the half-written object, and a new job checks
// the rest.
TEST(BatchProgramTest, JobKilledMidObjectFailsThatDepositOnly)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString large = temp.path() + u"/grande"_s;
    ASSERT_TRUE(QDir().mkpath(large));
    for (const QString &name : QDir(kSample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, large + u'/' + name));
    ASSERT_TRUE(QFile::remove(large + u"/MEMORIA.TXT"_s));
    WriteHostFile(large + u"/MEMORIA.TXT"_s,
                  QByteArray("El ejercicio ha transcurrido con normalidad.\r\n").repeated(1400000));
    const QString sample = kSample + u'\t' + SampleFingerprint() + u'\n';
    WriteHostFile(temp.path() + u"/lista.txt"_s,
                  (large + u'\t' + SampleFingerprint() + u'\n' + sample + sample).toUtf8());
    const QString out = temp.path() + u"/resultados.jsonl"_s;
    const QString root = temp.path() + u"/raiz"_s;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(kProgram, {u"--batch"_s, temp.path() + u"/lista.txt"_s, u"--json-lines"_s, out,
                             u"--root"_s, root});
    ASSERT_TRUE(process.waitForStarted());
    bool killed = false;
    for (int i = 0; i < 30000 && !killed && process.state() == QProcess::Running; ++i) {
        const QStringList batches = QDir(root).entryList({u"vk7-lote-*"_s}, QDir::Dirs);
        if (!batches.isEmpty() &&
            QFileInfo(root + u'/' + batches.first() + u"/trabajo-1.json"_s).size() > 1024 * 1024) {
            const QList<pid_t> jobs = Children(process.processId());
            ASSERT_EQ(jobs.size(), 1);
            killed = ::kill(jobs.first(), SIGKILL) == 0;
        }
        QThread::usleep(2000);
    }
    ASSERT_TRUE(killed);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
              u"Válidos: 2  No válidos: 0  Fallidos: 1\n"_s);
    bool whole = false;
    const QList<QJsonObject> objects = ReadLines(out, &whole);
    EXPECT_TRUE(whole);
    EXPECT_LT(QFileInfo(out).size(), 1024 * 1024);
    ASSERT_EQ(objects.size(), 3);
    const QString ended = u"ERROR. La comprobación del depósito terminó de forma anormal."_s;
    EXPECT_EQ(objects[0].value(u"line"_s).toInt(), 1);
    EXPECT_EQ(objects[0].value(u"exitCode"_s).toInt(), 2);
    EXPECT_EQ(objects[0].value(u"openStatus"_s).toString(), ended);
    EXPECT_EQ(objects[0].value(u"errorOutput"_s).toArray(), QJsonArray{ended});
    for (int i : {1, 2})
        EXPECT_TRUE(objects[i].value(u"valid"_s).toBool()) << i;
    EXPECT_TRUE(QDir(root).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// Two checks on one drive C: at once. The first waits at its diskette prompt
// on a terminal with the work folder locked; the second is refused without
// touching it, and the first, once answered, gives the right verdict.
TEST(WorkFolderLockProgramTest, SecondCheckOnTheSameRootIsRefused)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString terminal = QString::fromLocal8Bit(::ptsname(master));

    QProcess first;
    first.setStandardInputFile(terminal);
    first.start(kProgram, {u"--root"_s, root.path(), u"--drive-a"_s, kSample, u"--json"_s,
                           u"A:\\FICHERO.TXT"_s, SampleFingerprint()});
    ASSERT_TRUE(first.waitForStarted());
    QByteArray prompt;
    for (int i = 0; i < 600 && !prompt.contains("Introducir disquete"); ++i) {
        first.waitForReadyRead(100);
        prompt += first.readAllStandardError();
    }
    ASSERT_TRUE(prompt.contains("Introducir disquete")) << prompt.toStdString();

    QProcess second;
    second.setStandardInputFile(QProcess::nullDevice());
    second.start(kProgram, {u"--root"_s, root.path(), kSample, SampleFingerprint()});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(second.readAllStandardError()),
              u"ERROR. otra recepción está usando la carpeta de trabajo "_s + root.path() +
                  u"/TMP_VK7\n"_s);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());

    ASSERT_EQ(::write(master, "\n", 1), 1);
    ASSERT_TRUE(first.waitForFinished(60000));
    ::close(master);
    EXPECT_EQ(first.exitCode(), 0);
    const QJsonObject json = QJsonDocument::fromJson(first.readAllStandardOutput()).object();
    EXPECT_EQ(json.value(u"fingerprintVerdict"_s).toString(), u"CORRECTA"_s);
    EXPECT_TRUE(json.value(u"valid"_s).toBool());
}
