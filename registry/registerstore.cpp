#include "registerstore.h"

#include <atomic>
#include <fcntl.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include <openssl/evp.h>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// Any number the workstations agree on: the advisory lock of the chain.
constexpr qint64 kChainLock = 0x564b37; // "VK7"

const QString kNoHash = QString(64, u'0');

// One migration per schema version, in order; {postgres, sqlite} for what
// differs.
struct Migration
{
    int version;
    QStringList sqlite;
    QStringList postgresql;
};

QString ReceptionsTable(const QString &key)
{
    return u"CREATE TABLE recepciones ("
           u"numero %1, "
           u"id TEXT NOT NULL UNIQUE, "
           u"inicio TEXT NOT NULL, fin TEXT NOT NULL, "
           u"puesto TEXT NOT NULL, usuario TEXT NOT NULL, "
           u"programa TEXT NOT NULL, version TEXT NOT NULL, "
           u"nif TEXT NOT NULL, nombre TEXT NOT NULL, ejercicio TEXT NOT NULL, "
           u"resultado TEXT NOT NULL, codigo_salida INTEGER NOT NULL, "
           u"contenido TEXT NOT NULL, hash_anterior TEXT NOT NULL, hash TEXT NOT NULL)"_s.arg(key);
}

const QList<Migration> &Migrations()
{
    static const QList<Migration> migrations = {
        {1,
         {ReceptionsTable(u"INTEGER PRIMARY KEY AUTOINCREMENT"_s),
          u"CREATE INDEX recepciones_inicio ON recepciones (inicio)"_s,
          u"CREATE INDEX recepciones_nif ON recepciones (nif)"_s},
         {ReceptionsTable(u"BIGSERIAL PRIMARY KEY"_s),
          u"CREATE INDEX recepciones_inicio ON recepciones (inicio)"_s,
          u"CREATE INDEX recepciones_nif ON recepciones (nif)"_s}},
        // A record appended in one round trip to the server: the lock, the
        // chain's head and the insert in one function, each of its queries
        // with a snapshot of its own (VOLATILE), so the head read after the
        // lock is the last one committed. The hash is the one ChainHash makes.
        {2,
         {},
         {u"CREATE FUNCTION vk7_anadir_recepcion(p_id TEXT, p_inicio TEXT, p_fin TEXT, "
          u"p_puesto TEXT, p_usuario TEXT, p_programa TEXT, p_version TEXT, p_nif TEXT, "
          u"p_nombre TEXT, p_ejercicio TEXT, p_resultado TEXT, p_codigo INTEGER, "
          u"p_contenido TEXT) RETURNS BOOLEAN LANGUAGE plpgsql VOLATILE AS $$\n"
          u"DECLARE previo TEXT;\n"
          u"BEGIN\n"
          u"  PERFORM pg_advisory_xact_lock(%1);\n"
          u"  IF EXISTS (SELECT 1 FROM recepciones WHERE id = p_id) THEN RETURN FALSE; END IF;\n"
          u"  SELECT hash INTO previo FROM recepciones ORDER BY numero DESC LIMIT 1;\n"
          u"  previo := COALESCE(previo, repeat('0', 64));\n"
          u"  INSERT INTO recepciones (id, inicio, fin, puesto, usuario, programa, version, "
          u"nif, nombre, ejercicio, resultado, codigo_salida, contenido, hash_anterior, hash) "
          u"VALUES (p_id, p_inicio, p_fin, p_puesto, p_usuario, p_programa, p_version, p_nif, "
          u"p_nombre, p_ejercicio, p_resultado, p_codigo, p_contenido, previo, "
          u"encode(sha256(convert_to(previo || E'\\n' || p_contenido, 'UTF8')), 'hex'));\n"
          u"  RETURN TRUE;\n"
          u"END $$"_s.arg(kChainLock)}},
    };
    return migrations;
}

// The searchable columns, as a record gives them.
struct Columns
{
    QString id, start, end, workstation, user, program, version, nif, name, year, result;
    int exitCode = 2;
};

