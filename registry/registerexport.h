#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "reception/failure.h"
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
// One CSV line of `cells`, quoted where they hold the separator, a quote or
// a line break.
QByteArray CsvLine(const QStringList &cells, QChar separator = u',');

// The receptions for a registrar's spreadsheet, as the register window
// exports them: Spanish heads, local times, one row per reception. Unlike
// the CSV above (for scripts, kept as it is), these are for people.
enum class SpreadsheetKind { Text, Time, Number };
struct SpreadsheetColumn
{
    QString head;
    SpreadsheetKind kind;
    int width; // in characters
};
const QList<SpreadsheetColumn> &SpreadsheetColumns();
// A row's cells, one per column: a local QDateTime for a time (null when
// the record has none), a qint64 for a number, a QString for text.
QVariantList SpreadsheetRow(const StoredReception &reception);
// The CSV a Spanish spreadsheet opens as it is: UTF-8 with a byte-order
// mark, ';' between cells, CRLF, times as "dd/MM/yyyy HH:mm:ss".
QByteArray SpreadsheetCsv(const QList<StoredReception> &receptions);
// The same as an .xlsx workbook: the heads bold and frozen, times as dates,
// text as text (a NIF keeps its leading zeros, nothing is a formula), the
// columns' widths set. Made in a private temporary folder and read back.
Failure SpreadsheetXlsx(const QList<StoredReception> &receptions, QByteArray *bytes);

enum class ExportFormat { Xlsx, Csv };
// Writes the receptions in `format` into `path`, whole or not at all.
Failure ExportReceptions(const QList<StoredReception> &receptions, ExportFormat format,
                         const QString &path);
// The one place an export's bytes reach their file.
Failure WriteExportFile(const QString &path, const QByteArray &bytes);

// The time as the clerk reads it: local "dd/MM/yyyy HH:mm:ss" of a stored
// UTC time.
QString LocalTimeText(const QString &storedTime);

} // namespace vk7
