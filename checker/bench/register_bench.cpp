// What the reception register costs a batch: vk7check --batch over COUNT
// receptions of the sample deposit with the register off, in an SQLite file
// and in a private PostgreSQL (scripts/test-postgres-server.sh, started and
// stopped here), TURNS turns with the three interleaved; the median of each
// and the register's cost against the batch without it.
//   checker_register_bench [COUNT [JOBS [TURNS]]]   (default 1000 2 3)
#include <algorithm>
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

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

// Seconds the batch took; negative when it did not end as expected.
double RunBatch(const QString &folder, const QString &list, int jobs, const QString &location)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, folder + u"/home"_s);
    environment.insert(u"XDG_DATA_HOME"_s, folder + u"/home/data"_s);
    environment.insert(u"VK7_REGISTRO"_s, location);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(kProgram, {u"--batch"_s, list, u"--jobs"_s, QString::number(jobs),
                             u"--sin-textos"_s, u"--root"_s, folder});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s\n", process.readAllStandardError().constData());
        return -1;
    }
    return timer.elapsed() / 1000.0;
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
    if (!Server(u"start"_s, server)) {
        std::fprintf(stderr, "No se puede arrancar PostgreSQL\n");
        return 2;
    }
    const QList<QPair<QString, QString>> modes = {
        {u"sin registro"_s, u"off"_s},
        {u"SQLite"_s, u"sqlite:"_s + folder.filePath(u"registro.sqlite"_s)},
        {u"PostgreSQL"_s, u"postgresql://vk7@%1:5432/registro"_s.arg(
                              QString::fromLatin1(QUrl::toPercentEncoding(server)))}};
    QList<QList<double>> seconds(modes.size());
    std::printf("vk7check --batch de %d recepciones, --jobs %d, %d vuelta(s)\n", count, jobs,
                turns);
    for (int turn = 0; turn < turns; ++turn) {
        for (qsizetype mode = 0; mode < modes.size(); ++mode) {
            const double time = RunBatch(folder.path(), list, jobs, modes.at(mode).second);
            if (time < 0) {
                Server(u"stop"_s, server);
                return 1;
            }
            seconds[mode].append(time);
            std::printf("  vuelta %d, %-13s %7.2f s\n", turn + 1,
                        qPrintable(modes.at(mode).first + u':'), time);
            std::fflush(stdout);
        }
    }
    Server(u"stop"_s, server);
    const double base = Median(seconds.at(0));
    std::printf("\nMedianas:\n");
    for (qsizetype mode = 0; mode < modes.size(); ++mode) {
        const double median = Median(seconds.at(mode));
        std::printf("  %-13s %7.2f s  %6.2f ms/recepción  coste del registro %+6.2f %%\n",
                    qPrintable(modes.at(mode).first + u':'), median, median * 1000 / count,
                    (median / base - 1) * 100);
    }
    return 0;
}
