#include "registerexport.h"

#include <xlsxwriter.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTemporaryDir>

#include "receptionreport.h"

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

QByteArray CsvLine(const QStringList &cells, QChar separator)
{
    QStringList quoted;
    for (const QString &cell : cells) {
        if (cell.contains(separator) || cell.contains(u'"') || cell.contains(u'\n') ||
            cell.contains(u'\r'))
            quoted.append(u'"' + QString(cell).replace(u"\""_s, u"\"\""_s) + u'"');
        else
            quoted.append(cell);
    }
    return quoted.join(separator).toUtf8() + "\r\n";
}

QByteArray ReceptionCsv(const QList<StoredReception> &receptions)
{
    QByteArray out = CsvLine(ReceptionCsvHeader());
    for (const StoredReception &reception : receptions)
        out += CsvLine(ReceptionCsvRow(reception));
    return out;
}

const QList<SpreadsheetColumn> &SpreadsheetColumns()
{
    using enum SpreadsheetKind;
    static const QList<SpreadsheetColumn> columns = {
        {u"Nº"_s, Number, 7},
        {u"Inicio"_s, Time, 19},
        {u"Fin"_s, Time, 19},
        {u"Puesto"_s, Text, 14},
        {u"Usuario"_s, Text, 12},
        {u"NIF"_s, Text, 12},
        {u"Sociedad"_s, Text, 40},
        {u"Ejercicio"_s, Text, 9},
        {u"Resultado"_s, Text, 12},
        {u"Motivo"_s, Text, 50},
        {u"Formulario"_s, Text, 24},
        {u"Moneda"_s, Text, 8},
        {u"Huella Digital"_s, Text, 14},
        {u"Huella declarada"_s, Text, 34},
        {u"Huella calculada"_s, Text, 34},
        {u"Estructura"_s, Text, 16},
        {u"Integridad"_s, Text, 16},
        {u"Errores"_s, Text, 50},
        {u"Errores implícitos"_s, Text, 40},
        {u"Estado de apertura"_s, Text, 40},
        {u"Error del sistema"_s, Text, 30},
        {u"Medio"_s, Text, 20},
        {u"Impresiones"_s, Text, 40},
        {u"Duración (s)"_s, Number, 11},
        {u"Código de salida"_s, Number, 9},
        {u"Programa"_s, Text, 14},
        {u"Id"_s, Text, 38},
        {u"Hash"_s, Text, 66},
    };
    return columns;
}

QVariantList SpreadsheetRow(const StoredReception &reception)
{
    const QJsonObject record = reception.Record();
    const QJsonObject deposit = record.value(u"deposito"_s).toObject();
    const auto time = [](const QString &stored) {
        const QDateTime utc = QDateTime::fromString(stored, Qt::ISODateWithMs);
        return QVariant(utc.isValid() ? utc.toLocalTime() : QDateTime());
    };
    const auto text = [&deposit](const QString &member) {
        return QVariant(Text(deposit.value(member)));
    };
    const QStringList row = ReceptionCsvRow(reception);
    const QString jobs = row.at(ReceptionCsvHeader().indexOf(u"impresiones"_s));
    const ReceptionVerdict verdict = VerdictOf(record);
    const QString reason = verdict == ReceptionVerdict::Valid
                               ? QString()
                               : ReceptionTally::FirstReason(deposit, verdict);
    const QString form = deposit.value(u"formName"_s).toString();
    return {
        QVariant(reception.number),
        time(reception.start),
        time(reception.end),
        QVariant(reception.workstation),
        QVariant(reception.user),
        QVariant(reception.nif),
        QVariant(reception.name),
        QVariant(reception.year),
        QVariant(reception.result),
        QVariant(reason),
        QVariant(form.isEmpty() ? deposit.value(u"form"_s).toString() : form),
        text(u"currency"_s),
        text(u"fingerprintVerdict"_s),
        text(u"fingerprint"_s),
        text(u"computedFingerprint"_s),
        text(u"structureStatus"_s),
        text(u"completenessStatus"_s),
        text(u"primaryErrors"_s),
        text(u"implicitErrors"_s),
        text(u"openStatus"_s),
        QVariant(deposit.value(u"ioFailure"_s).toObject().value(u"message"_s).toString()),
        QVariant(record.value(u"medio"_s).toString()),
        QVariant(jobs),
        QVariant(qint64(record.value(u"duracionMs"_s).toDouble() / 1000.0 + 0.5)),
        deposit.contains(u"exitCode"_s) ? QVariant(deposit.value(u"exitCode"_s).toInteger())
                                        : QVariant(QString()),
        QVariant(QString(reception.program + u' ' + reception.version).trimmed()),
        QVariant(reception.id),
        QVariant(reception.hash),
    };
}

namespace {

QString SpreadsheetText(const QVariant &cell)
{
    if (cell.typeId() == QMetaType::QDateTime) {
        const QDateTime time = cell.toDateTime();
        return time.isValid() ? time.toString(u"dd/MM/yyyy HH:mm:ss"_s) : QString();
    }
    return cell.toString();
}

lxw_datetime XlsxTime(const QDateTime &time)
{
    const QDate day = time.date();
    const QTime clock = time.time();
    return {day.year(),   day.month(),    day.day(),
            clock.hour(), clock.minute(), double(clock.second())};
}

Failure XlsxFailure(lxw_error error)
{
    return Failure::Data(u"ERROR. No se puede hacer la hoja de cálculo: %1"_s.arg(
        QString::fromUtf8(lxw_strerror(error))));
}

} // namespace

