// Codes the same text page 200 times with our Group 4 coder and with libtiff's
// own (a file written strip by strip), and prints the time of each.

#include <cstdio>
#include <cstring>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <tiffio.h>

#include "components/g4encoder.h"
#include "components/imaging.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

constexpr int kPages = 200;
constexpr int kWidth = 1648;
constexpr int kHeight = 2336;

// A page of bold monospaced text, 66 lines, as the page renderer makes them.
QImage TextPage()
{
    QImage drawing(kWidth, kHeight, QImage::Format_Grayscale8);
    drawing.fill(255);
    {
        QPainter painter(&drawing);
        QFont font(u"Nimbus Mono PS"_s);
        font.setPixelSize(31);
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        for (int line = 0; line < 66; ++line)
            painter.drawText(
                20, line * 35 + 26,
                u"%1 balance ejercicio cuentas anuales sociedad resultado neto"_s.arg(line));
    }
    QImage page;
    ImageFromDrawing(drawing, &page, 200);
    return page;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QImage page = TextPage();
    // libtiff wants rows without padding.
    const qsizetype lineBytes = (kWidth + 7) / 8;
    QByteArray packed(lineBytes * kHeight, '\0');
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(packed.data() + y * lineBytes, page.constScanLine(y), size_t(lineBytes));
    QTemporaryDir dir;

    QElapsedTimer timer;
    timer.start();
    qint64 bytes = 0;
    for (int i = 0; i < kPages; ++i)
        bytes += EncodeG4(reinterpret_cast<const uchar *>(packed.constData()), kWidth, kHeight,
                          lineBytes)
                     .size();
    const double ours = timer.nsecsElapsed() / 1e9;
    std::printf("our coder:     %d pages in %.3f s (%.2f ms a page), %lld bytes a page\n", kPages,
                ours, ours * 1000 / kPages, bytes / kPages);

    const QByteArray path = QFile::encodeName(dir.filePath(u"libtiff.tif"_s));
    timer.restart();
    for (int i = 0; i < kPages; ++i) {
        TIFF *tiff = TIFFOpen(path.constData(), "w");
        if (!tiff)
            return 1;
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(kWidth));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(kHeight));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(1));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(kHeight));
        if (TIFFWriteEncodedStrip(tiff, 0, packed.data(), tmsize_t(packed.size())) < 0)
            return 1;
        TIFFClose(tiff);
    }
    const double theirs = timer.nsecsElapsed() / 1e9;
    std::printf("libtiff coder: %d pages in %.3f s (%.2f ms a page, file writing included), "
                "%lld bytes a file\n",
                kPages, theirs, theirs * 1000 / kPages,
                static_cast<long long>(QFileInfo(QFile::decodeName(path)).size()));
    std::printf("ratio (libtiff time / ours): %.2f\n", theirs / ours);
    return 0;
}
