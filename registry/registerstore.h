#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include "reception/failure.h"
#include "registerlocation.h"

namespace vk7 {

// One reception as the register keeps it: the columns a search reads, taken
// from the record when it was added, and the record itself, exactly as
// chained.
struct StoredReception
{
    qint64 number = 0; // its place in the chain, from 1
    QString id;        // the reception's UUID
    QString start;     // "inicio", UTC, ISO 8601 with milliseconds
    QString end;       // "fin"
    QString workstation;
    QString user;
    QString program;
    QString version;
    QString nif;
    QString name; // the company's
    QString year;
    QString result; // "resultado": Válido, No válido, No abierto...
    int exitCode = 2;
    QByteArray content; // the record's canonical JSON, as hashed
    QString previousHash;
    QString hash;

    // The record's content as an object (empty when it is not JSON).
    QJsonObject Record() const;
};

// What a listing asks for: receptions begun on or after `from` and on or
// before `to` (the workstation's local days; an invalid date: no bound), of
// one NIF (empty: any).
struct RegisterQuery
{
    QDate from;
    QDate to;
    QString nif;
};

// The walk of the chain: whole, or the first record that does not match.
struct ChainVerification
{
    qint64 records = 0;
    bool whole = true;
    qint64 firstBadNumber = 0;
    QString firstBadId;
    QString reason; // Spanish: what does not match
};

// The hash that chains a record: SHA-256 of the previous record's hash (64
// zeros before the first), a line break and the record's canonical content,
// as lower-case hex.
QString ChainHash(const QString &previousHash, const QByteArray &content);
// Makes the SQLite file of a register (or of its spool) when it is not
// there: the user's alone, its folder 0700 and the file 0600 (SQLite gives
// its journal files the file's mode). False, with the reason, when it cannot.
bool MakePrivateFile(const QString &path, QString *error);
// The record's canonical content: compact JSON, members in key order.
QByteArray CanonicalContent(const QJsonObject &record);

// One connection to the register's store. Open() connects and creates or
// upgrades the schema (the table vk7_esquema holds its version, each
// version one migration, applied under the chain's lock). Every value is
// bound, never written into the SQL. Not for use from two threads.
class RegisterStore
{
public:
    explicit RegisterStore(const RegisterLocation &location);
    ~RegisterStore();
    RegisterStore(const RegisterStore &) = delete;
    RegisterStore &operator=(const RegisterStore &) = delete;

    const RegisterLocation &Location() const { return location_; }
    // Commits that return before they reach the disk (set before Open): a
    // crash of the program loses nothing, one of the machine (SQLite) or of
    // the server (PostgreSQL) may lose the last fraction of a second. For a
    // batch's jobs, where waiting for the disk at every deposit would cost
    // the batch a third of its time; every other writer waits for it.
    void SetAsynchronousCommits(bool asynchronous) { asynchronous_ = asynchronous; }
    bool IsOpen() const;
    Failure Open();
    void Close();

    // Adds a record at the chain's end, under a lock that keeps concurrent
    // writers (jobs, workstations) from forking it (SQLite: BEGIN IMMEDIATE;
    // PostgreSQL: a transaction-scoped advisory lock). A record whose "id" is
    // already there is not added again (`added` false): a second delivery
    // is no-op.
    Failure Append(const QJsonObject &record, bool *added = nullptr);

    // The receptions a query chooses, oldest first (by start, then place in
    // the chain), one at a time: a register of years is never held whole.
    // `visit` returns false to stop.
    Failure ForEach(const RegisterQuery &query,
                    const std::function<bool(const StoredReception &)> &visit);
    // The same, gathered.
    Failure List(const RegisterQuery &query, QList<StoredReception> *receptions);

    // Walks the chain from its first record.
    Failure Verify(ChainVerification *verification);

    // The current schema version.
    static int SchemaVersion();

private:
    Failure Error(const QString &what, const QString &detail) const;
    Failure Begin();
    Failure Commit();
    void Rollback();
    Failure Migrate();
    Failure Exec(const QString &sql);

    struct AppendStatements;
    // PostgreSQL's Append: one call of the schema's function.
    Failure AppendOnServer(const QJsonObject &record, const QByteArray &content, bool *added);

    RegisterLocation location_;
    QString connection_;
    QSqlDatabase db_;
    std::unique_ptr<AppendStatements> appends_;
    bool asynchronous_ = false;
};

} // namespace vk7
