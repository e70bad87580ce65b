#include "code128.h"

#include <QHash>
#include <QPainter>

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr int kQuietZoneModules = 10;

} // namespace

const QStringList &Code128SymbolTable()
{
    static const QStringList table = {
        u"212222"_s, u"222122"_s, u"222221"_s, u"121223"_s, u"121322"_s, u"131222"_s, u"122213"_s,
        u"122312"_s, u"132212"_s, u"221213"_s, u"221312"_s, u"231212"_s, u"112232"_s, u"122132"_s,
        u"122231"_s, u"113222"_s, u"123122"_s, u"123221"_s, u"223211"_s, u"221132"_s, u"221231"_s,
        u"213212"_s, u"223112"_s, u"312131"_s, u"311222"_s, u"321122"_s, u"321221"_s, u"312212"_s,
        u"322112"_s, u"322211"_s, u"212123"_s, u"212321"_s, u"232121"_s, u"111323"_s, u"131123"_s,
        u"131321"_s, u"112313"_s, u"132113"_s, u"132311"_s, u"211313"_s, u"231113"_s, u"231311"_s,
        u"112133"_s, u"112331"_s, u"132131"_s, u"113123"_s, u"113321"_s, u"133121"_s, u"313121"_s,
        u"211331"_s, u"231131"_s, u"213113"_s, u"213311"_s, u"213131"_s, u"311123"_s, u"311321"_s,
        u"331121"_s, u"312113"_s, u"312311"_s, u"332111"_s, u"314111"_s, u"221411"_s, u"431111"_s,
        u"111224"_s, u"111422"_s, u"121124"_s, u"121421"_s, u"141122"_s, u"141221"_s, u"112214"_s,
        u"112412"_s, u"122114"_s, u"122411"_s, u"142112"_s, u"142211"_s, u"241211"_s, u"221114"_s,
        u"413111"_s, u"241112"_s, u"134111"_s, u"111242"_s, u"121142"_s, u"121241"_s, u"114212"_s,
        u"124112"_s, u"124211"_s, u"411212"_s, u"421112"_s, u"421211"_s, u"212141"_s, u"214121"_s,
        u"412121"_s, u"111143"_s, u"111341"_s, u"131141"_s, u"114113"_s, u"114311"_s, u"411113"_s,
        u"411311"_s, u"113141"_s, u"114131"_s, u"311141"_s, u"411131"_s, u"211412"_s, u"211214"_s,
        u"211232"_s,
    };
    return table;
}

QString Code128StopPattern()
{
    return u"2331112"_s;
}

static QMap<QString, QChar> TripletGlyphs(int from, char16_t firstGlyph)
{
    QMap<QString, QChar> glyphs;
    for (const QString &pattern : Code128SymbolTable())
        glyphs.insert(pattern.mid(from, 3), QChar());
    // QMap keeps its keys in ascending order, which gives the glyph order.
    char16_t next = firstGlyph;
    for (auto it = glyphs.begin(); it != glyphs.end(); ++it)
        it.value() = QChar(next++);
    return glyphs;
}

const QMap<QString, QChar> &FirstTripletGlyphs()
{
    static const QMap<QString, QChar> glyphs = TripletGlyphs(0, u'0');
    return glyphs;
}

const QMap<QString, QChar> &SecondTripletGlyphs()
{
    static const QMap<QString, QChar> glyphs = TripletGlyphs(3, u'U');
    return glyphs;
}

// Triplet of each glyph character, found by inverting the two maps once.
static QString TripletOfGlyph(QChar glyph, bool *first)
{
    static const QHash<QChar, QPair<QString, bool>> inverse = [] {
        QHash<QChar, QPair<QString, bool>> map;
        const auto &firsts = FirstTripletGlyphs();
        for (auto it = firsts.cbegin(); it != firsts.cend(); ++it)
            map.insert(it.value(), {it.key(), true});
        const auto &seconds = SecondTripletGlyphs();
        for (auto it = seconds.cbegin(); it != seconds.cend(); ++it)
            map.insert(it.value(), {it.key(), false});
        return map;
    }();
    const auto it = inverse.constFind(glyph);
    if (it == inverse.cend())
        return QString();
    *first = it->second;
    return it->first;
}

