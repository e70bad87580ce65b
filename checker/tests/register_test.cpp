// The reception register as the built vk7check keeps it: concurrent batch
// jobs on one chain, a store that goes away in the middle of a batch, and a
// record changed behind the program's back. PostgreSQL is a private server
// the test starts itself; SQLite a file in a temporary folder.
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "testing/hostfiles.h"
#include "testing/postgresserver.h"
#include "testing/programrun.h"

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");

using Ran = vk7::testing::ProgramRun;

// The programs' own data folder (the spool) in the test's folder, the
// register where `location` says.
QProcessEnvironment Environment(const QString &folder, const QString &location)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, folder + u"/home"_s);
    environment.insert(u"XDG_DATA_HOME"_s, folder + u"/home/data"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, folder + u"/home/config"_s);
    environment.insert(u"VK7_REGISTRO"_s, location);
    return environment;
}

void Start(QProcess &process, const QProcessEnvironment &environment, const QStringList &arguments)
{
    process.setProcessEnvironment(environment);
    process.start(kProgram, arguments);
    ASSERT_TRUE(process.waitForStarted());
}

Ran Finish(QProcess &process)
{
    EXPECT_TRUE(process.waitForFinished(300000));
    return vk7::testing::TakeRun(process);
}

Ran Checker(const QProcessEnvironment &environment, const QStringList &arguments)
{
    QProcess process;
    Start(process, environment, arguments);
    return Finish(process);
}

// A list of `count` receptions of the sample deposit.
QString BatchList(const QString &folder, int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += (vk7::testing::SampleDepositFolder() + u'\t' + vk7::testing::SampleFingerprint() +
                  u'\n')
                     .toUtf8();
    const QString path = folder + u"/lista-%1.txt"_s.arg(count);
    vk7::testing::WriteHostFile(path, lines);
    return path;
}

QStringList BatchArguments(const QString &list, const QString &folder, int jobs)
{
    return {u"--batch"_s,
            list,
            u"--jobs"_s,
            QString::number(jobs),
            u"--sin-textos"_s,
            u"--root"_s,
            folder,
            u"--json-lines"_s,
            QDir(folder).filePath(u"r.jsonl"_s)};
}

// The register's ids, each once, as --registro-listar gives them.
QStringList ListedIds(const QProcessEnvironment &environment)
{
    const Ran list = Checker(environment, {u"--registro-listar"_s});
    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    QStringList ids;
    for (const QByteArray &line : list.out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        EXPECT_EQ(object.value(u"nif"_s).toString(), u"B09512344"_s);
        ids.append(object.value(u"registro"_s).toObject().value(u"id"_s).toString());
    }
    return ids;
}

// Two batches of 20 at once, two jobs each: 40 records on one whole chain.
void ExpectConcurrentBatchesChained(const QProcessEnvironment &environment, const QString &folder)
{
    const QString list = BatchList(folder, 20);
    QDir().mkpath(folder + u"/a"_s);
    QDir().mkpath(folder + u"/b"_s);
    QProcess first;
    QProcess second;
    Start(first, environment, BatchArguments(list, folder + u"/a"_s, 2));
    Start(second, environment, BatchArguments(list, folder + u"/b"_s, 2));
    const Ran a = Finish(first);
    const Ran b = Finish(second);
    EXPECT_EQ(a.exitCode, 0) << a.err.constData();
    EXPECT_EQ(b.exitCode, 0) << b.err.constData();
    const QStringList ids = ListedIds(environment);
    EXPECT_EQ(ids.size(), 40);
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), 40);
    const Ran verify = Checker(environment, {u"--registro-verificar"_s});
    EXPECT_EQ(verify.exitCode, 0) << verify.out.constData() << verify.err.constData();
    EXPECT_TRUE(verify.out.contains("40 registro(s)")) << verify.out.constData();
}

// A name changed in one record's column: --registro-verificar names that record.
void ExpectEditFound(QSqlDatabase db, const QProcessEnvironment &environment)
{
    ASSERT_TRUE(db.open());
    QSqlQuery query(db);
    ASSERT_TRUE(query.exec(u"SELECT numero FROM recepciones ORDER BY numero LIMIT 1 OFFSET 6"_s));
    ASSERT_TRUE(query.next());
    const qint64 number = query.value(0).toLongLong();
    QSqlQuery edit(db);
    edit.prepare(u"UPDATE recepciones SET contenido = REPLACE(contenido, 'B09512344', 'B00000000') "
                 u"WHERE numero = ?"_s);
    edit.addBindValue(number);
    ASSERT_TRUE(edit.exec());
    db.close();
    const Ran verify = Checker(environment, {u"--registro-verificar"_s});
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_TRUE(verify.out.contains(u"nº %1 "_s.arg(number).toUtf8())) << verify.out.constData();
}

