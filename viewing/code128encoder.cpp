#include "code128encoder.h"

#include "components/code128.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr int Fnc1Value = 102;

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
    if (!AppendSymbol(startValue, &out) || !AppendSymbol(Fnc1Value, &out))
        return fail();
    qint64 checkSum = startValue + Fnc1Value;
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
    out.append(QChar(Code128StopGlyph));
    *glyphs = out;
    return true;
}

} // namespace vk7