QList<int> Code128ModuleWidths(const QString &glyphs)
{
    // Widths alternate bar, space, bar, ... from the first bar. A first
    // triplet starts on a bar and a second triplet on a space, so a glyph
    // string of whole symbols alternates without gaps; a glyph that would
    // break the alternation merges its first width into the previous element.
    QList<int> widths;
    auto append = [&widths](const QString &digits, bool startsWithBar) {
        int i = 0;
        const bool lastIsBar = widths.size() % 2 == 1;
        if (!widths.isEmpty() && lastIsBar == startsWithBar) {
            widths.last() += digits.at(0).digitValue();
            i = 1;
        } else if (widths.isEmpty() && !startsWithBar) {
            widths.append(0);
        }
        for (; i < digits.size(); ++i)
            widths.append(digits.at(i).digitValue());
    };
    for (const QChar glyph : glyphs) {
        if (glyph == QChar(kCode128StopGlyph)) {
            append(Code128StopPattern(), true);
            continue;
        }
        bool first = false;
        const QString triplet = TripletOfGlyph(glyph, &first);
        if (!triplet.isEmpty())
            append(triplet, first);
    }
    return widths;
}

void DrawCode128Glyphs(QPainter &painter, const QRectF &box, const QString &glyphs)
{
    const QList<int> widths = Code128ModuleWidths(glyphs);
    int modules = 0;
    for (int w : widths)
        modules += w;
    if (modules == 0 || box.isEmpty())
        return;
    const double module = box.width() / double(modules + 2 * kQuietZoneModules);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    int position = kQuietZoneModules;
    for (int i = 0; i < widths.size(); ++i) {
        const int w = widths.at(i);
        if (i % 2 == 0 && w > 0) {
            // Edges come from module positions, so neighbouring bars and
            // spaces share their edges and rounding never opens a gap.
            const double left = box.left() + position * module;
            const double right = box.left() + (position + w) * module;
            painter.fillRect(QRectF(left, box.top(), right - left, box.height()), Qt::black);
        }
        position += w;
    }
    painter.restore();
}

namespace {

constexpr int kFnc1Value = 102;

// The two glyphs of a symbol value; false when the value has none.
bool AppendSymbol(int value, QString *glyphs)
{
    const QStringList &table = Code128SymbolTable();
    if (value < 0 || value >= table.size())
        return false;
    const QString &pattern = table.at(value);
    const auto first = FirstTripletGlyphs().constFind(pattern.left(3));
    const auto second = SecondTripletGlyphs().constFind(pattern.mid(3));
    if (first == FirstTripletGlyphs().cend() || second == SecondTripletGlyphs().cend())
        return false;
    glyphs->append(first.value());
    glyphs->append(second.value());
    return true;
}

} // namespace

bool IsNumericText(const QString &text, bool allowMinus, bool allowDecimal)
{
    int separators = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= u'0' && c <= u'9')
            continue;
        if (c == u'-' && i == 0 && allowMinus)
            continue;
        if ((c == u'.' || c == u',') && allowDecimal) {
            if (++separators > 1)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

bool EncodeCode128(const QString &text, QChar codeSet, QString *glyphs)
{
    if (!glyphs)
        return false;
    glyphs->clear();
    int startValue = 0;
    int step = 0;
    if (codeSet == u'B') {
        startValue = 104;
        step = 1;
    } else if (codeSet == u'C') {
        startValue = 105;
        step = 2;
    } else {
        return false;
    }
    if (text.isEmpty())
        return true;

    auto fail = [glyphs] {
        *glyphs = u"ERROR"_s;
        return false;
    };

    QString data = text;
    if (codeSet == u'C') {
        if (!IsNumericText(data, false, false))
            return fail();
        if (data.size() % 2 != 0)
            data.prepend(u'0');
    } else {
        // Code set B holds the characters 32 to 127 only; anything else has
        // no symbol and is refused as code set C refuses a non-digit.
        for (const QChar c : data) {
            if (c.unicode() < 32 || c.unicode() > 127)
                return fail();
        }
    }

    QString out;
    if (!AppendSymbol(startValue, &out) || !AppendSymbol(kFnc1Value, &out))
        return fail();
    qint64 checkSum = startValue + kFnc1Value;
    for (qsizetype position = 0; position < data.size(); position += step) {
        const int value = codeSet == u'B' ? data.at(position).unicode() - 32
                                          : data.at(position).digitValue() * 10 +
                                                data.at(position + 1).digitValue();
        if (!AppendSymbol(value, &out))
            return fail();
        checkSum += qint64(value) * (position / step + 2);
    }
    if (!AppendSymbol(int(checkSum % 103), &out))
        return fail();
    out.append(QChar(kCode128StopGlyph));
    *glyphs = out;
    return true;
}

} // namespace vk7
