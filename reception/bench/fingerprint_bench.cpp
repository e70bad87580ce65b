// Times the deposit fingerprint against the shell doing the same work
// (cat of the same files in the same order into MD5.TXT, then md5sum), and
// shows that the fingerprint's peak memory does not grow with the deposit.
//   reception_fingerprint_bench [MEGABYTES]   (default 200)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "reception/filetools.h"

using namespace Qt::StringLiterals;

namespace {

// Writes a deposit of about `megabytes` MB: the data and text files and
// fifty page images, filled with pseudo-random bytes. Returns the files in
// fingerprint order.
QStringList BuildDeposit(const QString &folder, int megabytes)
{
    const qint64 total = qint64(megabytes) * 1024 * 1024;
    struct Part
    {
        QString name;
        double share;
    };
    QList<Part> parts = {{u"FICHERO.TXT"_s, 0.0},
                         {u"DATOS.ASC"_s, 0.10},
                         {u"INSTANCIA.ASC"_s, 0.0},
                         {u"MEMORIA.TXT"_s, 0.15},
                         {u"GESTION.TXT"_s, 0.10}};
    for (int i = 1; i <= 25; ++i)
        parts.append({u"GESTION.G%1"_s.arg(i, 2, 10, QChar(u'0')), 0.65 / 50});
    for (int i = 1; i <= 25; ++i)
        parts.append({u"MEMORIA.M%1"_s.arg(i, 2, 10, QChar(u'0')), 0.65 / 50});

    quint64 state = 88172645463325252ull;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    QStringList ordered;
    for (const Part &part : parts) {
        QFile file(folder + u'/' + part.name);
        if (!file.open(QIODevice::WriteOnly))
            std::exit(1);
        qint64 left = part.share > 0 ? qint64(double(total) * part.share) : 300;
        while (left > 0) {
            for (qsizetype i = 0; i + 8 <= chunk.size(); i += 8) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                memcpy(chunk.data() + i, &state, 8);
            }
            const qint64 n = std::min<qint64>(left, chunk.size());
            file.write(chunk.constData(), n);
            left -= n;
        }
        ordered.append(folder + u'/' + part.name);
    }
    // Fingerprint order: the fixed files, then the G images before the M ones.
    return ordered;
}

double TimeFingerprint(const QString &folder, QString *result)
{
    QElapsedTimer timer;
    timer.start();
    *result = vk7::CFileTools().ComputeDepositFingerprint(folder).Text();
    return double(timer.nsecsElapsed()) / 1e9;
}

double TimeShell(const QString &folder, const QStringList &files, QString *digest)
{
    QString command = u"cat"_s;
    for (const QString &file : files)
        command += u" '"_s + file + u"'"_s;
    command += u" > '"_s + folder + u"/MD5.TXT' && md5sum '"_s + folder + u"/MD5.TXT' > '"_s +
               folder + u"/md5.out'"_s;
    QElapsedTimer timer;
    timer.start();
    if (std::system(command.toLocal8Bit().constData()) != 0)
        std::exit(1);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QFile out(folder + u"/md5.out"_s);
    out.open(QIODevice::ReadOnly);
    *digest = QString::fromLatin1(out.readAll().left(32));
    QFile::remove(folder + u"/md5.out"_s);
    QFile::remove(folder + u"/MD5.TXT"_s);
    return seconds;
}

QString EncodeHex(const QString &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    QString result;
    vk7::CFileTools::EncodeFingerprint(result,
                                       reinterpret_cast<const unsigned char *>(bytes.constData()));
    return result;
}

// Peak resident memory, in kB, of a child process that only computes the
// fingerprint of the folder.
long FingerprintPeakKilobytes(const QString &folder)
{
    const pid_t child = fork();
    if (child == 0) {
        QString result;
        result = vk7::CFileTools().ComputeDepositFingerprint(folder).Text();
        _exit(result.size() == 26 ? 0 : 1);
    }
    int status = 0;
    struct rusage usage;
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    QTemporaryDir temp;
    if (!temp.isValid())
        return 1;
    const QString big = temp.path() + u"/big"_s;
    const QString small = temp.path() + u"/small"_s;
    QDir().mkpath(big);
    QDir().mkpath(small);
    std::printf("Building a deposit of %d MB in %s ...\n", megabytes, qPrintable(temp.path()));
    const QStringList files = BuildDeposit(big, megabytes);
    BuildDeposit(small, std::max(1, megabytes / 8));

    // Alternate the two, three rounds each, and keep the best of each so
    // that both run on a warm page cache.
    double bestOurs = 1e9, bestShell = 1e9;
    QString ours, shellDigest;
    for (int round = 0; round < 3; ++round) {
        bestShell = std::min(bestShell, TimeShell(big, files, &shellDigest));
        bestOurs = std::min(bestOurs, TimeFingerprint(big, &ours));
    }
    const bool same = EncodeHex(shellDigest) == ours;
    std::printf("fingerprint          %8.3f s  %s\n", bestOurs, qPrintable(ours));
    std::printf("cat > MD5.TXT && md5sum %5.3f s  %s\n", bestShell, qPrintable(shellDigest));
    std::printf("ratio (fingerprint / shell) %.2f  %s\n", bestOurs / bestShell,
                same ? "same digest" : "DIGESTS DIFFER");

    const long peakSmall = FingerprintPeakKilobytes(small);
    const long peakBig = FingerprintPeakKilobytes(big);
    std::printf("peak memory of the fingerprint: %ld kB for %d MB, %ld kB for %d MB\n", peakSmall,
                std::max(1, megabytes / 8), peakBig, megabytes);
    return same ? 0 : 1;
}
