#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "components/errorrecord.h"
#include "reception/failure.h"

namespace vk7 {

class Clock;
struct DepositState;

// A calendar date as the deposit's keys give it: day, month and year read as
// decimal integers, possibly out of every range.
struct RuleDate
{
    qint64 day = 0;
    qint64 month = 0;
    qint64 year = 0;
};

// Day 1 to 31 within the month's length (leap Februaries have 29), month 1
// to 12, year 1000 to 9999.
bool IsPossibleDate(const RuleDate &date);
// From 1990 to the current year, both included.
bool IsYearInRange(qint64 year, int currentYear);

// How many "not valid" records each date variant appends (0, 1 or 2), with
// absent keys counting as the variant says.
int StartDateErrorCount(const DepositState &state, int currentYear);
int ClosingDateErrorCount(const DepositState &state, int currentYear);
int ApplicationDateErrorCount(const DepositState &state, int currentYear);

// The error record of a coherence rule: the key twice (number and
// reference), rule code, message, class marker and label.
ErrorRecord CoherenceRecord(int key, const QString &codeAndMessage, const QString &label);

// The thirteen coherence rules over the deposit's store and document lists,
// in their order; each broken rule appends its record(s) to records.
// activityTablePath is the system path of CNAE.TXT. The failure of the
// machine that kept the table from being read (Kind::None when none): the
// records are then not a verdict.
Failure RunCoherenceRules(const DepositState &state, const QString &activityTablePath,
                          QList<ErrorRecord> *records, const Clock &clock);

} // namespace vk7
