#include "receptionfilter.h"

#include <QRegularExpression>

#include "receptionreport.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString SearchFolded(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text.normalized(QString::NormalizationForm_C)) {
        // Ñ is a letter of its own in Spanish, not an accented N.
        if (c == u'ñ' || c == u'Ñ') {
            folded.append(u'ñ');
            continue;
        }
        for (const QChar part : QString(c).normalized(QString::NormalizationForm_D))
            if (!part.isMark())
                folded.append(part);
    }
    return folded.toCaseFolded();
}

bool ContainsPart(const QString &text, const QString &part)
{
    const QString wanted = part.trimmed();
    return wanted.isEmpty() || SearchFolded(text).contains(SearchFolded(wanted));
}

TypedDay ParseTypedDay(const QString &text)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return {};
    static const QRegularExpression separated(
        u"^(\\d{1,2})[/.\\-](\\d{1,2})[/.\\-](\\d{4}|\\d{2})$"_s);
    static const QRegularExpression joined(u"^(\\d{2})(\\d{2})(\\d{4})$"_s);
    QRegularExpressionMatch match = separated.match(typed);
    if (!match.hasMatch())
        match = joined.match(typed);
    TypedDay day{false, true, QDate()};
    if (!match.hasMatch())
        return day;
    int year = match.captured(3).toInt();
    if (match.captured(3).size() == 2)
        year += 2000;
    day.day = QDate(year, match.captured(2).toInt(), match.captured(1).toInt());
    day.valid = day.day.isValid();
    return day;
}

bool Matches(const StoredReception &reception, const ReceptionFilter &filter)
{
    return ContainsPart(reception.nif, filter.nifPart) &&
           ContainsPart(reception.name, filter.namePart) &&
           (!filter.verdict || VerdictOf(reception) == *filter.verdict);
}

QString FingerprintColumn(const QJsonObject &record)
{
    return record.value(u"deposito"_s).toObject().value(u"fingerprintVerdict"_s).toString();
}

QString FormColumn(const QJsonObject &record)
{
    const QJsonObject deposit = record.value(u"deposito"_s).toObject();
    const QString name = deposit.value(u"formName"_s).toString();
    return name.isEmpty() ? deposit.value(u"form"_s).toString() : name;
}

QString ReasonColumn(const QJsonObject &record)
{
    const ReceptionVerdict verdict = VerdictOf(record);
    if (verdict == ReceptionVerdict::Valid)
        return {};
    return ReceptionTally::FirstReason(record.value(u"deposito"_s).toObject(), verdict);
}

} // namespace vk7
