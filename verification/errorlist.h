#pragma once

#include <QString>
#include <QStringList>

#include "components/errorrecord.h"

namespace vk7 {

// Primary when the record holds "(Error Primario)", implicit when it holds
// only "(Error Implícito)", primary when it holds neither.
bool IsPrimaryMarked(const ErrorRecord &record);

// What the lists and the diagnostic sheet show for a record.
QString ErrorDisplayText(const ErrorRecord &record);

// The number the error-list window keeps for a record: numbers of 9000000
// and more lose 9000000, and then a last "1" becomes "01" (except for
// 999021), as the form's mark keys are numbered.
QString ErrorListNumber(int number);

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
ErrorListContent ClassErrorRecords(const QList<ErrorRecord> &records,
                                   bool registryMessagesImplicit);

} // namespace vk7
