// What the reception register costs a batch: vk7check --batch over COUNT
// receptions of the sample deposit with the register off, in an SQLite file
// and in a private PostgreSQL (scripts/test-postgres-server.sh, started and
// stopped here), TURNS turns with the three interleaved. For each, the
// fastest turn and the median processor time (the batch and its jobs, user
// and system: other work on a shared machine moves the wall clock more
// than the register does), and the register's cost against the batch
// without it.
//   checker_register_bench [COUNT [JOBS [TURNS]]]   (default 1000 2 3)
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>

#include "registry/registerlocation.h"
#include "registry/registerstore.h"

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QString kScript = QStringLiteral(VK7_SOURCE_DIR "/scripts/test-postgres-server.sh");

bool Server(const QString &command, const QString &folder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(u"bash"_s, {kScript, command, folder});
    return process.waitForFinished(120000) && process.exitCode() == 0;
}

struct Times
{
    double wall = -1; // seconds; negative when the batch did not end as expected
    double processor = 0;
};

double ChildrenProcessorSeconds()
{
    rusage usage = {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

Times RunBatch(const QString &folder, const QString &list, int jobs, const QString &location)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, folder + u"/home"_s);
    environment.insert(u"XDG_DATA_HOME"_s, folder + u"/home/data"_s);
    environment.insert(u"VK7_REGISTRO"_s, location);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    const double processor = ChildrenProcessorSeconds();
    QElapsedTimer timer;
    timer.start();
    process.start(kProgram, {u"--batch"_s, list, u"--jobs"_s, QString::number(jobs),
                             u"--sin-textos"_s, u"--root"_s, folder});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s\n", process.readAllStandardError().constData());
        return {};
    }
    return {timer.elapsed() / 1000.0, ChildrenProcessorSeconds() - processor};
}

// Microseconds one Append takes on its own, over `count` records like a
// reception's (its sheet included), one connection; with commits that wait
// for the disk (a single reception's) or not (a batch job's).
double AppendMicroseconds(const QString &location, int count, bool asynchronous)
{
    vk7::RegisterLocation where;
    if (vk7::ParseRegisterLocation(location, &where).Failed())
        return -1;
    vk7::RegisterStore store(where);
    store.SetAsynchronousCommits(asynchronous);
    if (const vk7::Failure failure = store.Open(); failure.Failed()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.text));
        return -1;
    }
    const QJsonObject deposit{
        {u"diagnosticSheet"_s, QString(u"HOJA DE DIAGNOSTICO ... "_s.repeated(40))},
        {u"nif"_s, u"B09512344"_s},
        {u"valid"_s, true},
        {u"exitCode"_s, 0}};
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        const QJsonObject record{{u"id"_s, QUuid::createUuid().toString(QUuid::WithoutBraces)},
                                 {u"inicio"_s, u"2026-01-01T00:00:00.000Z"_s},
                                 {u"fin"_s, u"2026-01-01T00:00:00.000Z"_s},
                                 {u"deposito"_s, deposit}};
        if (const vk7::Failure failure = store.Append(record); failure.Failed()) {
            std::fprintf(stderr, "%s\n", qPrintable(failure.text));
            return -1;
        }
    }
    return timer.nsecsElapsed() / 1000.0 / count;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int count = arguments.size() > 1 ? arguments.at(1).toInt() : 1000;
    const int jobs = arguments.size() > 2 ? arguments.at(2).toInt() : 2;
    const int turns = arguments.size() > 3 ? arguments.at(3).toInt() : 3;
    QTemporaryDir folder(u"/tmp/vk7-registro-bench-XXXXXX"_s);
    if (!folder.isValid() || count < 1 || jobs < 1 || turns < 1)
        return 2;
    const QString sample = QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit");
    QFile fingerprintFile(sample + u".fingerprint"_s);
    if (!fingerprintFile.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray line = (sample + u'\t').toUtf8() + fingerprintFile.readAll().trimmed() + '\n';
    const QString list = folder.filePath(u"lista.txt"_s);
    QFile listFile(list);
    if (!listFile.open(QIODevice::WriteOnly) || listFile.write(line.repeated(count)) < 0)
        return 2;
    listFile.close();

    const QString server = folder.filePath(u"pg"_s);
    // The server is stopped however the program ends: an early return, or a
    // reader of its output that went away (`| head`: no SIGPIPE then).
    std::signal(SIGPIPE, SIG_IGN);
    struct StopServer
    {
        QString folder;
        ~StopServer() { Server(u"stop"_s, folder); }
    } stopServer{server};
    if (!Server(u"start"_s, server)) {
        std::fprintf(stderr, "No se puede arrancar PostgreSQL\n");
        return 2;
    }
    const QList<QPair<QString, QString>> modes = {
        {u"sin registro"_s, u"off"_s},
        {u"SQLite"_s, u"sqlite:"_s + folder.filePath(u"registro.sqlite"_s)},
        {u"PostgreSQL"_s, u"postgresql://vk7@%1:5432/registro"_s.arg(
                              QString::fromLatin1(QUrl::toPercentEncoding(server)))}};
    for (qsizetype mode = 1; mode < modes.size(); ++mode) {
        for (const bool asynchronous : {false, true}) {
            const QString location = modes.at(mode).second +
                                     (mode == 1 ? u".solo%1"_s.arg(int(asynchronous)) : QString());
            std::printf("Append solo, %-11s %-22s %8.1f µs por registro\n",
                        qPrintable(modes.at(mode).first + u':'),
                        asynchronous ? "commit sin esperar:" : "commit en el disco:",
                        AppendMicroseconds(location, count, asynchronous));
        }
    }
    QList<QList<double>> seconds(modes.size());
    QList<QList<double>> processor(modes.size());
    std::printf("vk7check --batch de %d recepciones, --jobs %d, %d vuelta(s)\n", count, jobs,
                turns);
    for (int turn = 0; turn < turns; ++turn) {
        for (qsizetype mode = 0; mode < modes.size(); ++mode) {
            const Times times = RunBatch(folder.path(), list, jobs, modes.at(mode).second);
            if (times.wall < 0)
                return 1;
            seconds[mode].append(times.wall);
            processor[mode].append(times.processor);
            std::printf("  vuelta %d, %-13s %7.2f s, %7.2f s de procesador\n", turn + 1,
                        qPrintable(modes.at(mode).first + u':'), times.wall, times.processor);
            std::fflush(stdout);
        }
    }
    const auto fastest = [](const QList<double> &values) {
        return *std::min_element(values.begin(), values.end());
    };
    const double baseWall = fastest(seconds.at(0));
    const double baseProcessor = Median(processor.at(0));
    std::printf("\nLa vuelta más rápida y la mediana del tiempo de procesador:\n");
    for (qsizetype mode = 0; mode < modes.size(); ++mode) {
        const double wall = fastest(seconds.at(mode));
        const double used = Median(processor.at(mode));
        std::printf("  %-13s %7.2f s (%+6.2f %%)  %7.2f s de procesador (%+6.2f %%), "
                    "%5.2f ms/recepción\n",
                    qPrintable(modes.at(mode).first + u':'), wall, (wall / baseWall - 1) * 100,
                    used, (used / baseProcessor - 1) * 100, used * 1000 / count);
    }
    return 0;
}