QByteArray SpreadsheetCsv(const QList<StoredReception> &receptions)
{
    QStringList heads;
    for (const SpreadsheetColumn &column : SpreadsheetColumns())
        heads.append(column.head);
    QByteArray out = "\xEF\xBB\xBF" + CsvLine(heads, u';');
    for (const StoredReception &reception : receptions) {
        QStringList cells;
        for (const QVariant &cell : SpreadsheetRow(reception))
            cells.append(SpreadsheetText(cell));
        out += CsvLine(cells, u';');
    }
    return out;
}

Failure SpreadsheetXlsx(const QList<StoredReception> &receptions, QByteArray *bytes)
{
    // The library writes to a path only: a folder of ours alone (0700).
    QTemporaryDir folder;
    if (!folder.isValid())
        return Failure::Io(QDir::tempPath(), EIO);
    const QString path = folder.filePath(u"recepciones.xlsx"_s);
    const QByteArray hostPath = QFile::encodeName(path);
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    const QByteArray work = QFile::encodeName(folder.path());
    options.tmpdir = const_cast<char *>(work.constData());
    lxw_workbook *workbook = workbook_new_opt(hostPath.constData(), &options);
    if (!workbook)
        return Failure::Io(path, errno ? errno : EIO);
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Recepciones");
    lxw_format *head = workbook_add_format(workbook);
    format_set_bold(head);
    format_set_text_wrap(head);
    format_set_align(head, LXW_ALIGN_VERTICAL_TOP);
    lxw_format *time = workbook_add_format(workbook);
    format_set_num_format(time, "dd/mm/yyyy hh:mm:ss");
    format_set_align(time, LXW_ALIGN_LEFT);
    lxw_format *text = workbook_add_format(workbook);
    format_set_num_format(text, "@");

    const QList<SpreadsheetColumn> &columns = SpreadsheetColumns();
    for (int c = 0; c < columns.size(); ++c) {
        const SpreadsheetColumn &column = columns.at(c);
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), column.width,
                             column.kind == SpreadsheetKind::Text ? text : nullptr);
        worksheet_write_string(sheet, 0, lxw_col_t(c), column.head.toUtf8().constData(), head);
    }
    worksheet_freeze_panes(sheet, 1, 0);
    lxw_row_t row = 1;
    for (const StoredReception &reception : receptions) {
        const QVariantList cells = SpreadsheetRow(reception);
        for (int c = 0; c < cells.size(); ++c) {
            const QVariant &cell = cells.at(c);
            const auto column = lxw_col_t(c);
            if (cell.typeId() == QMetaType::QDateTime) {
                if (cell.toDateTime().isValid()) {
                    lxw_datetime when = XlsxTime(cell.toDateTime());
                    worksheet_write_datetime(sheet, row, column, &when, time);
                }
            } else if (cell.typeId() == QMetaType::LongLong) {
                worksheet_write_number(sheet, row, column, double(cell.toLongLong()), nullptr);
            } else if (!cell.toString().isEmpty()) {
                // Text stays text: never read as a number, a date or a formula;
                // a cell holds 32,767 characters at most.
                worksheet_write_string(sheet, row, column,
                                       cell.toString().left(32767).toUtf8().constData(), text);
            }
        }
        ++row;
    }
    if (row > 1)
        worksheet_autofilter(sheet, 0, 0, row - 1, lxw_col_t(columns.size() - 1));
    if (const lxw_error error = workbook_close(workbook); error != LXW_NO_ERROR)
        return XlsxFailure(error);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure::Io(path, errno ? errno : EIO);
    *bytes = file.readAll();
    return {};
}

Failure ExportReceptions(const QList<StoredReception> &receptions, ExportFormat format,
                         const QString &path)
{
    if (format == ExportFormat::Csv)
        return WriteExportFile(path, SpreadsheetCsv(receptions));
    QByteArray bytes;
    if (const Failure failure = SpreadsheetXlsx(receptions, &bytes); failure.Failed())
        return failure;
    return WriteExportFile(path, bytes);
}

Failure WriteExportFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo target(path);
    if (!QFileInfo(target.absolutePath()).isDir())
        return Failure::Data(u"ERROR. No existe la carpeta %1."_s.arg(target.absolutePath()), path);
    if (target.exists() && !target.isFile())
        return Failure::Data(u"ERROR. %1 no es un fichero: no se escribe en él."_s.arg(path), path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Failure::Io(path, errno ? errno : EIO);
    return {};
}

QString LocalTimeText(const QString &storedTime)
{
    const QDateTime time = QDateTime::fromString(storedTime, Qt::ISODateWithMs);
    if (!time.isValid())
        return storedTime;
    return time.toLocalTime().toString(u"dd/MM/yyyy HH:mm:ss"_s);
}

} // namespace vk7
