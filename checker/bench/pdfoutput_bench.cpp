// vk7check --pdf of a deposit with 300 scanned Group 4 pages and a 200-page
// text, beside the same page images put into one PDF by libtiff's tools in
// the same run (tiffcp to gather them, tiff2pdf to convert: the scans plus
// the text pages vk7check rendered). Prints time and size of both and the
// ratios; the peer's time is given also with the text rendered by
// enscript | gs, the tools' own way to make those pages.

#include <cstdio>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "components/imaging.h"
#include "examples/sampledeposit.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

constexpr int kScannedPages = 300; // 75 in each of the four image lists
constexpr int kTextPages = 200;

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The sample deposit with its images and texts replaced by the bench's.
bool WriteDeposit(const QString &folder, QString *textPath)
{
    QStringList manifest;
    for (const samples::SampleFile &file : samples::SampleDepositFiles()) {
        if (file.imageSeed > 0 || file.name == u"MEMORIA.TXT"_s || file.name == u"GESTION.TXT"_s)
            continue;
        manifest.append(file.name);
        if (file.name != u"FICHERO.TXT"_s && !WriteFile(folder + u'/' + file.name, file.bytes))
            return false;
    }
    const QStringList lists{u"MEMORIA.M%1"_s, u"GESTION.G%1"_s, u"AUDITOR.0%1"_s, u"ANUNCIO.0%1"_s};
    int seed = 1;
    for (const QString &pattern : lists) {
        for (int n = 1; n <= kScannedPages / 4; ++n) {
            const QString name = pattern.arg(n, 2, 10, QLatin1Char('0'));
            if (SaveImageFile(folder + u'/' + name, samples::ScannedPage(seed++)).Failed())
                return false;
            manifest.append(name);
        }
    }
    const QStringList pages = samples::ProsePages(kTextPages);
    *textPath = folder + u"/MEMORIA.TXT"_s;
    if (!WriteFile(*textPath, pages.join(u"\f"_s).toLatin1()))
        return false;
    manifest.insert(1, u"MEMORIA.TXT"_s);
    return WriteFile(folder + u"/FICHERO.TXT"_s, (manifest.join(u"\r\n"_s) + u"\r\n"_s).toLatin1());
}

struct Run
{
    double seconds = -1;
    int exitCode = -1;
    QByteArray out, err;
};

