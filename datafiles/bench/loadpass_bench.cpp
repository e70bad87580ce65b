// Times the accounts reader on a DATOS.ASC of 1,000,000 data records with
// distinct keys beside mawk cutting the same columns out of the same file, and
// the text reader on a 25 MB text without form feeds.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "reception/paths.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

// Keys are six characters read as a number: 000000 to 999999 give exactly
// 1,000,000 values. The four keys the reader treats apart (the two dates and
// the two causes) are replaced by -00001 to -00004, still distinct.
QByteArray KeyText(int i)
{
    switch (i) {
    case 810190:
        return "-00001";
    case 810290:
        return "-00002";
    case 899001:
        return "-00003";
    case 899002:
        return "-00004";
    default:
        return QByteArray::number(i).rightJustified(6, '0');
    }
}

bool WriteAccounts(const QString &path, int records)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray header(276, ' ');
    header[0] = '1';
    header.replace(1, 13, "B123456782005");
    file.write(header + '\n');
    QByteArray block;
    for (int i = 0; i < records; ++i) {
        const QByteArray first =
            QByteArray::number(1 + (i * 7919LL) % 1000000000).rightJustified(15, '0');
        const QByteArray second = QByteArray::number(100 + i).rightJustified(15, '0');
        block += "2B123456782005" + KeyText(i) + (i % 3 ? '+' : '-') + first + '+' + second + '\n';
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return true;
}

bool WriteText(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray line =
        "Texto de la memoria con acentos: \xe1\xe9\xed\xf3\xfa \xf1 y m\xe1s.\r\n";
    QByteArray block;
    while (block.size() < (1 << 20))
        block += line;
    for (qint64 written = 0; written < size; written += block.size())
        file.write(block.left(std::min<qint64>(block.size(), size - written)));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // "--profile N": only the accounts reader, N more times, for a profiler.
    const int profileRuns =
        argc > 2 && QByteArrayView(argv[1]) == "--profile" ? std::atoi(argv[2]) : 0;
    QTemporaryDir root;
    PathResolver::SetDriveRoot(u'C', root.path());
    QDir(root.path()).mkpath(u"TMP_VK7"_s);
    const QString folder = root.path() + u"/TMP_VK7/"_s;
    const int records = 1000000;
    if (!WriteAccounts(folder + u"DATOS.ASC"_s, records) ||
        !WriteText(folder + u"MEMORIA.TXT"_s, 25LL * 1000 * 1000)) {
        std::fprintf(stderr, "cannot write the test files\n");
        return 1;
    }

    DepositState state;
    CFileCopyDialog dialog(state);

    // Warm the page cache for both contenders alike.
    QFile warm(folder + u"DATOS.ASC"_s);
    warm.open(QIODevice::ReadOnly);
    while (!warm.read(1 << 20).isEmpty()) {
    }
    warm.close();

    QElapsedTimer timer;
    timer.start();
    bool read = dialog.ReadAccountsFile(u"DATOS.ASC"_s);
    if (profileRuns > 0) {
        for (int run = 0; run < profileRuns; ++run) {
            state.fields.RemoveAll();
            timer.restart();
            dialog.ReadAccountsFile(u"DATOS.ASC"_s);
            std::printf("run %d: %.3f s\n", run + 2, timer.nsecsElapsed() / 1e9);
        }
        return 0;
    }

    // The machine may be shared: reader and mawk take turns, and the medians
    // are compared.
    constexpr int kRuns = 5;
    std::vector<double> readerSeconds;
    std::vector<double> awkSeconds;
    bool awkRan = true;
    for (int run = 0; run < kRuns; ++run) {
        state.fields.RemoveAll();
        timer.restart();
        read = dialog.ReadAccountsFile(u"DATOS.ASC"_s) && read;
        readerSeconds.push_back(timer.nsecsElapsed() / 1e9);

        timer.restart();
        QProcess awk;
        awk.setStandardOutputFile(QProcess::nullDevice());
        awk.start(u"mawk"_s,
                  {u"{ print substr($0, 15, 6), substr($0, 21, 16), substr($0, 37, 16) }"_s,
                   folder + u"DATOS.ASC"_s});
        awkRan = awk.waitForFinished(-1) && awk.exitCode() == 0 && awkRan;
        awkSeconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };

    std::printf("DATOS.ASC: %d data records with distinct keys, %lld bytes\n", records,
                static_cast<long long>(QFile(folder + u"DATOS.ASC"_s).size()));
    std::printf("ReadAccountsFile, median of %d: %.3f s (%s, %lld records stored)\n", kRuns,
                median(readerSeconds), read ? "true" : "false",
                static_cast<long long>(state.fields.GetSize()));
    if (awkRan) {
        std::printf("mawk, same columns, median of %d:  %.3f s\n", kRuns, median(awkSeconds));
        std::printf("ratio reader/mawk:  %.2f (goal <= 1.0)\n",
                    median(readerSeconds) / median(awkSeconds));
    } else {
        std::printf("mawk could not be run\n");
    }

    TextPageList pages;
    timer.restart();
    const bool text = dialog.ReadTextFile(u"MEMORIA.TXT"_s, pages);
    const double textSeconds = timer.nsecsElapsed() / 1e9;
    std::printf("ReadTextFile, 25 MB without form feeds: %.3f s (%s, %lld pages)\n", textSeconds,
                text ? "true" : "false", static_cast<long long>(pages.size()));
    timer.restart();
    qint64 characters = 0;
    for (const QString &page : pages)
        characters += page.size();
    std::printf("Every page read back and decoded: %.3f s (%lld characters)\n",
                timer.nsecsElapsed() / 1e9, static_cast<long long>(characters));
    return 0;
}
