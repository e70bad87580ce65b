#pragma once

#include <optional>

#include <QDate>
#include <QJsonObject>
#include <QString>

#include "registerexport.h"
#include "registerstore.h"

namespace vk7 {

// A text as a search compares it: case folded, accents and other marks
// dropped ("Arlanzón" and "ARLANZON" are alike).
QString SearchFolded(const QString &text);
// Whether `part` (as typed: spaces around it do not count) is found in
// `text`, regardless of case and accents; an empty part is found anywhere.
bool ContainsPart(const QString &text, const QString &part);

// A day as a clerk types it: "dd/mm/aaaa" (one-digit day or month, '-' or
// '.' for '/', a two-digit year of this century and "ddmmaaaa" taken too).
// Empty text is no bound (`bounded` false); text that names no day is not
// `valid`.
struct TypedDay
{
    bool valid = true;
    bool bounded = false;
    QDate day;
};
TypedDay ParseTypedDay(const QString &text);

// The register window's filters on a listed reception: parts of the NIF
// and the company's name, and the verdict (none: any).
struct ReceptionFilter
{
    QString nifPart;
    QString namePart;
    std::optional<ReceptionVerdict> verdict;
};
bool Matches(const StoredReception &reception, const ReceptionFilter &filter);

// What the register window's columns show of a record: the fingerprint's
// verdict ("CORRECTA", "ERRONEA"...), the form, and the first reason a
// reception that did not end valid gives (empty for a valid one).
QString FingerprintColumn(const QJsonObject &record);
QString FormColumn(const QJsonObject &record);
QString ReasonColumn(const QJsonObject &record);

} // namespace vk7
