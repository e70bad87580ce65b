#include "textpagerenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <mutex>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QRawFont>
#include <QSet>
#include <QThread>
#include <QtEndian>

#include "components/printdevice.h"
#include "components/tifffile.h"
#include "reception/filetools.h"
#include "reception/paths.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kShortLine = 80;
constexpr qsizetype kCutWindowEnd = 84;
constexpr qsizetype kLastCut = 85;

const QString &FontFamily()
{
    static const QString family = u"Nimbus Mono PS"_s;
    return family;
}

// The file of the family's bold face as fontconfig knows it, for a font
// database that does not list the family itself. Empty when there is none.
QString FontFileByFamily(const QString &family)
{
    FcConfig *config = FcInitLoadConfigAndFonts();
    if (!config)
        return {};
    const QByteArray name = family.toUtf8();
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(name.constData()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcObjectSet *objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet *fonts = FcFontList(config, pattern, objects);
    // An OpenType face is preferred to the same face in Type 1.
    QString file;
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8 *path = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &path) != FcResultMatch)
            continue;
        const QString found = QString::fromUtf8(reinterpret_cast<const char *>(path));
        if (file.isEmpty() || found.endsWith(u".otf"_s, Qt::CaseInsensitive))
            file = found;
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return file;
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
    if (n <= kShortLine) {
        QString line = text.left(n);
        *rest = lineEnd < 0 ? QString() : text.mid(n + 2);
        return line;
    }
    qsizetype cut = -1;
    for (qsizetype i = kShortLine; i <= kCutWindowEnd && i < text.size(); ++i) {
        if (IsCutCharacter(text.at(i))) {
            cut = i;
            break;
        }
    }
    if (cut < 0) {
        for (qsizetype i = std::min(kLastCut, text.size() - 1); i > 0; --i) {
            if (IsCutCharacter(text.at(i))) {
                cut = i;
                break;
            }
        }
    }
    if (cut < 0)
        cut = kShortLine;
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
        while (!rest.isEmpty() && lines.size() < kTextLinesPerPage)
            lines.append(TakeTextLine(&rest));
        pages.append(lines);
    } while (!rest.isEmpty());
    return pages;
}

qint64 LaidOutPageCount(const TextPageList &pages, std::stop_token stop)
{
    qint64 count = 0;
    for (const QString &page : pages) {
        if (stop.stop_requested())
            break;
        count += LayOutTextPage(page).size();
    }
    return count;
}

QFont TextPageFont()
{
    // Application fonts belong to the running application, so the family is
    // looked up (and, when missing, loaded) for each one.
    if (!QFontDatabase::hasFamily(FontFamily())) {
        const QString file = FontFileByFamily(FontFamily());
        if (!file.isEmpty())
            QFontDatabase::addApplicationFont(file);
    }
    QFont font(FontFamily());
    font.setPixelSize(kTextFontPixelSize);
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

// The raw page font belongs to the application that loaded the font: it is
// kept by a child of the application object, so it goes with that object and
// a later application makes its own.
class RawFontHolder : public QObject
{
public:
    QRawFont font;
};

QRawFont PageRawFont()
{
    static std::mutex mutex;
    static QPointer<QObject> holder;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return QRawFont::fromFont(TextPageFont());
    // Made on the application's thread: a font made on a work thread dies
    // with that thread's font library, which goes when the work ends.
    if (QThread::currentThread() != application->thread()) {
        {
            const std::lock_guard lock(mutex);
            if (holder)
                return static_cast<RawFontHolder *>(holder.data())->font;
        }
        // Made beforehand by whoever starts work threads (PreparePageFont);
        // this is the way for one that did not.
        QMetaObject::invokeMethod(
            application, [] { PageRawFont(); }, Qt::BlockingQueuedConnection);
        const std::lock_guard lock(mutex);
        return static_cast<RawFontHolder *>(holder.data())->font;
    }
    const std::lock_guard lock(mutex);
    if (!holder) {
        auto *made = new RawFontHolder;
        made->font = QRawFont::fromFont(TextPageFont());
        made->setParent(application);
        holder = made;
    }
    return static_cast<RawFontHolder *>(holder.data())->font;
}

} // namespace