int argc = 1;
char name[] = "register_test";
char *argv[] = {name, nullptr};

} // namespace

TEST(ReceptionRegisterTest, SqliteChainOfTwoProcessesAndAnEditFound)
{
    const QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(u"registro.sqlite"_s);
    const QProcessEnvironment environment = Environment(folder.path(), u"sqlite:"_s + file);
    ExpectConcurrentBatchesChained(environment, folder.path());
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"edit"_s);
    db.setDatabaseName(file);
    ExpectEditFound(db, environment);
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"edit"_s);
}

TEST(ReceptionRegisterTest, PostgresqlChainOutageAndAnEditFound)
{
    const QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    vk7::testing::PostgresTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    const QProcessEnvironment environment = Environment(folder.path(), server.Location());
    ExpectConcurrentBatchesChained(environment, folder.path());

    // With the server down the reception is the same, byte for byte; only
    // standard error says where its record went.
    ASSERT_TRUE(server.Pause(&error)) << error.toStdString();
    const QStringList single{u"--json"_s, u"--root"_s, folder.filePath(u"c"_s),
                             vk7::testing::SampleDepositFolder(),
                             vk7::testing::SampleFingerprint()};
    const Ran down = Checker(environment, single);
    const Ran off = Checker(environment, QStringList{u"--sin-registro"_s} + single);
    EXPECT_EQ(down.exitCode, 0);
    EXPECT_EQ(down.exitCode, off.exitCode);
    EXPECT_EQ(down.out, off.out);
    EXPECT_TRUE(down.err.contains("queda guardada localmente")) << down.err.constData();
    ASSERT_TRUE(server.Resume(&error)) << error.toStdString();

    // Stopped in the middle of a batch, then started: every record arrives once.
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"edit"_s);
    db.setHostName(server.SocketFolder());
    db.setUserName(u"vk7"_s);
    db.setDatabaseName(u"registro"_s);
    const auto stored = [&db] {
        QSqlQuery query(db);
        return db.open() && query.exec(u"SELECT COUNT(*) FROM recepciones"_s) && query.next()
                   ? query.value(0).toInt()
                   : -1;
    };
    // The record kept while the server was down waits for the next reception.
    const int before = stored();
    ASSERT_EQ(before, 40);
    QDir().mkpath(folder.filePath(u"m"_s));
    QProcess batch;
    Start(batch, environment,
          BatchArguments(BatchList(folder.path(), 30), folder.filePath(u"m"_s), 1));
    while (stored() < before + 3 && batch.state() == QProcess::Running)
        QThread::msleep(20);
    db.close();
    ASSERT_EQ(batch.state(), QProcess::Running);
    ASSERT_TRUE(server.Pause(&error)) << error.toStdString();
    QThread::msleep(1500);
    {
        // Receptions went on meanwhile, their records into the local spool.
        QSqlDatabase spool = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"spool"_s);
        spool.setDatabaseName(folder.filePath(u"home/data/vk7/pendientes.sqlite"_s));
        QSqlQuery query(spool);
        EXPECT_TRUE(spool.open() && query.exec(u"SELECT COUNT(*) FROM pendientes"_s) &&
                    query.next() && query.value(0).toInt() > 1);
    }
    QSqlDatabase::removeDatabase(u"spool"_s);
    ASSERT_TRUE(server.Resume(&error)) << error.toStdString();
    const Ran middle = Finish(batch);
    EXPECT_EQ(middle.exitCode, 0) << middle.err.constData();
    const QStringList ids = ListedIds(environment);
    EXPECT_EQ(ids.size(), before + 1 + 30);
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), before + 1 + 30);
    const Ran verify = Checker(environment, {u"--registro-verificar"_s});
    EXPECT_EQ(verify.exitCode, 0) << verify.out.constData();

    ExpectEditFound(db, environment);
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"edit"_s);
}
