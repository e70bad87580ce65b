#include "errorlist.h"

#include "reception/plaintext.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

const QString kPrimaryMarker = u"(Error Primario)"_s;
const QString kImplicitMarker = u"(Error Implícito)"_s;

} // namespace

ErrorRecordFields SplitErrorRecord(const QString &record)
{
    const QStringList parts = record.split(u'|');
    auto part = [&parts](qsizetype index) {
        return index < parts.size() ? parts.at(index) : QString();
    };
    ErrorRecordFields fields;
    fields.kind = part(0);
    fields.number = part(1);
    fields.message = part(2);
    fields.reference = part(3);
    fields.label = part(4);
    fields.labelClosed = parts.size() > 5;
    return fields;
}

bool IsPrimaryMarked(const QString &record)
{
    if (record.contains(kPrimaryMarker))
        return true;
    return !record.contains(kImplicitMarker);
}

QString ErrorDisplayText(const QString &record)
{
    const ErrorRecordFields fields = SplitErrorRecord(record);
    if (fields.kind == u"R"_s || fields.kind == u"r"_s)
        return u"Falta rellenar : "_s + (fields.labelClosed ? fields.label : QString());
    qsizetype marker = fields.message.indexOf(kPrimaryMarker);
    if (marker < 0)
        marker = fields.message.indexOf(kImplicitMarker);
    if (marker < 0)
        return {};
    QString text = fields.message.left(marker);
    if (text.endsWith(u' '))
        text.chop(1);
    return text.mid(5);
}

QString ErrorListNumber(const QString &numberField)
{
    const qint64 value = ReadDecimalInteger(numberField);
    if (value < 9000000)
        return numberField;
    QString number = QString::number(value - 9000000);
    if (number.endsWith(u'1') && number != u"999021"_s) {
        number.chop(1);
        number += u"01"_s;
    }
    return number;
}

bool IsRegistryDataMessage(const QString &displayText)
{
    return displayText == u"Falta rellenar : Registro Mercantil"_s ||
           displayText == u"Falta rellenar : Tomo (Datos registrales)"_s ||
           displayText == u"Falta rellenar : Folio (Datos registrales)"_s ||
           displayText == u"Falta rellenar : Nº de la hoja registral"_s;
}

ErrorListContent ClassErrorRecords(const QStringList &records, bool registryMessagesImplicit)
{
    ErrorListContent content;
    for (const QString &record : records) {
        const ErrorRecordFields fields = SplitErrorRecord(record);
        const QString text = ErrorDisplayText(record);
        const QString number = ErrorListNumber(fields.number);
        const bool primary =
            IsPrimaryMarked(record) && !(registryMessagesImplicit && IsRegistryDataMessage(text));
        if (primary) {
            content.primaryTexts.append(text);
            content.primaryNumbers.append(number);
            content.primaryReferences.append(fields.reference);
        } else {
            content.implicitTexts.append(text);
            content.implicitNumbers.append(number);
            content.implicitReferences.append(fields.reference);
        }
    }
    return content;
}

} // namespace vk7
