#pragma once

#include <array>

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include "registerexport.h"

namespace vk7 {

// The span a report covers: the workstation's local days, both included.
struct ReportSpan
{
    QDate from;
    QDate to;
};

// The span a report asks for: without days, today; with only the first,
// from it to today (or that day alone, when it is after today); with only the
// last, that day alone.
ReportSpan ReportSpanOf(const QDate &from, const QDate &to, const QDate &today);

// How the receptions of a span are spread over time: by hour for one day,
// by day up to two months, by month beyond.
enum class ReportGrain { Hour, Day, Month };

// A name and how many receptions carry it (a form, a currency, an error...).
struct ReportCount
{
    QString name;
    qint64 count = 0;
};

// A name with its receptions by outcome (an hour, a workstation...).
struct ReportRow
{
    QString name;
    std::array<qint64, 3> byVerdict{}; // indexed by ReceptionVerdict
    qint64 Total() const { return byVerdict[0] + byVerdict[1] + byVerdict[2]; }
};

// A reception that did not end valid, as the report lists it.
struct ReportProblem
{
    QString time; // local "dd/MM/yyyy HH:mm:ss"
    QString nif;
    QString name;
    QString result; // the register's "resultado"
    QString reason; // the first reason found in the record
};

// The tally of a span's receptions, fed one register record at a time (so
// a month of a busy registry is never held whole): what the report shows.
class ReceptionTally
{
public:
    explicit ReceptionTally(const ReportSpan &span);

    void Add(const StoredReception &reception);

    const ReportSpan &Span() const { return span_; }
    ReportGrain Grain() const { return grain_; }
    qint64 Received() const { return received_; }
    qint64 Count(ReceptionVerdict verdict) const { return totals_[size_t(verdict)]; }
    // The share valid, in percent (0 with nothing received).
    double ValidShare() const;

    // One row per hour (00–23), day or month of the span, in order.
    const QList<ReportRow> &Periods() const { return periods_; }
    // Most frequent first, then by name.
    QList<ReportCount> Forms() const { return Sorted(forms_, -1); }
    QList<ReportCount> Currencies() const { return Sorted(currencies_, -1); }
    // The ten primary errors met by most receptions (each counted once a
    // reception).
    QList<ReportCount> TopPrimaryErrors() const { return Sorted(primaryErrors_, 10); }
    // By name; shown only where the register holds more than one.
    QList<ReportRow> Workstations() const { return Rows(workstations_); }
    QList<ReportRow> Clerks() const { return Rows(clerks_); }
    // Not valid and failed receptions, in the register's order.
    const QList<ReportProblem> &Problems() const { return problems_; }

    // The first reason a record gives for not ending valid (empty for a
    // valid one): the first primary error, the form's error, a missing file,
    // a wrong fingerprint, the open's status or the machine's failure.
    static QString FirstReason(const QJsonObject &deposit, ReceptionVerdict verdict);

private:
    static QList<ReportCount> Sorted(const QHash<QString, qint64> &counts, int limit);
    static QList<ReportRow> Rows(const QHash<QString, ReportRow> &rows);
    int PeriodIndex(const QDateTime &localStart) const;

    ReportSpan span_;
    ReportGrain grain_ = ReportGrain::Hour;
    qint64 received_ = 0;
    std::array<qint64, 3> totals_{};
    QList<ReportRow> periods_;
    QHash<QString, qint64> forms_;
    QHash<QString, qint64> currencies_;
    QHash<QString, qint64> primaryErrors_;
    QHash<QString, ReportRow> workstations_;
    QHash<QString, ReportRow> clerks_;
    QList<ReportProblem> problems_;
};

// The words of the report for an outcome: "Válidas", "No válidas",
// "No abiertas o fallidas".
QString VerdictLabel(ReceptionVerdict verdict);

} // namespace vk7