void PreparePageFont()
{
    if (QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread())
        PageRawFont();
}

void PaintTextPage(QPainter &painter, const QStringList &lines)
{
    // The font is monospaced and the texts need no shaping, so each line is
    // one glyph run placed by the glyphs' own advances: the same pixels as
    // drawText, without laying out the text again for every line.
    const QRawFont &rawFont = PageRawFont();
    painter.save();
    painter.fillRect(QRect(0, 0, kTextPageWidth, kTextPageHeight), Qt::white);
    painter.setPen(Qt::black);
    QList<QPointF> positions;
    int y = 0;
    for (const QString &line : lines) {
        if (y >= kTextPageBottom)
            break;
        const QList<quint32> glyphs = rawFont.glyphIndexesForString(ShownLine(line));
        const QList<QPointF> advances = rawFont.advancesForGlyphIndexes(glyphs);
        positions.resize(glyphs.size());
        qreal x = kTextLineX;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            positions[i] = QPointF(x, y + kTextBaselineOffset);
            x += advances.at(i).x();
        }
        QGlyphRun run;
        run.setRawFont(rawFont);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
        y += kTextLineStep;
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
        // For a mask of at most 57 pixels: each row as a 64-bit word in the
        // page's byte order, shifted right by 0 to 7 pixels (all rows of
        // shift 0, then of shift 1, ...), so that a row is OR-ed into the
        // page with one load and one store. Empty for wider masks.
        std::vector<quint64> words;
    };

    const Mask &Get(quint32 glyph, qreal fraction)
    {
        // A glyph meets only a few fractions: a short list per glyph is
        // searched faster than a hash.
        const quint32 key = quint32(qRound(fraction * 65536.0));
        if (glyph >= byGlyph_.size())
            byGlyph_.resize(size_t(glyph) + 1);
        auto &masks = byGlyph_[glyph];
        for (const auto &[maskKey, mask] : masks) {
            if (maskKey == key)
                return *mask;
        }
        masks.emplace_back(key, std::make_unique<Mask>(Paint(glyph, fraction)));
        return *masks.back().second;
    }

private:
    // The scratch page leaves a line's height and a little more on every side.
    static constexpr int kOriginX = 64;
    static constexpr int kOriginY = 2 * kTextLineStep;

    Mask Paint(quint32 glyph, qreal fraction)
    {
        if (scratch_.isNull())
            scratch_ =
                QImage(kOriginX * 3, kOriginY * 2 + kTextLineStep, QImage::Format_Grayscale8);
        scratch_.fill(Qt::white);
        {
            QPainter painter(&scratch_);
            painter.setPen(Qt::black);
            QGlyphRun run;
            run.setRawFont(PageRawFont());
            run.setGlyphIndexes({glyph});
            run.setPositions({QPointF(kOriginX + fraction, kOriginY + kTextBaselineOffset)});
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        const int width = scratch_.width();
        const int height = scratch_.height();
        int x0 = width, y0 = height, x1 = -1, y1 = -1;
        for (int y = 0; y < height; ++y) {
            const uchar *row = scratch_.constScanLine(y);
            for (int x = 0; x < width; ++x) {
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
        if (mask.width + 7 <= 64) {
            mask.words.resize(size_t(8 * mask.height));
            for (int y = 0; y < mask.height; ++y) {
                quint64 row = 0;
                for (qsizetype i = 0; i < mask.stride; ++i)
                    row |= quint64(mask.bits[size_t(y * mask.stride + i)]) << (56 - 8 * i);
                for (int shift = 0; shift < 8; ++shift)
                    mask.words[size_t(shift * mask.height + y)] = qToBigEndian(row >> shift);
            }
        }
        return mask;
    }

    std::vector<std::vector<std::pair<quint32, std::unique_ptr<Mask>>>> byGlyph_;
    QImage scratch_;
};

// A 1-bit page's rows as the blitter writes them.
struct PageBits
{
    uchar *bits = nullptr;
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
};

// ORs a mask into a 1-bit page with its top-left corner at (x, y), clipped
// to the page.
void BlitMask(const PageBits &page, const GlyphMasks::Mask &mask, int x, int y)
{
    const bool inside = x >= 0 && x + mask.width <= page.width;
    const int shift = x & 7;
    const int firstByte = x >> 3; // floor, also for a negative x
    if (inside && !mask.words.empty() && firstByte + 8 <= page.stride && y >= 0 &&
        y + mask.height <= page.height) {
        // A whole mask row in one word: the bytes it covers past the mask's
        // own are OR-ed with zeros, and all of them lie inside the page's row.
        const quint64 *source = mask.words.data() + size_t(shift * mask.height);
        uchar *dest = page.bits + y * page.stride + firstByte;
        for (int row = 0; row < mask.height; ++row, dest += page.stride) {
            quint64 word;
            std::memcpy(&word, dest, sizeof word);
            word |= source[row];
            std::memcpy(dest, &word, sizeof word);
        }
        return;
    }
    for (int row = 0; row < mask.height; ++row) {
        const int py = y + row;
        if (py < 0 || py >= page.height)
            continue;
        uchar *dest = page.bits + py * page.stride;
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
            if (px >= 0 && px < page.width && (source[column >> 3] & (0x80 >> (column & 7))))
                dest[px >> 3] |= uchar(0x80 >> (px & 7));
        }
    }
}

} // namespace

