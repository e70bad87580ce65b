#pragma once

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace vk7 {

struct CheckJsonOptions;
struct DepositState;
struct Failure;
struct ReceptionResult;

// The register's record of one reception, made as the reception goes: begun
// when it starts, the deposit's members set when the check has them, the
// print jobs added as they are sent, ended whatever the end. Its members:
// "id" (a UUID), "inicio" and "fin" (UTC, ISO 8601), "duracionMs", "puesto"
// (host name), "usuario" (login), "programa", "version", "medio" (as
// given), "disquetes", "huella" (as typed), "deposito" (the members of
// vk7check --json without the data read, plus "nif", "companyName",
// "year"), "impresiones" ({"cola", "copias", "trabajo", "paginas"} each) and
// "resultado" (Válido, No válido, No abierto, Fallo de la máquina,
// Cancelada).
class ReceptionRecord
{
public:
    ReceptionRecord(const QString &program, const QString &version);

    void Begin(const QString &medium, const QString &diskettes, const QString &fingerprint);
    bool Begun() const { return begun_; }
    // The medium, diskettes and fingerprint once known (the Open dialog's).
    void SetRequest(const QString &medium, const QString &diskettes, const QString &fingerprint);
    // Forgets a begun record: no reception took place.
    void Drop() { begun_ = false; }
    void SetDeposit(const QJsonObject &members) { deposit_ = members; }
    void AddPrintJob(const QString &queue, int copies, const QString &name, int pages);
    // The whole record; the record is then no longer begun.
    QJsonObject Finish();

private:
    QString program_;
    QString version_;
    bool begun_ = false;
    QJsonObject record_;
    QJsonObject deposit_;
    QJsonArray jobs_;
    QElapsedTimer timer_;
};

// The members a checked deposit's record keeps: vk7check --json's, without
// "fields", "texts", "images" and "workFolder" (the data read stays in the
// deposit), plus the company's "nif", "companyName" and "year".
QJsonObject DepositRecordMembers(const DepositState &state, const ReceptionResult &result,
                                 const CheckJsonOptions &options);
// The same for a deposit that could not be opened, or a check a failure of
// the machine (or the clerk's stop) ended.
QJsonObject OpenFailureRecordMembers(const QString &status);
QJsonObject IoFailureRecordMembers(const Failure &failure, const QString &status);

} // namespace vk7