Columns ColumnsOf(const QJsonObject &record)
{
    const QJsonObject deposit = record.value(u"deposito"_s).toObject();
    Columns columns;
    columns.id = record.value(u"id"_s).toString();
    columns.start = record.value(u"inicio"_s).toString();
    columns.end = record.value(u"fin"_s).toString();
    columns.workstation = record.value(u"puesto"_s).toString();
    columns.user = record.value(u"usuario"_s).toString();
    columns.program = record.value(u"programa"_s).toString();
    columns.version = record.value(u"version"_s).toString();
    columns.nif = deposit.value(u"nif"_s).toString();
    columns.name = deposit.value(u"companyName"_s).toString();
    columns.year = deposit.value(u"year"_s).toString();
    columns.result = record.value(u"resultado"_s).toString();
    columns.exitCode = deposit.value(u"exitCode"_s).toInt(2);
    return columns;
}

// The columns and the content, bound from the first placeholder in the
// order the table has them; the next placeholder's index.
int BindRecord(QSqlQuery &query, const Columns &columns, const QByteArray &content)
{
    int index = 0;
    for (const QString &value : {columns.id, columns.start, columns.end, columns.workstation,
                                 columns.user, columns.program, columns.version, columns.nif,
                                 columns.name, columns.year, columns.result})
        query.bindValue(index++, value.isNull() ? u""_s : value); // a missing member is ""
    query.bindValue(index++, columns.exitCode);
    query.bindValue(index++, QString::fromUtf8(content));
    return index;
}

// Local midnight of `day` as the stored times write it (UTC).
QString StartOfDay(const QDate &day)
{
    return day.startOfDay().toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzzZ"_s);
}

std::atomic<int> connectionCount{0};

} // namespace

QJsonObject StoredReception::Record() const
{
    return QJsonDocument::fromJson(content).object();
}

QString ChainHash(const QString &previousHash, const QByteArray &content)
{
    // libcrypto's SHA-256 uses the processor's own instructions where there
    // are any: a batch appends a record per deposit.
    const QByteArray linked = previousHash.toLatin1() + '\n' + content;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(linked.constData(), size_t(linked.size()), digest, &length, EVP_sha256(),
                   nullptr) != 1) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(linked);
        return QString::fromLatin1(hash.result().toHex());
    }
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

bool MakePrivateFile(const QString &path, QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder)) {
            *error = u"no se puede crear la carpeta %1"_s.arg(folder);
            return false;
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = SystemErrorText(errno);
        return false;
    }
    ::close(fd);
    return true;
}

QByteArray CanonicalContent(const QJsonObject &record)
{
    return QJsonDocument(record).toJson(QJsonDocument::Compact);
}

// The statements every Append runs, prepared on the connection once.
struct RegisterStore::AppendStatements
{
    explicit AppendStatements(const QSqlDatabase &db) : head(db), insert(db) {}
    QSqlQuery head;
    QSqlQuery insert;
};

RegisterStore::RegisterStore(const RegisterLocation &location)
    : location_(location), connection_(u"vk7_registro_%1"_s.arg(++connectionCount))
{
}

RegisterStore::~RegisterStore()
{
    Close();
}

int RegisterStore::SchemaVersion()
{
    return Migrations().constLast().version;
}

bool RegisterStore::IsOpen() const
{
    return db_.isValid() && db_.isOpen();
}

void RegisterStore::Close()
{
    appends_.reset();
    if (!db_.isValid())
        return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection_);
}

Failure RegisterStore::Error(const QString &what, const QString &detail) const
{
    return Failure::Data(u"%1 (%2): %3"_s.arg(what, location_.Describe(), detail.simplified()));
}

