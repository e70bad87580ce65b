#pragma once

#include <QString>
#include <QStringList>

namespace vk7 {

// The fields of an error record ("|"-separated); missing fields are empty.
struct ErrorRecordFields
{
    QString kind;             // "C", "R" or "r"
    QString number;           // the key code concerned
    QString message;          // rule code, ":", message and class marker
    QString reference;        // what "Ver Regla" shows
    QString label;            // field 4
    bool labelClosed = false; // a fifth "|" follows the label (as in "R" records)
};
ErrorRecordFields SplitErrorRecord(const QString &record);

// Primary when the record holds "(Error Primario)", implicit when it holds
// only "(Error Implícito)", primary when it holds neither.
bool IsPrimaryMarked(const QString &record);

// What the lists and the diagnostic sheet show for a record.
QString ErrorDisplayText(const QString &record);

// The number the error-list window keeps for a record (field 1): numbers of
// 9000000 and more lose 9000000, and then a last "1" becomes "01" (except
// for 999021), as the form's mark keys are numbered.
QString ErrorListNumber(const QString &numberField);

// The four registry-data messages, always implicit.
bool IsRegistryDataMessage(const QString &displayText);

// What the error-list window holds once opened: display texts, numbers and
// rule references of the primary and of the implicit errors, in record order.
struct ErrorListContent
{
    QStringList primaryTexts;
    QStringList primaryNumbers;
    QStringList primaryReferences;
    QStringList implicitTexts;
    QStringList implicitNumbers;
    QStringList implicitReferences;
};
ErrorListContent ClassErrorRecords(const QStringList &records, bool registryMessagesImplicit);

} // namespace vk7
