// Renders 500 pages of text as page images and, on the same text in the same
// run, the same number of pages through enscript | gs (tiffg4, 200 dpi), and
// prints pages per second for both and their ratio. An optional argument
// gives another number of pages (fewer for a run under callgrind).

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "datafiles/depositstate.h"
#include "examples/sampledeposit.h"
#include "reception/paths.h"
#include "verification/textpages.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

int pageCount = 500;

// Processor time (user + system) of this process or of its finished
// children, in seconds: on a shared machine it is steadier than wall time.
double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc > 1 && std::atoi(argv[1]) > 0)
        pageCount = std::atoi(argv[1]);
    QTemporaryDir drive;
    if (!drive.isValid())
        return 1;
    PathResolver::SetDriveRoot(u'C', drive.path());
    QDir().mkpath(drive.filePath(u"TMP_VK7"_s));

    DepositState state;
    state.Pages(DocumentKind::MemoriaText) = samples::ProsePages(pageCount);

    QElapsedTimer timer;
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    timer.start();
    const bool rendered =
        !RenderTextPages(state, DocumentKind::MemoriaText, u"C:\\TMP_VK7\\"_s).Failed();
    const double ours = timer.nsecsElapsed() / 1e9;
    const double oursCpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    const int written = QDir(drive.filePath(u"TMP_VK7"_s)).entryList({u"K7.M*"_s}).size();
    if (!rendered || written != pageCount) {
        std::fprintf(stderr, "rendering failed (%d pages)\n", written);
        return 1;
    }
    std::printf(
        "ours:            %d pages in %.3f s = %.1f pages/s (processor %.3f s = %.1f pages/s)\n",
        pageCount, ours, pageCount / ours, oursCpu, pageCount / oursCpu);

    if (QStandardPaths::findExecutable(u"enscript"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"gs"_s).isEmpty()) {
        std::printf("enscript | gs:   not installed\n");
        return 0;
    }
    // The same text; every page has exactly 66 lines, so enscript's own
    // paging at 66 lines gives the same pages.
    const QString textPath = drive.filePath(u"text.txt"_s);
    {
        QFile text(textPath);
        if (!text.open(QIODevice::WriteOnly))
            return 1;
        QString all = state.Pages(DocumentKind::MemoriaText).ToList().join(u"\r\n"_s);
        all.replace(u"\r\n"_s, u"\n"_s);
        text.write(all.toLatin1());
    }
    const QString outDir = drive.filePath(u"gs"_s);
    QDir().mkpath(outDir);
    const QString command = u"enscript -q -B -M A4 -L 66 -s 0 -f Courier-Bold@11 -p - '%1' | "
                            "gs -q -dBATCH -dNOPAUSE -dSAFER -sPAPERSIZE=a4 -sDEVICE=tiffg4 -r200 "
                            "-sOutputFile='%2/p%03d.tif' -"_s.arg(textPath, outDir);
    const double childrenBefore = CpuSeconds(RUSAGE_CHILDREN);
    timer.restart();
    QProcess shell;
    shell.start(u"sh"_s, {u"-c"_s, command});
    shell.waitForFinished(-1);
    const double theirs = timer.nsecsElapsed() / 1e9;
    const double theirsCpu = CpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    const int gsPages = QDir(outDir).entryList({u"p*.tif"_s}).size();
    if (shell.exitCode() != 0 || gsPages == 0) {
        std::fprintf(stderr, "enscript | gs failed: %s\n",
                     shell.readAllStandardError().constData());
        return 1;
    }
    std::printf(
        "enscript | gs:   %d pages in %.3f s = %.1f pages/s (processor %.3f s = %.1f pages/s)\n",
        gsPages, theirs, gsPages / theirs, theirsCpu, gsPages / theirsCpu);
    std::printf("ratio (ours / enscript|gs, pages per second): %.2f wall, %.2f processor\n",
                (pageCount / ours) / (gsPages / theirs),
                (pageCount / oursCpu) / (gsPages / theirsCpu));
    return 0;
}
