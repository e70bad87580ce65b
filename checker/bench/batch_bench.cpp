// vk7check --batch over generated deposits with --jobs 1 and --jobs N (N =
// cores), beside the same deposits checked by separate vk7check runs, one
// after another, in the same run. Each deposit is the sample deposit with a
// line of its own added to its notes, so every fingerprint differs.
//   checker_batch_bench [COUNT]   (default 1000)
#include <cstdio>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "examples/sampledeposit.h"
#include "reception/filetools.h"

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");

struct Tally
{
    double seconds = 0;
    int valid = 0;
    int other = 0;
};

// The deposits and their list; false when one cannot be written.
bool WriteDeposits(const QString &folder, int count, QByteArray *list)
{
    const QString model = folder + u"/modelo"_s;
    QString error;
    if (!vk7::samples::WriteSampleDeposit(model, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    const QStringList names = QDir(model).entryList(QDir::Files);
    for (int i = 1; i <= count; ++i) {
        const QString deposit = folder + u"/deposito-%1"_s.arg(i, 4, 10, QLatin1Char('0'));
        QDir().mkpath(deposit);
        for (const QString &name : names)
            if (!QFile::copy(model + u'/' + name, deposit + u'/' + name))
                return false;
        QFile notes(deposit + u"/MEMORIA.TXT"_s);
        if (!notes.open(QIODevice::Append))
            return false;
        notes.write(u"Depósito de prueba %1\r\n"_s.arg(i).toLatin1());
        notes.close();
        QString fingerprint;
        fingerprint = vk7::CFileTools().ComputeDepositFingerprint(deposit).Text();
        *list += (deposit + u'\t' + fingerprint + u'\n').toUtf8();
    }
    return true;
}

Tally RunBatch(const QString &folder, const QString &list, int jobs)
{
    Tally tally;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(kProgram, {u"--batch"_s, list, u"--jobs"_s, QString::number(jobs),
                             u"--sin-textos"_s, u"--root"_s, folder + u"/lotes"_s});
    process.waitForFinished(-1);
    tally.seconds = double(timer.nsecsElapsed()) / 1e9;
    const QByteArray out = process.readAllStandardOutput();
    for (const QByteArray &line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        (line.contains("\"exitCode\":0") || line.contains("\"exitCode\": 0") ? tally.valid
                                                                             : tally.other)++;
    }
    return tally;
}

Tally RunSeparately(const QString &folder, const QByteArray &list)
{
    Tally tally;
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray &line : list.split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> parts = line.split('\t');
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(kProgram,
                      {u"--json"_s, u"--sin-textos"_s, u"--root"_s, folder + u"/separado"_s,
                       QString::fromUtf8(parts.at(0)), QString::fromUtf8(parts.at(1))});
        process.waitForFinished(-1);
        (process.exitCode() == 0 ? tally.valid : tally.other)++;
    }
    tally.seconds = double(timer.nsecsElapsed()) / 1e9;
    return tally;
}

void Report(const char *what, const Tally &tally, int count, double reference)
{
    std::printf("%-34s %8.2f s  %7.1f ms/depósito  válidos %d, otros %d  (x%.2f)\n", what,
                tally.seconds, 1000.0 * tally.seconds / count, tally.valid, tally.other,
                reference / tally.seconds);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    QTemporaryDir temp;
    QByteArray list;
    if (!temp.isValid() || !WriteDeposits(temp.path(), count, &list))
        return 1;
    const QString listPath = temp.path() + u"/lista.txt"_s;
    QFile file(listPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size())
        return 1;
    file.close();

    std::printf("%d depósitos generados (el de ejemplo con una línea propia en la memoria), "
                "%d núcleos\n",
                count, cores);
    const Tally separate = RunSeparately(temp.path(), list);
    Report("vk7check, una ejecución cada uno", separate, count, separate.seconds);
    const Tally one = RunBatch(temp.path(), listPath, 1);
    Report("vk7check --batch --jobs 1", one, count, separate.seconds);
    const Tally many = RunBatch(temp.path(), listPath, cores);
    const QByteArray label = "vk7check --batch --jobs " + QByteArray::number(cores);
    Report(label.constData(), many, count, separate.seconds);
    std::printf("escala de --jobs 1 a --jobs %d: x%.2f\n", cores, one.seconds / many.seconds);
    return 0;
}
