#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vk7 {

// One error of the form's own checks or of the coherence rules, kept as its
// fields from where it is found to where it is shown. Its text,
// "K|number|code:message|reference|label", is made only where the raw record
// is shown or stored.
struct ErrorRecord
{
    // The kind letter: "C" a broken coherence rule, "R" a required field left empty.
    enum class Kind { Coherence, RequiredField };

    Kind kind = Kind::Coherence;
    int number = 0;    // the key code the error concerns
    QString message;   // four-digit rule code, ":", message, one blank, class marker
    int reference = 0; // what "Ver Regla" shows
    QString label;     // the rule's short label, or the name of the field to fill in

    // The record's text; a required-field record closes its label with a
    // fifth "|".
    QString Format() const;

    bool operator==(const ErrorRecord &) const = default;
};

QStringList FormatErrorRecords(const QList<ErrorRecord> &records);

} // namespace vk7