namespace {

// Glyphs and advances of the characters below 256, as the page's raw font
// gives them for a line of such characters one by one (a code unit there
// is one glyph, and an advance does not depend on its neighbours), so that
// most lines are laid out without asking the font.
class Latin1Glyphs
{
public:
    Latin1Glyphs()
    {
        const QRawFont &rawFont = PageRawFont();
        for (int c = 0; c < 256; ++c) {
            const QList<quint32> glyphs =
                rawFont.glyphIndexesForString(ShownLine(QString(QChar(c))));
            if (glyphs.size() != 1)
                continue; // lines with it take the font's own way
            glyphs_[c] = glyphs.first();
            advances_[c] = rawFont.advancesForGlyphIndexes(glyphs).first().x();
            known_[c] = true;
        }
    }

    // False when a character of the line is not in the table.
    bool Lay(const QString &line, QList<quint32> *glyphs, QList<qreal> *advances) const
    {
        glyphs->resize(line.size());
        advances->resize(line.size());
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char16_t c = line.at(i).unicode();
            if (c >= 256 || !known_[c])
                return false;
            (*glyphs)[i] = glyphs_[c];
            (*advances)[i] = advances_[c];
        }
        return true;
    }

private:
    quint32 glyphs_[256] = {};
    qreal advances_[256] = {};
    bool known_[256] = {};
};

} // namespace

QImage RenderTextPageImage(const QStringList &lines)
{
    // One cache per thread: pages may be rendered off the window's thread.
    thread_local GlyphMasks masks;
    thread_local const Latin1Glyphs latin1;
    QList<quint32> glyphs;
    QList<qreal> advances;
    const QRawFont &rawFont = PageRawFont();
    QImage page(kTextPageWidth, kTextPageHeight, QImage::Format_Mono);
    if (page.isNull())
        return page;
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    const int dots = int(200 / 0.0254 + 0.5);
    page.setDotsPerMeterX(dots);
    page.setDotsPerMeterY(dots);
    const PageBits pageBits{page.bits(), page.width(), page.height(), page.bytesPerLine()};
    int y = 0;
    for (const QString &line : lines) {
        if (y >= kTextPageBottom)
            break;
        if (!latin1.Lay(line, &glyphs, &advances)) {
            glyphs = rawFont.glyphIndexesForString(ShownLine(line));
            advances.clear();
            for (const QPointF &advance : rawFont.advancesForGlyphIndexes(glyphs))
                advances.append(advance.x());
        }
        qreal x = kTextLineX;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            const qreal whole = std::floor(x);
            const GlyphMasks::Mask &mask = masks.Get(glyphs.at(i), x - whole);
            if (mask.width > 0)
                BlitMask(pageBits, mask, int(whole) + mask.left, y + mask.top);
            x += advances.at(i);
        }
        y += kTextLineStep;
    }
    return page;
}

