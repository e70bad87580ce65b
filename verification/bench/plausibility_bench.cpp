// Times the plausibility check of an image list of 300 scanned G4 pages
// beside tiffcp copying the same files, in the same run.

#include <cstdio>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "components/imaging.h"
#include "datafiles/depositstate.h"
#include "reception/paths.h"
#include "verification/plausibility.h"
#include "viewing/textpagerenderer.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

constexpr int kPages = 300;

// A page as a scanner gives it: text, a little speckle and a dark margin.
QImage ScannedPage(int index, QRandomGenerator &random)
{
    QStringList lines;
    for (int l = 0; l < 60; ++l)
        lines << u"Pagina %1 linea %2 de la memoria del ejercicio, balance y cuentas anuales."_s
                     .arg(index)
                     .arg(l);
    QImage page(kTextPageWidth, kTextPageHeight, QImage::Format_Grayscale8);
    {
        QPainter painter(&page);
        PaintTextPage(painter, lines);
        painter.fillRect(QRect(0, 0, 12, kTextPageHeight), Qt::black);
    }
    for (int i = 0; i < 4000; ++i)
        page.scanLine(int(random.bounded(kTextPageHeight)))[random.bounded(kTextPageWidth)] = 0;
    return page;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir drive;
    if (!drive.isValid())
        return 1;
    PathResolver::SetDriveRoot(u'C', drive.path());
    QDir().mkpath(drive.filePath(u"TMP_VK7"_s));

    DepositState state;
    QRandomGenerator random(300);
    QStringList hostFiles;
    for (int i = 1; i <= kPages; ++i) {
        const QString name = u"MEMORIA%1.TIF"_s.arg(i, 3, 10, QLatin1Char('0'));
        if (SaveImageFile(state.DepositFilePath(name), ScannedPage(i, random)).Failed())
            return 1;
        state.Images(DocumentKind::MemoriaImages) << name;
        hostFiles << drive.filePath(u"TMP_VK7/"_s + name);
    }

    QElapsedTimer timer;
    timer.start();
    const bool plausible = IsPlausibleImageList(state, DocumentKind::MemoriaImages);
    const double check = timer.nsecsElapsed() / 1e9;
    std::printf("plausibility check: %d G4 pages in %.3f s (%.2f ms a page), %s\n", kPages, check,
                check * 1000 / kPages, plausible ? "plausible" : "NOT plausible");

    if (QStandardPaths::findExecutable(u"tiffcp"_s).isEmpty()) {
        std::printf("tiffcp: not installed\n");
        return 0;
    }
    QStringList arguments = {u"-c"_s, u"g4"_s};
    arguments << hostFiles << drive.filePath(u"all.tif"_s);
    timer.restart();
    QProcess tiffcp;
    tiffcp.start(u"tiffcp"_s, arguments);
    tiffcp.waitForFinished(-1);
    const double copy = timer.nsecsElapsed() / 1e9;
    if (tiffcp.exitCode() != 0) {
        std::fprintf(stderr, "tiffcp failed\n");
        return 1;
    }
    std::printf("tiffcp -c g4:       %d G4 pages in %.3f s (%.2f ms a page)\n", kPages, copy,
                copy * 1000 / kPages);
    std::printf("ratio (tiffcp time / check time): %.2f\n", copy / check);
    return 0;
}
