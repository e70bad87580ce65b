// The reception of a deposit whose MEMORIA.TXT is 300 MB of prose (the
// sample with its memoria replaced, listed in its manifest) against the
// floor of the same work on this machine: `cp` of the memoria and `md5sum`
// of the copy. Turn after turn in the same run: the floor, `vk7check`, and
// `vk7` from its start to the first painted form page (the Open of the
// desktop, on the offscreen platform). Medians of the turns, the ratios,
// and each program's peak memory.
// Usage: desktop_reception_bench [MB [TURNS [BIN]]]   (default 300 3, this
// build's programs; BIN another build's bin folder, to compare builds)

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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

struct Measured
{
    bool ok = false;
    double seconds = 0;
    long peakKilobytes = 0;
};

// Runs a program, its output thrown away, and measures that one child
// through wait4. With `until`, the time is taken when its standard error
// first holds that text (the program may go on a little after it).
Measured Run(const QStringList &command, const QList<QByteArray> &environment = {},
             const QByteArray &until = {})
{
    QList<QByteArray> storage;
    for (const QString &argument : command)
        storage.append(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    QList<QByteArray> variables = environment;
    for (char **variable = environ; *variable; ++variable) {
        const QByteArray entry(*variable);
        const bool replaced =
            std::any_of(environment.begin(), environment.end(), [&](const auto &e) {
                return entry.startsWith(e.left(e.indexOf('=') + 1));
            });
        if (!replaced)
            variables.append(entry);
    }
    std::vector<char *> envp;
    for (QByteArray &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    int errors[2] = {-1, -1};
    if (!until.isEmpty() && pipe2(errors, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (until.isEmpty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    Measured measured;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    bool seen = until.isEmpty();
    if (!until.isEmpty()) {
        close(errors[1]);
        QByteArray text;
        char buffer[4096];
        for (;;) {
            // A program that never gets there (a message box nobody answers)
            // is stopped after ten minutes.
            struct pollfd ready = {errors[0], POLLIN, 0};
            if (poll(&ready, 1, 1000) == 0) {
                if (spawned == 0 && timer.elapsed() > 600000)
                    kill(pid, SIGKILL);
                continue;
            }
            const ssize_t got = read(errors[0], buffer, sizeof buffer);
            if (got <= 0)
                break;
            text.append(buffer, got);
            if (!seen && text.contains(until)) {
                measured.seconds = timer.nsecsElapsed() / 1e9;
                seen = true;
            }
        }
        close(errors[0]);
    }
    int status = 0;
    struct rusage usage = {};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid)
        return {};
    if (until.isEmpty())
        measured.seconds = timer.nsecsElapsed() / 1e9;
    measured.ok = seen && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    measured.peakKilobytes = usage.ru_maxrss;
    return measured;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    const int turns = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QString bin = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(VK7_BIN_DIR);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const QString deposit = scratch.filePath(u"deposito"_s);
    QString error;
    // The sample lists MEMORIA.TXT in its manifest already.
    if (!vk7::samples::WriteSampleDeposit(deposit, &error) ||
        !vk7::samples::WriteProseFile(deposit + u"/MEMORIA.TXT"_s,
                                      qint64(megabytes) * 1000 * 1000)) {
        std::fprintf(stderr, "the deposit cannot be written: %s\n", qPrintable(error));
        return 1;
    }
    QString fingerprint;
    fingerprint = vk7::CFileTools().ComputeDepositFingerprint(deposit).Text();
    for (const char *folder : {"tmp", "home", "run"})
        QDir().mkpath(scratch.filePath(QString::fromLatin1(folder)));
    QFile::setPermissions(scratch.filePath(u"run"_s),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QList<QByteArray> desktop = {"QT_QPA_PLATFORM=offscreen", "VK7_EXIT_AFTER_FIRST_PAINT=1",
                                       "TMPDIR=" + QFile::encodeName(scratch.filePath(u"tmp"_s)),
                                       "HOME=" + QFile::encodeName(scratch.filePath(u"home"_s)),
                                       "XDG_RUNTIME_DIR=" +
                                           QFile::encodeName(scratch.filePath(u"run"_s))};
    const QString root = scratch.filePath(u"C"_s);
    const QString copy = scratch.filePath(u"copia"_s);
    const QString memoria = deposit + u"/MEMORIA.TXT"_s;

    std::printf("MEMORIA.TXT de %d MB; %d vueltas alternas, mediana en s, memoria máxima en MB\n",
                megabytes, turns);
    QList<double> floors;
    QList<double> checks;
    QList<double> opens;
    long checkPeak = 0;
    long openPeak = 0;
    long floorPeak = 0;
    for (int turn = 0; turn < turns; ++turn) {
        const Measured copied = Run({u"cp"_s, memoria, copy});
        const Measured hashed = Run({u"md5sum"_s, copy});
        QFile::remove(copy);
        const Measured check = Run({bin + u"/vk7check"_s, u"--root"_s, root, deposit, fingerprint});
        QDir(root).removeRecursively();
        const Measured open =
            Run({bin + u"/vk7"_s, u"--root"_s, root, deposit, fingerprint}, desktop, "primera p");
        QDir(root).removeRecursively();
        if (!copied.ok || !hashed.ok || !check.ok || !open.ok) {
            std::fprintf(stderr, "a run failed (cp %d, md5sum %d, vk7check %d, vk7 %d)\n",
                         copied.ok, hashed.ok, check.ok, open.ok);
            return 1;
        }
        floors.append(copied.seconds + hashed.seconds);
        checks.append(check.seconds);
        opens.append(open.seconds);
        floorPeak = std::max({floorPeak, copied.peakKilobytes, hashed.peakKilobytes});
        checkPeak = std::max(checkPeak, check.peakKilobytes);
        openPeak = std::max(openPeak, open.peakKilobytes);
        std::printf("vuelta %d: cp + md5sum %.2f, vk7check %.2f, vk7 1ª página %.2f\n", turn + 1,
                    floors.last(), checks.last(), opens.last());
        std::fflush(stdout);
    }
    const double floor = Median(floors);
    const double check = Median(checks);
    const double open = Median(opens);
    std::printf("%-22s %8s %8s %10s\n", "", "s", "× suelo", "máx. MB");
    std::printf("%-22s %8.2f %8.2f %10.1f\n", "cp + md5sum (suelo)", floor, 1.0,
                floorPeak / 1024.0);
    std::printf("%-22s %8.2f %8.2f %10.1f\n", "vk7check", check, check / floor, checkPeak / 1024.0);
    std::printf("%-22s %8.2f %8.2f %10.1f\n", "vk7 hasta 1ª página", open, open / floor,
                openPeak / 1024.0);
    std::printf("vk7 / vk7check: %.2f (%+.0f ms)\n", open / check, (open - check) * 1000);
    return 0;
}
