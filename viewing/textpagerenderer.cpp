#include "textpagerenderer.h"

#include <cmath>
#include <vector>

#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include "components/imaging.h"
#include "components/tifffile.h"
#include "reception/cfiletools.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype ShortLine = 80;
constexpr qsizetype CutWindowEnd = 84;
constexpr qsizetype LastCut = 85;

const QString &FontFamily()
{
    static const QString family = u"Nimbus Mono PS"_s;
    return family;
}

bool IsCutCharacter(QChar c)
{
    return c == u' ' || c == u'\r';
}

} // namespace

QString TakeTextLine(QString *rest)
{
    const QString &text = *rest;
    const qsizetype lineEnd = text.indexOf(u"\r\n"_s);
    const qsizetype n = lineEnd < 0 ? text.size() : lineEnd;
    if (n <= ShortLine) {
        QString line = text.left(n);
        *rest = lineEnd < 0 ? QString() : text.mid(n + 2);
        return line;
    }
    qsizetype cut = -1;
    for (qsizetype i = ShortLine; i <= CutWindowEnd && i < text.size(); ++i) {
        if (IsCutCharacter(text.at(i))) {
            cut = i;
            break;
        }
    }
    if (cut < 0) {
        for (qsizetype i = std::min(LastCut, text.size() - 1); i > 0; --i) {
            if (IsCutCharacter(text.at(i))) {
                cut = i;
                break;
            }
        }
    }
    if (cut < 0)
        cut = ShortLine;
    const qsizetype lineLength = text.at(cut) == u' ' ? cut + 1 : cut;
    QString line = text.left(lineLength);
    *rest = text.mid(lineLength);
    return line;
}

QList<QStringList> LayOutTextPage(const QString &pageText)
{
    QList<QStringList> pages;
    QString rest = pageText;
    do {
        QStringList lines;
        while (!rest.isEmpty() && lines.size() < TextLinesPerPage)
            lines.append(TakeTextLine(&rest));
        pages.append(lines);
    } while (!rest.isEmpty());
    return pages;
}

QFont TextPageFont()
{
    static const bool available = [] {
        if (QFontDatabase::hasFamily(FontFamily()))
            return true;
        // Not registered with fontconfig: load the face from the package.
        const int id = QFontDatabase::addApplicationFont(
            u"/usr/share/fonts/opentype/urw-base35/NimbusMonoPS-Bold.otf"_s);
        return id >= 0;
    }();
    Q_UNUSED(available);
    QFont font(FontFamily());
    font.setPixelSize(TextFontPixelSize);
    font.setWeight(QFont::Bold);
    font.setStyleHint(QFont::TypeWriter, QFont::NoAntialias);
    font.setFixedPitch(true);
    font.setKerning(false);
    return font;
}

namespace {

// The line as painted: control characters become blanks.
QString ShownLine(const QString &line)
{
    QString shown = line;
    for (QChar &c : shown) {
        if (c.unicode() < 32 || c.category() == QChar::Other_Control)
            c = u' ';
    }
    return shown;
}

const QRawFont &PageRawFont()
{
    static const QRawFont rawFont = QRawFont::fromFont(TextPageFont());
    return rawFont;
}

} // namespace

void PaintTextPage(QPainter &painter, const QStringList &lines)
{
    // The font is monospaced and the texts need no shaping, so each line is
    // one glyph run placed by the glyphs' own advances: the same pixels as
    // drawText, without laying out the text again for every line.
    const QRawFont &rawFont = PageRawFont();
    painter.save();
    painter.fillRect(QRect(0, 0, TextPageWidth, TextPageHeight), Qt::white);
    painter.setPen(Qt::black);
    QList<QPointF> positions;
    int y = 0;
    for (const QString &line : lines) {
        if (y >= TextPageBottom)
            break;
        const QList<quint32> glyphs = rawFont.glyphIndexesForString(ShownLine(line));
        const QList<QPointF> advances = rawFont.advancesForGlyphIndexes(glyphs);
        positions.resize(glyphs.size());
        qreal x = TextLineX;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            positions[i] = QPointF(x, y + TextBaselineOffset);
            x += advances.at(i).x();
        }
        QGlyphRun run;
        run.setRawFont(rawFont);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
        y += TextLineStep;
    }
    painter.restore();
}

namespace {

// 1-bit masks of glyphs as PaintTextPage paints them. The raster engine
// places a glyph at the floor of its pen position plus an offset that
// depends only on the position's fraction, so one mask per glyph and
// fraction, painted once through QPainter, reproduces every later drawing of
// that glyph by a shift of whole pixels.
class GlyphMasks
{
public:
    struct Mask
    {
        int left = 0; // from the floor of the pen position
        int top = 0;  // from the line's top
        int width = 0;
        int height = 0;
        qsizetype stride = 0;
        std::vector<uchar> bits; // rows of packed bits, 1 = black
    };

    const Mask &Get(quint32 glyph, qreal fraction)
    {
        const quint64 key = (quint64(glyph) << 32) | quint32(qRound(fraction * 65536.0));
        auto it = masks_.find(key);
        if (it == masks_.end())
            it = masks_.insert(key, Paint(glyph, fraction));
        return *it;
    }

private:
    // The scratch page leaves a line's height and a little more on every side.
    static constexpr int kOriginX = 64;
    static constexpr int kOriginY = 2 * TextLineStep;

