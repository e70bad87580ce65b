#include "errorlist.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

const QString kPrimaryMarker = u"(Error Primario)"_s;
const QString kImplicitMarker = u"(Error Implícito)"_s;

} // namespace

bool IsPrimaryMarked(const ErrorRecord &record)
{
    // The markers are looked for in the record's whole text; only its
    // message and its label can hold them.
    auto holds = [&record](const QString &marker) {
        return record.message.contains(marker) || record.label.contains(marker);
    };
    return holds(kPrimaryMarker) || !holds(kImplicitMarker);
}

QString ErrorDisplayText(const ErrorRecord &record)
{
    if (record.kind == ErrorRecord::Kind::RequiredField) {
        // The label is the record's field 4, which ends at the next "|".
        return u"Falta rellenar : "_s + record.label.section(u'|', 0, 0);
    }
    qsizetype marker = record.message.indexOf(kPrimaryMarker);
    if (marker < 0)
        marker = record.message.indexOf(kImplicitMarker);
    if (marker < 0)
        return {};
    QString text = record.message.left(marker);
    if (text.endsWith(u' '))
        text.chop(1);
    return text.mid(5);
}

QString ErrorListNumber(int number)
{
    if (number < 9000000)
        return QString::number(number);
    QString text = QString::number(number - 9000000);
    if (text.endsWith(u'1') && text != u"999021"_s) {
        text.chop(1);
        text += u"01"_s;
    }
    return text;
}

bool IsRegistryDataMessage(const QString &displayText)
{
    return displayText == u"Falta rellenar : Registro Mercantil"_s ||
           displayText == u"Falta rellenar : Tomo (Datos registrales)"_s ||
           displayText == u"Falta rellenar : Folio (Datos registrales)"_s ||
           displayText == u"Falta rellenar : Nº de la hoja registral"_s;
}

ErrorListContent ClassErrorRecords(const QList<ErrorRecord> &records, bool registryMessagesImplicit)
{
    ErrorListContent content;
    for (const ErrorRecord &record : records) {
        const QString text = ErrorDisplayText(record);
        const QString number = ErrorListNumber(record.number);
        const QString reference = QString::number(record.reference);
        const bool primary =
            IsPrimaryMarked(record) && !(registryMessagesImplicit && IsRegistryDataMessage(text));
        if (primary) {
            content.primaryTexts.append(text);
            content.primaryNumbers.append(number);
            content.primaryReferences.append(reference);
        } else {
            content.implicitTexts.append(text);
            content.implicitNumbers.append(number);
            content.implicitReferences.append(reference);
        }
    }
    return content;
}

} // namespace vk7