Run Timed(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    Run run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

int PdfPages(const QString &pdf)
{
    const Run info = Timed(u"pdfinfo"_s, {pdf});
    for (const QByteArray &line : info.out.split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (const QString &tool : {u"tiffcp"_s, u"tiff2pdf"_s, u"pdfinfo"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            std::fprintf(stderr, "%s is missing (libtiff-tools, poppler-utils)\n",
                         qPrintable(tool));
            return 1;
        }
    }
    QTemporaryDir dir;
    const QString deposit = dir.filePath(u"deposit"_s);
    const QString root = dir.filePath(u"c"_s);
    QDir().mkpath(deposit);
    QString textPath;
    if (!WriteDeposit(deposit, &textPath)) {
        std::fprintf(stderr, "cannot write the deposit\n");
        return 1;
    }
    const QString vk7check = QStringLiteral(VK7_BIN_DIR) + u"/vk7check"_s;
    // The fingerprint the deposit has, so that it is checked as a valid one.
    const Run probe =
        Timed(vk7check, {u"--root"_s, root, u"--json"_s, deposit, u"00000000000000000000000000"_s});
    const QString fingerprint =
        QJsonDocument::fromJson(probe.out).object().value(u"computedFingerprint"_s).toString();

    const QString ourPdf = dir.filePath(u"vk7.pdf"_s);
    const Run ours =
        Timed(vk7check, {u"--root"_s, root, u"--pdf"_s, ourPdf, u"--print"_s,
                         u"memoria,gestion,auditoria,anuncios"_s, deposit, fingerprint});
    const int ourPages = PdfPages(ourPdf);
    // 0 or 1: the deposit's verdict does not change what is printed.
    if (ours.exitCode > 1 || ourPages != kScannedPages + kTextPages) {
        std::fprintf(stderr, "vk7check --pdf failed (exit %d, %d pages): %s\n", ours.exitCode,
                     ourPages, ours.err.constData());
        return 1;
    }

    // The peer: the same page images, in the same order, into one PDF.
    QStringList images;
    const QString work = root + u"/TMP_VK7/"_s;
    for (const QString &pattern : {u"MEMORIA.M%1"_s})
        for (int n = 1; n <= kScannedPages / 4; ++n)
            images << work + pattern.arg(n, 2, 10, QLatin1Char('0'));
    for (int p = 1; p <= kTextPages; ++p)
        images << work + u"K7.M%1"_s.arg(p, 2, 10, QLatin1Char('0'));
    for (const QString &pattern : {u"GESTION.G%1"_s, u"AUDITOR.0%1"_s, u"ANUNCIO.0%1"_s})
        for (int n = 1; n <= kScannedPages / 4; ++n)
            images << work + pattern.arg(n, 2, 10, QLatin1Char('0'));
    const QString gathered = dir.filePath(u"all.tif"_s);
    const QString peerPdf = dir.filePath(u"tiff2pdf.pdf"_s);
    const Run gather = Timed(u"tiffcp"_s, images + QStringList{gathered});
    const Run convert = Timed(u"tiff2pdf"_s, {u"-o"_s, peerPdf, gathered});
    const int peerPages = PdfPages(peerPdf);
    if (gather.exitCode != 0 || convert.exitCode != 0 || peerPages != ourPages) {
        std::fprintf(stderr, "tiffcp | tiff2pdf failed (%d pages)\n", peerPages);
        return 1;
    }
    const double peer = gather.seconds + convert.seconds;

    // The tools' own way to make the text pages, for the second figure.
    double textPeer = -1;
    if (!QStandardPaths::findExecutable(u"enscript"_s).isEmpty() &&
        !QStandardPaths::findExecutable(u"gs"_s).isEmpty()) {
        QString all = QString::fromLatin1([&] {
            QFile f(textPath);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }());
        all.replace(u"\r\n"_s, u"\n"_s).replace(u"\f"_s, u"\n"_s);
        const QString plain = dir.filePath(u"text.txt"_s);
        WriteFile(plain, all.toLatin1());
        const Run text =
            Timed(u"sh"_s,
                  {u"-c"_s, u"enscript -q -B -M A4 -L 66 -s 0 -f Courier-Bold@11 -p - '%1' | "
                            "gs -q -dBATCH -dNOPAUSE -dSAFER -sPAPERSIZE=a4 -sDEVICE=tiffg4 "
                            "-r200 -sOutputFile='%2' -"_s.arg(plain, dir.filePath(u"gs.tif"_s))});
        if (text.exitCode == 0)
            textPeer = text.seconds;
    }

    const qint64 ourSize = QFileInfo(ourPdf).size();
    const qint64 peerSize = QFileInfo(peerPdf).size();
    std::printf("deposit: %d scanned G4 pages in %d files, a text of %d pages\n", kScannedPages,
                kScannedPages, kTextPages);
    std::printf("vk7check --pdf (check + output): %.3f s, %lld bytes, %d pages\n", ours.seconds,
                ourSize, ourPages);
    std::printf("tiffcp + tiff2pdf (same images): %.3f s, %lld bytes, %d pages\n", peer, peerSize,
                peerPages);
    std::printf("ratio (vk7check / peer): time %.2f, size %.2f\n", ours.seconds / peer,
                double(ourSize) / double(peerSize));
    if (textPeer >= 0)
        std::printf("peer with the text rendered by enscript | gs: %.3f s; ratio time %.2f\n",
                    peer + textPeer, ours.seconds / (peer + textPeer));
    return 0;
}
