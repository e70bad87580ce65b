#include "receptionregister.h"

#include <atomic>

#include <QFileInfo>
#include <QJsonDocument>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

std::atomic<int> spoolCount{0};

} // namespace

// The local spool: an SQLite file of the user's (0600) with the records
// that wait for the store, by id, in the order they came.
class ReceptionRegister::Spool
{
public:
    explicit Spool(const QString &path)
        : path_(path), connection_(u"vk7_pendientes_%1"_s.arg(++spoolCount))
    {
    }
    ~Spool() { Close(); }

    const QString &Path() const { return path_; }

    // `create`: make the file when it is not there; else a missing spool is
    // an empty one and stays missing.
    bool Open(bool create, QString *error)
    {
        if (db_.isValid() && db_.isOpen())
            return true;
        if (!QFileInfo::exists(path_)) {
            if (!create)
                return false;
            if (!MakePrivateFile(path_, error))
                return false;
        }
        db_ = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection_);
        db_.setDatabaseName(path_);
        db_.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=60000"_s);
        if (!db_.open()) {
            *error = db_.lastError().text().trimmed();
            Close();
            return false;
        }
        QSqlQuery query(db_);
        if (!query.exec(u"PRAGMA journal_mode=WAL"_s) ||
            !query.exec(u"CREATE TABLE IF NOT EXISTS pendientes (numero INTEGER PRIMARY KEY "
                        u"AUTOINCREMENT, id TEXT NOT NULL UNIQUE, contenido TEXT NOT NULL)"_s)) {
            *error = query.lastError().text().trimmed();
            query = QSqlQuery();
            Close();
            return false;
        }
        return true;
    }

    bool Keep(const QJsonObject &record, QString *error)
    {
        if (!Open(true, error))
            return false;
        QSqlQuery insert(db_);
        insert.prepare(u"INSERT OR IGNORE INTO pendientes (id, contenido) VALUES (?, ?)"_s);
        insert.addBindValue(record.value(u"id"_s).toString());
        insert.addBindValue(QString::fromUtf8(CanonicalContent(record)));
        if (!insert.exec()) {
            *error = insert.lastError().text().trimmed();
            return false;
        }
        return true;
    }

    // The waiting records, oldest first; -1 when they cannot be read.
    qint64 Read(QList<QPair<QString, QJsonObject>> *records)
    {
        QString error;
        if (!Open(false, &error))
            return error.isEmpty() ? 0 : -1;
        QSqlQuery query(db_);
        query.setForwardOnly(true);
        if (!query.exec(u"SELECT id, contenido FROM pendientes ORDER BY numero"_s))
            return -1;
        while (query.next()) {
            records->append({query.value(0).toString(),
                             QJsonDocument::fromJson(query.value(1).toString().toUtf8()).object()});
        }
        return records->size();
    }

    void Forget(const QString &id)
    {
        QSqlQuery remove(db_);
        remove.prepare(u"DELETE FROM pendientes WHERE id = ?"_s);
        remove.addBindValue(id);
        remove.exec();
    }

    qint64 Count()
    {
        QString error;
        if (!Open(false, &error))
            return error.isEmpty() ? 0 : -1;
        QSqlQuery query(db_);
        if (!query.exec(u"SELECT COUNT(*) FROM pendientes"_s) || !query.next())
            return -1;
        return query.value(0).toLongLong();
    }

private:
    void Close()
    {
        if (!db_.isValid())
            return;
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }

    QString path_;
    QString connection_;
    QSqlDatabase db_;
};

ReceptionRegister::ReceptionRegister(const RegisterLocation &location, const QString &spoolPath)
    : location_(location), store_(location),
      spool_(std::make_unique<Spool>(spoolPath.isEmpty() ? RegisterSpoolPath() : spoolPath))
{
}

ReceptionRegister::~ReceptionRegister() = default;

qint64 ReceptionRegister::DeliverPending()
{
    if (IsOff())
        return 0;
    QList<QPair<QString, QJsonObject>> records;
    const qint64 count = spool_->Read(&records);
    if (count <= 0)
        return count;
    qint64 waiting = count;
    for (const auto &record : std::as_const(records)) {
        // Delivered before it leaves the spool: a crash between the two
        // delivers it again, which its id makes a no-op.
        if (store_.Append(record.second).Failed())
            break;
        spool_->Forget(record.first);
        --waiting;
    }
    return waiting;
}

qint64 ReceptionRegister::PendingCount()
{
    return spool_->Count();
}

QString ReceptionRegister::PendingNotice(qint64 pending) const
{
    return u"Registro de recepciones: %1 recepción(es) guardada(s) localmente en %2, "
           u"pendiente(s) de entregar a %3."_s.arg(pending)
               .arg(spool_->Path(), location_.Describe());
}

RecordOutcome ReceptionRegister::Record(const QJsonObject &record)
{
    RecordOutcome outcome;
    if (IsOff())
        return outcome;
    // A store that just failed is not asked again at once: a server that
    // does not answer would hold every reception of a batch up.
    Failure failure = lastFailure_;
    if (!failure.Failed() || !failedAt_.isValid() || failedAt_.hasExpired(kRetryAfterMs)) {
        DeliverPending();
        failure = store_.Append(record);
    }
    if (!failure.Failed()) {
        lastFailure_ = {};
        outcome.stored = true;
        return outcome;
    }
    if (!lastFailure_.Failed() || failedAt_.hasExpired(kRetryAfterMs)) {
        lastFailure_ = failure;
        failedAt_.start();
    }
    QString error;
    if (spool_->Keep(record, &error)) {
        outcome.spooled = true;
        outcome.statusText = u"Registro de recepciones no disponible: la recepción queda guardada "
                             u"localmente."_s;
        outcome.notice = u"Registro de recepciones no disponible: la recepción queda guardada "
                         u"localmente (%1). %2"_s.arg(spool_->Path(), failure.text);
    } else {
        outcome.statusText = u"ERROR. No se ha podido registrar la recepción."_s;
        outcome.notice = u"ERROR. No se ha podido guardar el registro de la recepción: %1; "
                         u"tampoco localmente en %2: %3"_s.arg(failure.text, spool_->Path(), error);
    }
    return outcome;
}

} // namespace vk7