Failure RegisterStore::Open()
{
    if (IsOpen())
        return {};
    Close();
    const bool sqlite = location_.kind == RegisterLocation::Kind::Sqlite;
    const QString driver = sqlite ? u"QSQLITE"_s : u"QPSQL"_s;
    if (location_.IsOff())
        return Failure::Data(u"El registro de recepciones está desactivado."_s);
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        return Error(u"No se puede abrir el registro de recepciones"_s,
                     u"falta el controlador %1 de Qt (paquete %2)"_s.arg(
                         driver, sqlite ? u"libqt6sql6-sqlite"_s : u"libqt6sql6-psql"_s));
    }
    if (sqlite) {
        QString error;
        if (!MakePrivateFile(location_.path, &error))
            return Error(u"No se puede crear el registro de recepciones"_s, error);
    }
    db_ = QSqlDatabase::addDatabase(driver, connection_);
    if (sqlite) {
        db_.setDatabaseName(location_.path);
        // Writers queue for the chain's lock rather than fail.
        db_.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=60000"_s);
    } else {
        db_.setHostName(location_.host);
        db_.setPort(location_.port);
        db_.setUserName(location_.user);
        db_.setDatabaseName(location_.database);
        // A server that does not answer must not hold the reception up long.
        db_.setConnectOptions(u"connect_timeout=5"_s);
    }
    if (!db_.open()) {
        const QString detail = db_.lastError().text();
        Close();
        return Error(u"No se puede abrir el registro de recepciones"_s, detail);
    }
    if (sqlite) {
        // WAL: readers never wait for the writer.
        if (Failure failure = Exec(u"PRAGMA journal_mode=WAL"_s); failure.Failed()) {
            Close();
            return failure;
        }
        Exec(asynchronous_ ? u"PRAGMA synchronous=NORMAL"_s : u"PRAGMA synchronous=FULL"_s);
    } else if (asynchronous_) {
        Exec(u"SET synchronous_commit = off"_s);
    }
    if (const Failure failure = Migrate(); failure.Failed()) {
        Close();
        return failure;
    }
    return {};
}

Failure RegisterStore::Exec(const QString &sql)
{
    QSqlQuery query(db_);
    if (!query.exec(sql))
        return Error(u"ERROR en el registro de recepciones"_s, query.lastError().text());
    return {};
}

Failure RegisterStore::Begin()
{
    if (location_.kind == RegisterLocation::Kind::Sqlite)
        return Exec(u"BEGIN IMMEDIATE"_s);
    if (const Failure failure = Exec(u"BEGIN"_s); failure.Failed())
        return failure;
    // The lock's number is the program's own constant, not a value.
    const Failure failure = Exec(u"SELECT pg_advisory_xact_lock(%1)"_s.arg(kChainLock));
    if (failure.Failed())
        Rollback();
    return failure;
}

Failure RegisterStore::Commit()
{
    const Failure failure = Exec(u"COMMIT"_s);
    if (failure.Failed())
        Rollback();
    return failure;
}

void RegisterStore::Rollback()
{
    QSqlQuery(db_).exec(u"ROLLBACK"_s);
}

Failure RegisterStore::Migrate()
{
    // Nothing to do once the schema is current: read without the lock.
    {
        QSqlQuery query(db_);
        if (query.exec(u"SELECT MAX(version) FROM vk7_esquema"_s) && query.next() &&
            query.value(0).toInt() >= SchemaVersion())
            return {};
    }
    if (const Failure failure = Begin(); failure.Failed())
        return failure;
    const auto fail = [this](const QString &detail) {
        Rollback();
        return Error(u"No se puede preparar el registro de recepciones"_s, detail);
    };
    QSqlQuery query(db_);
    if (!query.exec(u"CREATE TABLE IF NOT EXISTS vk7_esquema (version INTEGER NOT NULL)"_s))
        return fail(query.lastError().text());
    if (!query.exec(u"SELECT COALESCE(MAX(version), 0) FROM vk7_esquema"_s) || !query.next())
        return fail(query.lastError().text());
    const int current = query.value(0).toInt();
    const bool sqlite = location_.kind == RegisterLocation::Kind::Sqlite;
    for (const Migration &migration : Migrations()) {
        if (migration.version <= current)
            continue;
        for (const QString &sql : sqlite ? migration.sqlite : migration.postgresql) {
            if (!query.exec(sql))
                return fail(query.lastError().text());
        }
        QSqlQuery mark(db_);
        mark.prepare(u"INSERT INTO vk7_esquema (version) VALUES (?)"_s);
        mark.addBindValue(migration.version);
        if (!mark.exec())
            return fail(mark.lastError().text());
    }
    query.finish();
    return Commit();
}