    Mask Paint(quint32 glyph, qreal fraction)
    {
        if (scratch_.isNull())
            scratch_ = QImage(kOriginX * 3, kOriginY * 2 + TextLineStep, QImage::Format_Grayscale8);
        scratch_.fill(Qt::white);
        {
            QPainter painter(&scratch_);
            painter.setPen(Qt::black);
            QGlyphRun run;
            run.setRawFont(PageRawFont());
            run.setGlyphIndexes({glyph});
            run.setPositions({QPointF(kOriginX + fraction, kOriginY + TextBaselineOffset)});
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        int x0 = scratch_.width(), y0 = scratch_.height(), x1 = -1, y1 = -1;
        for (int y = 0; y < scratch_.height(); ++y) {
            const uchar *row = scratch_.constScanLine(y);
            for (int x = 0; x < scratch_.width(); ++x) {
                if (row[x] < 128) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y);
                }
            }
        }
        Mask mask;
        if (x1 < 0)
            return mask; // a blank
        mask.left = x0 - kOriginX;
        mask.top = y0 - kOriginY;
        mask.width = x1 - x0 + 1;
        mask.height = y1 - y0 + 1;
        mask.stride = (mask.width + 7) / 8;
        mask.bits.assign(size_t(mask.stride * mask.height), 0);
        for (int y = 0; y < mask.height; ++y)
            PackDarkPixels(scratch_.constScanLine(y0 + y) + x0, mask.width,
                           mask.bits.data() + y * mask.stride);
        return mask;
    }

    QHash<quint64, Mask> masks_;
    QImage scratch_;
};

// ORs a mask into a 1-bit page with its top-left corner at (x, y), clipped
// to the page. Source bytes are shifted into place a byte at a time.
void BlitMask(QImage &page, const GlyphMasks::Mask &mask, int x, int y)
{
    const int width = page.width();
    const qsizetype stride = page.bytesPerLine();
    uchar *bits = page.bits();
    const bool inside = x >= 0 && x + mask.width <= width;
    const int shift = x & 7;
    const int firstByte = x >> 3; // floor, also for a negative x
    for (int row = 0; row < mask.height; ++row) {
        const int py = y + row;
        if (py < 0 || py >= page.height())
            continue;
        uchar *dest = bits + py * stride;
        const uchar *source = mask.bits.data() + row * mask.stride;
        if (inside) {
            // The bytes past the mask's width are zero, so whole bytes can go.
            uchar *d = dest + firstByte;
            for (qsizetype i = 0; i < mask.stride; ++i) {
                const uchar byte = source[i];
                d[i] |= uchar(byte >> shift);
                // Spilled bits are mask pixels, so inside the row when any.
                const uchar spill = shift ? uchar(byte << (8 - shift)) : 0;
                if (spill)
                    d[i + 1] |= spill;
            }
            continue;
        }
        for (int column = 0; column < mask.width; ++column) {
            const int px = x + column;
            if (px >= 0 && px < width && (source[column >> 3] & (0x80 >> (column & 7))))
                dest[px >> 3] |= uchar(0x80 >> (px & 7));
        }
    }
}

} // namespace

QImage RenderTextPageImage(const QStringList &lines)
{
    // One cache per thread: pages may be rendered off the window's thread.
    thread_local GlyphMasks masks;
    const QRawFont &rawFont = PageRawFont();
    QImage page(TextPageWidth, TextPageHeight, QImage::Format_Mono);
    if (page.isNull())
        return page;
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    const int dots = int(200 / 0.0254 + 0.5);
    page.setDotsPerMeterX(dots);
    page.setDotsPerMeterY(dots);
    int y = 0;
    for (const QString &line : lines) {
        if (y >= TextPageBottom)
            break;
        const QList<quint32> glyphs = rawFont.glyphIndexesForString(ShownLine(line));
        const QList<QPointF> advances = rawFont.advancesForGlyphIndexes(glyphs);
        qreal x = TextLineX;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            const qreal whole = std::floor(x);
            const GlyphMasks::Mask &mask = masks.Get(glyphs.at(i), x - whole);
            if (mask.width > 0)
                BlitMask(page, mask, int(whole) + mask.left, y + mask.top);
            x += advances.at(i).x();
        }
        y += TextLineStep;
    }
    return page;
}

bool RenderTextPageFiles(const QStringList &pageTexts, const QString &folder, const QString &prefix)
{
    CFileTools tools;
    tools.DeleteMatchingFiles(folder + prefix + u"*"_s, false);

    int pageNumber = 1;
    for (const QString &pageText : pageTexts) {
        for (const QStringList &lines : LayOutTextPage(pageText)) {
            const QImage page = RenderTextPageImage(lines);
            const QString name = folder + prefix + QString::asprintf("%02d", pageNumber);
            if (page.isNull() || SaveImageFile(name, page) != 1)
                return false;
            ++pageNumber;
        }
    }
    return true;
}

} // namespace vk7
