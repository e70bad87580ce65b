#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

#include "registerlocation.h"
#include "registerstore.h"

namespace vk7 {

// What became of a record: in the store, kept in the local spool, or lost
// (neither could take it). `notice` is what the clerk is told (the status
// line, vk7check's standard error), empty when the record is in the store.
struct RecordOutcome
{
    bool stored = false;
    bool spooled = false;
    QString notice;
    QString statusText; // the same, short, for the status line
};

// The register as the programs write it: the store, and the local spool
// (an SQLite file of its own) that keeps a record while the store is away.
// A down server or a full disk never stops a reception: the record waits in
// the spool and is delivered, once, at the next record or start (the
// reception's id makes a second delivery a no-op).
class ReceptionRegister
{
public:
    // `spoolPath` empty: RegisterSpoolPath().
    explicit ReceptionRegister(const RegisterLocation &location,
                               const QString &spoolPath = QString());
    ~ReceptionRegister();
    ReceptionRegister(const ReceptionRegister &) = delete;
    ReceptionRegister &operator=(const ReceptionRegister &) = delete;

    bool IsOff() const { return location_.IsOff(); }
    const RegisterLocation &Location() const { return location_; }
    RegisterStore &Store() { return store_; }

    // Delivers what waits in the spool, then adds `record`; when the store
    // cannot take it, keeps it in the spool. After a failure the store is
    // left alone for 30 seconds: records go straight to the spool.
    RecordOutcome Record(const QJsonObject &record);

    // Hands the spool's records to the store, each once; the number still
    // waiting afterwards (-1 when the spool cannot be read).
    qint64 DeliverPending();
    // Records waiting in the spool now.
    qint64 PendingCount();

    // The notice for records that still wait: "N recepción(es) ...".
    QString PendingNotice(qint64 pending) const;

private:
    class Spool;

    // How long a store that failed is left alone.
    static constexpr qint64 kRetryAfterMs = 30000;

    RegisterLocation location_;
    RegisterStore store_;
    std::unique_ptr<Spool> spool_;
    Failure lastFailure_;
    QElapsedTimer failedAt_;
};

} // namespace vk7
