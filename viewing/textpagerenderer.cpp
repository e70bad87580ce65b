#include "textpagerenderer.h"

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

void PaintTextPage(QPainter &painter, const QStringList &lines)
{
    // The font is monospaced and the texts need no shaping, so each line is
    // one glyph run placed by the glyphs' own advances: the same pixels as
    // drawText, without laying out the text again for every line.
    static const QRawFont rawFont = QRawFont::fromFont(TextPageFont());
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

bool RenderTextPageFiles(const QStringList &pageTexts, const QString &folder, const QString &prefix)
{
    CFileTools tools;
    tools.DeleteMatchingFiles(folder + prefix + u"*"_s, false);

    QImage drawing(TextPageWidth, TextPageHeight, QImage::Format_Grayscale8);
    if (drawing.isNull())
        return false;
    int pageNumber = 1;
    QImage page;
    for (const QString &pageText : pageTexts) {
        for (const QStringList &lines : LayOutTextPage(pageText)) {
            {
                QPainter painter(&drawing);
                PaintTextPage(painter, lines);
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
