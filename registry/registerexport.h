#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include "registerstore.h"

namespace vk7 {

// How a reception ended, as the register's "resultado" says it and the
// window filters it.
enum class ReceptionVerdict { Valid, NotValid, Failed };
ReceptionVerdict VerdictOf(const StoredReception &reception);
// The same, of a record already read.
ReceptionVerdict VerdictOf(const QJsonObject &record);

// One reception as a line of JSON (ended by a line break): the deposit's
// --json members in their order, then "registro" with the record's own
// members (numero, id, inicio, fin, puesto, usuario, programa, version,
// medio, disquetes, duracionMs, resultado, impresiones, hash).
QByteArray ReceptionJsonLine(const StoredReception &reception);

// The CSV of a spreadsheet (RFC 4180, UTF-8, CRLF): the header, then one
// row per reception; lists are joined with " | ".
QStringList ReceptionCsvHeader();
QStringList ReceptionCsvRow(const StoredReception &reception);
QByteArray ReceptionCsv(const QList<StoredReception> &receptions);
QByteArray CsvLine(const QStringList &cells);

// The time as the clerk reads it: local "dd/MM/yyyy HH:mm:ss" of a stored
// UTC time.
QString LocalTimeText(const QString &storedTime);

} // namespace vk7
