// vk7check --json on deposits whose MEMORIA.TXT is ordinary prose of
// growing size (no form feeds): wall and processor time, time per MB and
// the program's peak memory, beside `cp -r` of the same deposit in the same
// run (the check copies the deposit into its work folder too).
//   checker_largetext_bench [MB ...]   (default 25 50 100 200)
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "examples/sampledeposit.h"
#include "reception/filetools.h"

using namespace Qt::StringLiterals;

extern char **environ;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");

struct Measured
{
    bool ok = false;
    double seconds = 0;
    double processorSeconds = 0;
    long peakKilobytes = 0;
};

// Runs a program with its standard output into a file and measures that one
// child through wait4.
Measured Run(const QStringList &command, const QString &outputPath)
{
    QList<QByteArray> storage;
    for (const QString &argument : command)
        storage.append(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const QByteArray output = QFile::encodeName(outputPath);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    Measured measured;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage = {};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid)
        return measured;
    measured.seconds = timer.nsecsElapsed() / 1e9;
    measured.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    measured.processorSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                                usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    measured.peakKilobytes = usage.ru_maxrss;
    return measured;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = {25, 50, 100, 200};
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    std::printf("%8s %10s %10s %10s %12s %12s %10s\n", "MB", "check s", "CPU s", "ms/MB", "peak MB",
                "JSON MB", "cp -r s");
    for (const int megabytes : sizes) {
        const QString deposit = scratch.filePath(u"deposito"_s);
        QDir(deposit).removeRecursively();
        QString error;
        if (!vk7::samples::WriteSampleDeposit(deposit, &error) ||
            !vk7::samples::WriteProseFile(deposit + u"/MEMORIA.TXT"_s,
                                          qint64(megabytes) * 1000 * 1000)) {
            std::fprintf(stderr, "the deposit cannot be written: %s\n", qPrintable(error));
            return 1;
        }
        QString fingerprint;
        fingerprint = vk7::CFileTools().ComputeDepositFingerprint(deposit).Text();
        const QString json = scratch.filePath(u"salida.json"_s);
        const QString root = scratch.filePath(u"C"_s);
        const Measured check =
            Run({kProgram, u"--root"_s, root, u"--json"_s, deposit, fingerprint}, json);
        const qint64 jsonBytes = QFile(json).size();
        QFile::remove(json);
        const QString copy = scratch.filePath(u"copia"_s);
        const Measured copied = Run({u"cp"_s, u"-r"_s, deposit, copy}, u"/dev/null"_s);
        QDir(copy).removeRecursively();
        QDir(root).removeRecursively();
        if (!check.ok) {
            std::fprintf(stderr, "vk7check failed on %d MB\n", megabytes);
            return 1;
        }
        std::printf("%8d %10.2f %10.2f %10.1f %12.1f %12.1f %10.2f\n", megabytes, check.seconds,
                    check.processorSeconds, check.seconds * 1000 / megabytes,
                    check.peakKilobytes / 1024.0, jsonBytes / 1e6, copied.seconds);
        std::fflush(stdout);
    }
    return 0;
}
