#include "taxid.h"

#include "reception/paths.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

constexpr char16_t kPersonLetters[] = u"TRWAGMYFPDXBNJZSQVHLCKE";
constexpr char16_t kEntityLetters[] = u"JABCDEFGHI";

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int DigitAt(const QString &text, qsizetype index)
{
    return text.at(index).unicode() - u'0';
}

bool AllDigits(const QString &text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i <= to; ++i)
        if (!IsAsciiDigit(text.at(i)))
            return false;
    return true;
}

bool IsValidPersonId(const QString &id)
{
    if (!AllDigits(id, 1, 7))
        return false;
    // A DNI counts all eight digits; K, L, M and X numbers the seven after the letter.
    const qsizetype first = IsAsciiDigit(id.at(0)) ? 0 : 1;
    long number = 0;
    for (qsizetype i = first; i <= 7; ++i)
        number = number * 10 + DigitAt(id, i);
    if (number == 0)
        return false;
    return id.at(8) == QChar(kPersonLetters[number % 23]);
}

bool IsValidEntityId(const QString &id)
{
    if (!AllDigits(id, 1, 7))
        return false;
    const QChar last = id.at(8);
    if (!IsAsciiDigit(last) && !(last >= u'A' && last <= u'J'))
        return false;
    int sum = 0;
    for (qsizetype i = 1; i <= 7; ++i) {
        const int digit = DigitAt(id, i);
        if (i % 2 == 1) {
            const int twice = 2 * digit;
            sum += twice / 10 + twice % 10;
        } else {
            sum += digit;
        }
    }
    const int controlDigit = (10 - sum % 10) % 10;
    const QChar controlLetter(kEntityLetters[controlDigit]);
    const QChar kind = id.at(0);
    if (kind == u'P' || kind == u'Q' || kind == u'S')
        return last == controlLetter;
    return last == QChar(u'0' + controlDigit) || last == controlLetter;
}

} // namespace

bool IsValidTaxId(const QString &text, bool entitiesOnly)
{
    QString id = text;
    id.remove(u' ');
    if (id.size() != 9)
        return false;
    // The C library upper-cases ASCII letters only; so do we.
    id = AsciiUpper(id);
    const QChar first = id.at(0);
    if ((first >= u'A' && first <= u'H') || first == u'P' || first == u'Q' || first == u'S')
        return IsValidEntityId(id);
    if (entitiesOnly)
        return false;
    if (IsAsciiDigit(first) || first == u'K' || first == u'L' || first == u'M' || first == u'X')
        return IsValidPersonId(id);
    return false;
}

} // namespace vk7