Failure RegisterStore::Append(const QJsonObject &record, bool *added)
{
    if (added)
        *added = false;
    if (const Failure failure = Open(); failure.Failed())
        return failure;
    const Columns columns = ColumnsOf(record);
    if (columns.id.isEmpty())
        return Error(u"ERROR en el registro de recepciones"_s, u"un registro sin id"_s);
    const QByteArray content = CanonicalContent(record);
    if (location_.kind == RegisterLocation::Kind::Postgresql)
        return AppendOnServer(record, content, added);
    if (const Failure failure = Begin(); failure.Failed()) {
        Close();
        return failure;
    }
    const auto fail = [this](const QSqlQuery &query) {
        const Failure failure =
            Error(u"ERROR en el registro de recepciones"_s, query.lastError().text());
        Rollback();
        // A connection the server dropped is made again at the next record.
        Close();
        return failure;
    };
    // Prepared once a connection: a batch job appends hundreds.
    if (!appends_) {
        appends_ = std::make_unique<AppendStatements>(db_);
        if (!appends_->head.prepare(
                u"SELECT (SELECT COUNT(*) FROM recepciones WHERE id = ?), "
                u"(SELECT hash FROM recepciones ORDER BY numero DESC LIMIT 1)"_s))
            return fail(appends_->head);
        if (!appends_->insert.prepare(
                u"INSERT INTO recepciones (id, inicio, fin, puesto, usuario, programa, version, "
                u"nif, nombre, ejercicio, resultado, codigo_salida, contenido, hash_anterior, "
                u"hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s))
            return fail(appends_->insert);
    }
    QSqlQuery &head = appends_->head;
    head.bindValue(0, columns.id);
    if (!head.exec() || !head.next())
        return fail(head);
    const bool seen = head.value(0).toLongLong() > 0;
    const QString previous = head.value(1).isNull() ? kNoHash : head.value(1).toString();
    head.finish();
    if (seen)
        return Commit();
    QSqlQuery &insert = appends_->insert;
    int index = BindRecord(insert, columns, content);
    insert.bindValue(index++, previous);
    insert.bindValue(index++, ChainHash(previous, content));
    if (!insert.exec())
        return fail(insert);
    if (const Failure failure = Commit(); failure.Failed()) {
        Close();
        return failure;
    }
    if (added)
        *added = true;
    return {};
}

Failure RegisterStore::AppendOnServer(const QJsonObject &record, const QByteArray &content,
                                      bool *added)
{
    const Columns columns = ColumnsOf(record);
    if (!appends_) {
        appends_ = std::make_unique<AppendStatements>(db_);
        if (!appends_->insert.prepare(u"SELECT vk7_anadir_recepcion(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                      u"?, ?, ?)"_s)) {
            const Failure failure = Error(u"ERROR en el registro de recepciones"_s,
                                          appends_->insert.lastError().text());
            Close();
            return failure;
        }
    }
    QSqlQuery &append = appends_->insert;
    BindRecord(append, columns, content);
    if (!append.exec() || !append.next()) {
        const Failure failure =
            Error(u"ERROR en el registro de recepciones"_s, append.lastError().text());
        // A connection the server dropped is made again at the next record.
        Close();
        return failure;
    }
    if (added)
        *added = append.value(0).toBool();
    append.finish();
    return {};
}

namespace {

const QString kSelect = u"SELECT numero, id, inicio, fin, puesto, usuario, programa, version, "
                        u"nif, nombre, ejercicio, resultado, codigo_salida, contenido, "
                        u"hash_anterior, hash FROM recepciones"_s;

StoredReception ReadRow(const QSqlQuery &query)
{
    StoredReception row;
    row.number = query.value(0).toLongLong();
    row.id = query.value(1).toString();
    row.start = query.value(2).toString();
    row.end = query.value(3).toString();
    row.workstation = query.value(4).toString();
    row.user = query.value(5).toString();
    row.program = query.value(6).toString();
    row.version = query.value(7).toString();
    row.nif = query.value(8).toString();
    row.name = query.value(9).toString();
    row.year = query.value(10).toString();
    row.result = query.value(11).toString();
    row.exitCode = query.value(12).toInt();
    row.content = query.value(13).toString().toUtf8();
    row.previousHash = query.value(14).toString();
    row.hash = query.value(15).toString();
    return row;
}

} // namespace

Failure RegisterStore::List(const RegisterQuery &request, QList<StoredReception> *receptions)
{
    receptions->clear();
    return ForEach(request, [receptions](const StoredReception &reception) {
        receptions->append(reception);
        return true;
    });
}

Failure RegisterStore::ForEach(const RegisterQuery &request,
                               const std::function<bool(const StoredReception &)> &visit)
{
    if (const Failure failure = Open(); failure.Failed())
        return failure;
    QStringList conditions;
    QVariantList values;
    if (request.from.isValid()) {
        conditions.append(u"inicio >= ?"_s);
        values.append(StartOfDay(request.from));
    }
    if (request.to.isValid()) {
        conditions.append(u"inicio < ?"_s);
        values.append(StartOfDay(request.to.addDays(1)));
    }
    if (!request.nif.trimmed().isEmpty()) {
        conditions.append(u"nif = ?"_s);
        values.append(request.nif.trimmed().toUpper());
    }
    QString sql = kSelect;
    if (!conditions.isEmpty())
        sql += u" WHERE "_s + conditions.join(u" AND "_s);
    sql += u" ORDER BY inicio, numero"_s;
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    query.prepare(sql);
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    if (!query.exec()) {
        const Failure failure =
            Error(u"ERROR leyendo el registro de recepciones"_s, query.lastError().text());
        Close();
        return failure;
    }
    while (query.next()) {
        if (!visit(ReadRow(query)))
            break;
    }
    return {};
}

Failure RegisterStore::Verify(ChainVerification *verification)
{
    *verification = ChainVerification();
    if (const Failure failure = Open(); failure.Failed())
        return failure;
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.exec(kSelect + u" ORDER BY numero"_s)) {
        const Failure failure =
            Error(u"ERROR leyendo el registro de recepciones"_s, query.lastError().text());
        Close();
        return failure;
    }
    QString previous = kNoHash;
    while (query.next()) {
        const StoredReception row = ReadRow(query);
        ++verification->records;
        QString reason;
        if (row.previousHash != previous) {
            reason = u"no enlaza con el registro anterior (falta o se ha cambiado uno)"_s;
        } else if (ChainHash(previous, row.content) != row.hash) {
            reason = u"su contenido no corresponde a su hash"_s;
        } else {
            const QJsonObject record = row.Record();
            const Columns columns = ColumnsOf(record);
            if (record.isEmpty() || CanonicalContent(record) != row.content)
                reason = u"su contenido no es el que se guardó"_s;
            else if (columns.id != row.id || columns.start != row.start || columns.end != row.end ||
                     columns.workstation != row.workstation || columns.user != row.user ||
                     columns.program != row.program || columns.version != row.version ||
                     columns.nif != row.nif || columns.name != row.name ||
                     columns.year != row.year || columns.result != row.result ||
                     columns.exitCode != row.exitCode)
                reason = u"sus columnas no corresponden a su contenido"_s;
        }
        if (!reason.isEmpty()) {
            verification->whole = false;
            verification->firstBadNumber = row.number;
            verification->firstBadId = row.id;
            verification->reason = reason;
            return {};
        }
        previous = row.hash;
    }
    return {};
}

} // namespace vk7
