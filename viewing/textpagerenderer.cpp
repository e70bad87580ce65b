#include "textpagerenderer.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include "components/imaging.h"
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

// Paints with a raw font the caller owns for as long as it paints.
void PaintLines(QPainter &painter, const QRawFont &rawFont, const QStringList &lines)
{
    // The font is monospaced and the texts need no shaping, so each line is
    // one glyph run placed by the glyphs' own advances: the same pixels as
    // drawText, without laying out the text again for every line.
    painter.save();
    painter.fillRect(QRect(0, 0, TextPageWidth, TextPageHeight), Qt::white);
    painter.setPen(Qt::black);
    QList<QPointF> positions;
    int y = 0;
    for (const QString &line : lines) {
        if (y >= TextPageBottom)
            break;
        QString shown = line;
        for (QChar &c : shown) {
            if (c.unicode() < 32 || c.category() == QChar::Other_Control)
                c = u' ';
        }
        const QList<quint32> glyphs = rawFont.glyphIndexesForString(shown);
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
    // Application fonts belong to the running application, so the family is
    // looked up (and, when missing, loaded) for each one.
    if (!QFontDatabase::hasFamily(FontFamily())) {
        const QString file = FontFileByFamily(FontFamily());
        if (!file.isEmpty())
            QFontDatabase::addApplicationFont(file);
    }
    QFont font(FontFamily());
    font.setPixelSize(TextFontPixelSize);
    font.setWeight(QFont::Bold);
    font.setStyleHint(QFont::TypeWriter, QFont::NoAntialias);
    font.setFixedPitch(true);
    font.setKerning(false);
    return font;
}

void PaintTextPage(QPainter &painter, const QStringList &lines)
{
    PaintLines(painter, QRawFont::fromFont(TextPageFont()), lines);
}

bool RenderTextPageFiles(const QStringList &pageTexts, const QString &folder, const QString &prefix)
{
    CFileTools tools;
    tools.DeleteMatchingFiles(folder + prefix + u"*"_s, false);

    QImage drawing(TextPageWidth, TextPageHeight, QImage::Format_Grayscale8);
    if (drawing.isNull())
        return false;
    const QRawFont rawFont = QRawFont::fromFont(TextPageFont());
    int pageNumber = 1;
    QImage page;
    for (const QString &pageText : pageTexts) {
        for (const QStringList &lines : LayOutTextPage(pageText)) {
            {
                QPainter painter(&drawing);
                PaintLines(painter, rawFont, lines);
            }
            const QString name = folder + prefix + QString::asprintf("%02d", pageNumber);
            if (ImageFromDrawing(drawing, &page, 200) != 1 || SaveImageFile(name, page) != 1)
                return false;
            ++pageNumber;
        }
    }
    return true;
}

} // namespace vk7
