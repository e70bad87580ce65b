#include "components/errorrecord.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString ErrorRecord::Format() const
{
    const bool required = kind == Kind::RequiredField;
    QString text = required ? u"R|"_s : u"C|"_s;
    text +=
        QString::number(number) + u'|' + message + u'|' + QString::number(reference) + u'|' + label;
    if (required)
        text += u'|';
    return text;
}

QStringList FormatErrorRecords(const QList<ErrorRecord> &records)
{
    QStringList texts;
    texts.reserve(records.size());
    for (const ErrorRecord &record : records)
        texts.append(record.Format());
    return texts;
}

} // namespace vk7