namespace {

// Host paths of the page files of one folder and prefix, named as the path
// resolver names them (an entry that matches regardless of case is written
// over), with the folder resolved and read once rather than for every page.
class PageFileNames
{
public:
    explicit PageFileNames(const QString &base)
    {
        const qsizetype cut = std::max(base.lastIndexOf(u'\\'), base.lastIndexOf(u'/')) + 1;
        prefix_ = base.mid(cut);
        folder_ = PathResolver::Resolve(cut > 0 ? base.left(cut) : u"."_s);
        if (folder_.isEmpty())
            return;
        if (!folder_.endsWith(u'/'))
            folder_ += u'/';
        const QString upperPrefix = AsciiUpper(prefix_);
        const QStringList entries = QDir(folder_).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QString &entry : entries) {
            const QString upper = AsciiUpper(entry);
            if (!upper.startsWith(upperPrefix))
                continue;
            exact_.insert(entry);
            if (!caseless_.contains(upper))
                caseless_.insert(upper, entry);
        }
    }

    // Empty when the folder cannot be resolved.
    QString HostPath(int pageNumber) const
    {
        if (folder_.isEmpty())
            return {};
        const QString name = prefix_ + QString::asprintf("%02d", pageNumber);
        if (exact_.isEmpty() || exact_.contains(name))
            return folder_ + name;
        return folder_ + caseless_.value(AsciiUpper(name), name);
    }

private:
    QString prefix_;
    QString folder_;
    QSet<QString> exact_;
    QHash<QString, QString> caseless_;
};

} // namespace

namespace {

// One page's lines as a Group 4 page image file at 200 dpi; nothing is left
// of a file that could not be written whole.
Failure WritePageFile(const QStringList &lines, const QString &host)
{
    const QImage page = RenderTextPageImage(lines);
    const Failure unwritten = Failure::Data(u"No se puede crear la página %1"_s.arg(host), host);
    if (page.isNull() || host.isEmpty())
        return unwritten;
    TiffFile file;
    bool written = file.OpenForWriting(host) && file.WriteBilevelPage(page, 200);
    file.Close();
    const Failure failure = file.IoFailure();
    written = written && !failure.Failed();
    if (!written)
        QFile::remove(host);
    return written ? Failure() : failure.Failed() ? failure : unwritten;
}

} // namespace

Failure RenderTextPageFiles(const TextPageList &pageTexts, const QString &folder,
                            const QString &prefix, std::stop_token stop)
{
    CFileTools tools;
    tools.DeleteMatchingFiles(folder + prefix + u"*"_s, false);
    const PageFileNames names(folder + prefix);

    int pageNumber = 1;
    for (const QString &pageText : pageTexts) {
        for (const QStringList &lines : LayOutTextPage(pageText)) {
            // A stopped print ends at the next page.
            if (stop.stop_requested())
                return Failure::Stopped();
            if (const Failure failure = WritePageFile(lines, names.HostPath(pageNumber));
                failure.Failed())
                return failure;
            ++pageNumber;
        }
    }
    // The texts read back from a deposit file: a read the machine refused
    // left pages out.
    return pageTexts.IoFailure();
}

PrintRun PrintTextPagesAsRendered(const TextPageList &pageTexts, const QString &folder,
                                  const QString &prefix, PrintDevice &device, std::stop_token stop)
{
    CFileTools tools;
    tools.DeleteMatchingFiles(folder + prefix + u"*"_s, false);
    const PageFileNames names(folder + prefix);

    int pageNumber = 1;
    PrintRun run;
    run.sent = true;
    for (const QString &pageText : pageTexts) {
        for (const QStringList &lines : LayOutTextPage(pageText)) {
            const QString host = names.HostPath(pageNumber);
            run.failure = stop.stop_requested() ? Failure::Stopped() : WritePageFile(lines, host);
            if (run.failure.Failed())
                return run;
            const QString path = folder + prefix + QString::asprintf("%02d", pageNumber);
            run.pages += device.PrintPage(PageImage{path, 0, QImage()}) ? 1 : 0;
            // The device holds the page now: the file was only its way there.
            QFile::remove(host);
            ++pageNumber;
        }
    }
    run.failure = pageTexts.IoFailure();
    run.failure.KeepFirst(device.IoFailure());
    return run;
}

} // namespace vk7
