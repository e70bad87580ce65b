#include "registerexport.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The members of vk7check --json in its order, and those the register adds.
const QStringList &DepositMemberOrder()
{
    static const QStringList order = {u"structureStatus"_s,
                                      u"completenessStatus"_s,
                                      u"missingFiles"_s,
                                      u"unlistedFiles"_s,
                                      u"formIdentified"_s,
                                      u"formName"_s,
                                      u"formError"_s,
                                      u"form"_s,
                                      u"currency"_s,
                                      u"fingerprint"_s,
                                      u"computedFingerprint"_s,
                                      u"fingerprintVerdict"_s,
                                      u"primaryErrors"_s,
                                      u"implicitErrors"_s,
                                      u"errorRecords"_s,
                                      u"otherDocumentNames"_s,
                                      u"available"_s,
                                      u"valid"_s,
                                      u"fileWarnings"_s,
                                      u"diagnosticSheet"_s,
                                      u"exitCode"_s,
                                      u"openStatus"_s,
                                      u"ioFailure"_s,
                                      u"nif"_s,
                                      u"companyName"_s,
                                      u"year"_s};
    return order;
}

const QStringList &RecordMemberOrder()
{
    static const QStringList order = {u"id"_s,         u"inicio"_s,    u"fin"_s,
                                      u"puesto"_s,     u"usuario"_s,   u"programa"_s,
                                      u"version"_s,    u"medio"_s,     u"disquetes"_s,
                                      u"duracionMs"_s, u"resultado"_s, u"impresiones"_s};
    return order;
}

QByteArray Encode(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// The members named first in `order`, then any others in key order.
void WriteMembers(const QJsonObject &object, const QStringList &order, QByteArray &out, bool &first)
{
    const auto add = [&](const QString &key) {
        out += first ? "" : ", ";
        first = false;
        out += Encode(key) + ": " + Encode(object.value(key));
    };
    for (const QString &key : order)
        if (object.contains(key))
            add(key);
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        if (!order.contains(it.key()))
            add(it.key());
}

QString Joined(const QJsonValue &value)
{
    QStringList items;
    for (const QJsonValue &item : value.toArray())
        items.append(item.isString() ? item.toString() : QString::fromUtf8(Encode(item)));
    return items.join(u" | "_s);
}

QString Text(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? u"true"_s : u"false"_s;
    if (value.isDouble())
        return QString::number(value.toInteger());
    if (value.isArray())
        return Joined(value);
    if (value.isObject())
        return QString::fromUtf8(Encode(value));
    return value.toString();
}

} // namespace

ReceptionVerdict VerdictOf(const StoredReception &reception)
{
    return VerdictOf(reception.Record());
}

ReceptionVerdict VerdictOf(const QJsonObject &record)
{
    const QJsonObject deposit = record.value(u"deposito"_s).toObject();
    if (deposit.value(u"valid"_s).toBool())
        return ReceptionVerdict::Valid;
    if (deposit.contains(u"valid"_s) && deposit.value(u"openStatus"_s).toString().isEmpty())
        return ReceptionVerdict::NotValid;
    return ReceptionVerdict::Failed;
}

QByteArray ReceptionJsonLine(const StoredReception &reception)
{
    const QJsonObject record = reception.Record();
    QByteArray out = "{";
    bool first = true;
    WriteMembers(record.value(u"deposito"_s).toObject(), DepositMemberOrder(), out, first);
    QJsonObject own = record;
    own.remove(u"deposito"_s);
    own.insert(u"numero"_s, reception.number);
    own.insert(u"hash"_s, reception.hash);
    QByteArray registro = "{";
    bool firstOwn = true;
    WriteMembers(own, QStringList{u"numero"_s} + RecordMemberOrder() + QStringList{u"hash"_s},
                 registro, firstOwn);
    registro += "}";
    out += first ? "" : ", ";
    out += "\"registro\": " + registro + "}\n";
    return out;
}

QStringList ReceptionCsvHeader()
{
    return {u"numero"_s,
            u"id"_s,
            u"inicio"_s,
            u"fin"_s,
            u"puesto"_s,
            u"usuario"_s,
            u"programa"_s,
            u"version"_s,
            u"medio"_s,
            u"resultado"_s,
            u"exitCode"_s,
            u"valid"_s,
            u"nif"_s,
            u"companyName"_s,
            u"year"_s,
            u"formName"_s,
            u"form"_s,
            u"currency"_s,
            u"fingerprint"_s,
            u"computedFingerprint"_s,
            u"fingerprintVerdict"_s,
            u"structureStatus"_s,
            u"completenessStatus"_s,
            u"primaryErrors"_s,
            u"implicitErrors"_s,
            u"openStatus"_s,
            u"ioFailure"_s,
            u"impresiones"_s,
            u"duracionMs"_s,
            u"hash"_s};
}

QStringList ReceptionCsvRow(const StoredReception &reception)
{
    const QJsonObject record = reception.Record();
    const QJsonObject deposit = record.value(u"deposito"_s).toObject();
    QStringList row;
    for (const QString &column : ReceptionCsvHeader()) {
        if (column == u"numero"_s)
            row.append(QString::number(reception.number));
        else if (column == u"hash"_s)
            row.append(reception.hash);
        else if (column == u"ioFailure"_s)
            row.append(deposit.value(column).toObject().value(u"message"_s).toString());
        else if (column == u"impresiones"_s) {
            QStringList jobs;
            for (const QJsonValue &job : record.value(column).toArray()) {
                const QJsonObject item = job.toObject();
                jobs.append(
                    u"%1 (%2 pág., %3 copia(s), %4)"_s.arg(item.value(u"trabajo"_s).toString())
                        .arg(item.value(u"paginas"_s).toInt())
                        .arg(item.value(u"copias"_s).toInt())
                        .arg(item.value(u"cola"_s).toString()));
            }
            row.append(jobs.join(u" | "_s));
        } else if (record.contains(column))
            row.append(Text(record.value(column)));
        else
            row.append(Text(deposit.value(column)));
    }
    return row;
}

QByteArray CsvLine(const QStringList &cells)
{
    QStringList quoted;
    for (const QString &cell : cells) {
        if (cell.contains(u',') || cell.contains(u'"') || cell.contains(u'\n') ||
            cell.contains(u'\r'))
            quoted.append(u'"' + QString(cell).replace(u"\""_s, u"\"\""_s) + u'"');
        else
            quoted.append(cell);
    }
    return quoted.join(u',').toUtf8() + "\r\n";
}

QByteArray ReceptionCsv(const QList<StoredReception> &receptions)
{
    QByteArray out = CsvLine(ReceptionCsvHeader());
    for (const StoredReception &reception : receptions)
        out += CsvLine(ReceptionCsvRow(reception));
    return out;
}

QString LocalTimeText(const QString &storedTime)
{
    const QDateTime time = QDateTime::fromString(storedTime, Qt::ISODateWithMs);
    if (!time.isValid())
        return storedTime;
    return time.toLocalTime().toString(u"dd/MM/yyyy HH:mm:ss"_s);
}

} // namespace vk7
