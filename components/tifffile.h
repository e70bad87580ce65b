#pragma once

#include <memory>

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "reception/failure.h"

namespace vk7 {

// The one place that talks to libtiff. It opens a host file for reading or
// writing, walks its directories without decoding them and decodes one page at
// a time into a QImage. libtiff's warnings and errors go to Qt logging
// (category "vk7.imaging"), never to stderr.
// Packs a row of 8-bit grey pixels into bits, most significant first, with
// 1 for pixels darker than mid-grey (below 128).
void PackDarkPixels(const uchar *grey, int width, uchar *bits);

class TiffFile
{
public:
    // Pages whose decoded bitmap would exceed this many bytes are refused
    // before anything is allocated: 128 MiB holds an A3 colour page at 400 dpi
    // or a bilevel page of 30000 x 30000, far beyond any scanned page.
    static constexpr qint64 kMaxDecodedPageBytes = qint64(128) * 1024 * 1024;
    // Neither side of a page may exceed this (QImage's own limit is 32767).
    static constexpr int kMaxPageSide = 32000;
    // Directories counted at most: a directory chain longer than this is not a
    // document but a broken or hostile file.
    static constexpr int kMaxPages = 32000;

    TiffFile();
    ~TiffFile();
    TiffFile(const TiffFile &) = delete;
    TiffFile &operator=(const TiffFile &) = delete;

    // Host paths only; the callers resolve the system's paths first.
    bool OpenForReading(const QString &hostPath);
    bool OpenForWriting(const QString &hostPath);
    void Close();
    bool IsOpen() const;
    // The first read, write, open or close the machine refused since the
    // last Open (Kind::None when none): a false above that comes with one
    // is the machine's fault, not the image's. It outlives Close.
    Failure IoFailure() const;

    // Number of directories (pages), counted by walking the chain; -1 when
    // the chain is broken or longer than `limit`.
    int PageCount(int limit = kMaxPages);

    // Makes page `index` (from 0) current and reads its size from the
    // directory, decoding nothing.
    bool SelectPage(int index);
    QSize CurrentPageSize() const;

    // Decodes the current page. Bilevel pages become Format_Mono with white
    // and black in the colour table; anything else becomes Format_RGB32 or
    // Format_ARGB32. The image's resolution is taken from the file when it
    // has one.
    bool ReadCurrentPage(QImage *page);

    // The current page's coded data as stored, when it is a bilevel page
    // coded CCITT Group 4 in a single strip: what a PDF can embed as it is.
    // False for any other page (the caller decodes it instead).
    struct CodedPage
    {
        QByteArray g4; // most significant bit first
        QSize size;
        int dotsPerMeterX = 0; // 0 when the file does not say
        int dotsPerMeterY = 0;
        bool blackIs1 = false; // the stored 1 bits are white (min-is-black)
    };
    bool ReadCurrentPageCoded(CodedPage *page);

    // Appends one page as a 1-bit CCITT Group 4 image, white 0, at the given
    // resolution. Pixels darker than mid-grey are black.
    bool WriteBilevelPage(const QImage &page, int dotsPerInch);

    // Whether a page of this size and bit depth (bits per pixel of the
    // decoded bitmap) may be decoded.
    static bool PageSizeAcceptable(qint64 width, qint64 height, int bitsPerPixel);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace vk7
