#include "receptionreport.h"

#include <algorithm>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// Longer spans are drawn by month: sixty-odd bars are the most a page
// shows readably.
constexpr qint64 kMostDays = 62;

QString Known(const QString &value)
{
    const QString trimmed = value.trimmed();
    return trimmed.isEmpty() || trimmed == u"¿?"_s ? u"Sin identificar"_s : trimmed;
}

QString FirstText(const QJsonValue &list)
{
    for (const QJsonValue &item : list.toArray()) {
        const QString text = item.toString().trimmed();
        if (!text.isEmpty())
            return text;
    }
    return QString();
}

} // namespace

QString VerdictLabel(ReceptionVerdict verdict)
{
    switch (verdict) {
    case ReceptionVerdict::Valid:
        return u"Válidas"_s;
    case ReceptionVerdict::NotValid:
        return u"No válidas"_s;
    case ReceptionVerdict::Failed:
        break;
    }
    return u"No abiertas o fallidas"_s;
}

ReportSpan ReportSpanOf(const QDate &from, const QDate &to, const QDate &today)
{
    if (!from.isValid() && !to.isValid())
        return {today, today};
    if (!to.isValid())
        return {from, std::max(from, today)};
    if (!from.isValid())
        return {to, to};
    return {from, to};
}

ReceptionTally::ReceptionTally(const ReportSpan &span) : span_(span)
{
    const qint64 days = span.from.daysTo(span.to) + 1;
    if (days <= 1) {
        grain_ = ReportGrain::Hour;
        for (int hour = 0; hour < 24; ++hour)
            periods_.append({u"%1"_s.arg(hour, 2, 10, QChar(u'0')), {}});
    } else if (days <= kMostDays) {
        grain_ = ReportGrain::Day;
        for (QDate day = span.from; day <= span.to; day = day.addDays(1))
            periods_.append({day.toString(u"dd/MM"_s), {}});
    } else {
        grain_ = ReportGrain::Month;
        for (QDate month(span.from.year(), span.from.month(), 1); month <= span.to;
             month = month.addMonths(1))
            periods_.append({month.toString(u"MM/yyyy"_s), {}});
    }
}

double ReceptionTally::ValidShare() const
{
    return received_ == 0 ? 0.0
                          : 100.0 * double(Count(ReceptionVerdict::Valid)) / double(received_);
}

int ReceptionTally::PeriodIndex(const QDateTime &localStart) const
{
    switch (grain_) {
    case ReportGrain::Hour:
        return localStart.time().hour();
    case ReportGrain::Day:
        return int(span_.from.daysTo(localStart.date()));
    case ReportGrain::Month:
        break;
    }
    return (localStart.date().year() - span_.from.year()) * 12 + localStart.date().month() -
           span_.from.month();
}

QString ReceptionTally::FirstReason(const QJsonObject &deposit, ReceptionVerdict verdict)
{
    if (verdict == ReceptionVerdict::Valid)
        return QString();
    QString reason;
    if (verdict == ReceptionVerdict::Failed) {
        reason = deposit.value(u"openStatus"_s).toString().trimmed();
        if (reason.isEmpty())
            reason = deposit.value(u"ioFailure"_s).toObject().value(u"message"_s).toString();
        return reason.simplified();
    }
    reason = FirstText(deposit.value(u"primaryErrors"_s));
    if (reason.isEmpty())
        reason = deposit.value(u"formError"_s).toString().trimmed();
    if (reason.isEmpty()) {
        const QString missing = FirstText(deposit.value(u"missingFiles"_s));
        if (!missing.isEmpty())
            reason = u"Falta el fichero %1"_s.arg(missing);
    }
    if (reason.isEmpty() && deposit.value(u"fingerprintVerdict"_s).toString() == u"ERRONEA"_s)
        reason = u"Huella Digital errónea"_s;
    if (reason.isEmpty())
        reason = FirstText(deposit.value(u"implicitErrors"_s));
    return reason.simplified();
}

void ReceptionTally::Add(const StoredReception &reception)
{
    const QJsonObject record = reception.Record();
    const QJsonObject deposit = record.value(u"deposito"_s).toObject();
    const ReceptionVerdict verdict = VerdictOf(record);
    const size_t slot = size_t(verdict);
    ++received_;
    ++totals_[slot];

    const QDateTime start = QDateTime::fromString(reception.start, Qt::ISODateWithMs).toLocalTime();
    const int period = start.isValid() ? PeriodIndex(start) : -1;
    if (period >= 0 && period < periods_.size())
        ++periods_[period].byVerdict[slot];

    const bool opened = verdict != ReceptionVerdict::Failed;
    ++forms_[opened ? Known(deposit.value(u"form"_s).toString()) : u"Sin abrir"_s];
    ++currencies_[opened ? Known(deposit.value(u"currency"_s).toString()) : u"Sin abrir"_s];
    QStringList met;
    for (const QJsonValue &error : deposit.value(u"primaryErrors"_s).toArray()) {
        const QString text = error.toString().simplified();
        if (!text.isEmpty() && !met.contains(text)) {
            met.append(text);
            ++primaryErrors_[text];
        }
    }
    for (auto [rows, name] :
         {std::pair{&workstations_, reception.workstation}, std::pair{&clerks_, reception.user}}) {
        ReportRow &row = (*rows)[name];
        row.name = name;
        ++row.byVerdict[slot];
    }
    if (verdict != ReceptionVerdict::Valid)
        problems_.append({LocalTimeText(reception.start), reception.nif, reception.name,
                          reception.result, FirstReason(deposit, verdict)});
}

QList<ReportCount> ReceptionTally::Sorted(const QHash<QString, qint64> &counts, int limit)
{
    QList<ReportCount> sorted;
    sorted.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        sorted.append({it.key(), it.value()});
    std::sort(sorted.begin(), sorted.end(), [](const ReportCount &a, const ReportCount &b) {
        return a.count != b.count ? a.count > b.count : a.name < b.name;
    });
    if (limit >= 0 && sorted.size() > limit)
        sorted.resize(limit);
    return sorted;
}

QList<ReportRow> ReceptionTally::Rows(const QHash<QString, ReportRow> &rows)
{
    QList<ReportRow> sorted = rows.values();
    std::sort(sorted.begin(), sorted.end(),
              [](const ReportRow &a, const ReportRow &b) { return a.name < b.name; });
    return sorted;
}

} // namespace vk7
