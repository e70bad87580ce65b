#include "receptionrecord.h"

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

#include <QDateTime>
#include <QJsonDocument>
#include <QSysInfo>
#include <QUuid>

#include "checkreport.h"
#include "datafiles/depositstate.h"
#include "reception/failure.h"
#include "receptionchain.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

QString Now()
{
    return QDateTime::currentDateTimeUtc().toString(u"yyyy-MM-ddTHH:mm:ss.zzzZ"_s);
}

// The user's login and the host's name, looked up once a process.
QString Login()
{
    static const QString login = [] {
        if (const passwd *entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
            return QString::fromLocal8Bit(entry->pw_name);
        return qEnvironmentVariable("USER");
    }();
    return login;
}

QString HostName()
{
    static const QString host = QSysInfo::machineHostName();
    return host;
}

QString FieldText(const DepositState &state, int key)
{
    const CCampBD *record = state.fields.FindByKey(key);
    return record ? record->value.trimmed() : QString();
}

QString ResultOf(const QJsonObject &deposit)
{
    if (deposit.contains(u"ioFailure"_s)) {
        return deposit.value(u"ioFailure"_s).toObject().value(u"systemError"_s).toInt() == ECANCELED
                   ? u"Cancelada"_s
                   : u"Fallo de la máquina"_s;
    }
    if (!deposit.value(u"openStatus"_s).toString().isEmpty() || deposit.isEmpty())
        return u"No abierto"_s;
    return deposit.value(u"valid"_s).toBool() ? u"Válido"_s : u"No válido"_s;
}

} // namespace

ReceptionRecord::ReceptionRecord(const QString &program, const QString &version)
    : program_(program), version_(version)
{
}

void ReceptionRecord::Begin(const QString &medium, const QString &diskettes,
                            const QString &fingerprint)
{
    begun_ = true;
    timer_.start();
    deposit_ = QJsonObject();
    jobs_ = QJsonArray();
    record_ = QJsonObject{
        {u"id"_s, QUuid::createUuid().toString(QUuid::WithoutBraces)},
        {u"inicio"_s, Now()},
        {u"puesto"_s, HostName()},
        {u"usuario"_s, Login()},
        {u"programa"_s, program_},
        {u"version"_s, version_},
        {u"medio"_s, medium},
        {u"disquetes"_s, diskettes},
        {u"huella"_s, fingerprint},
    };
}

void ReceptionRecord::SetRequest(const QString &medium, const QString &diskettes,
                                 const QString &fingerprint)
{
    if (!begun_)
        return;
    record_.insert(u"medio"_s, medium);
    record_.insert(u"disquetes"_s, diskettes);
    record_.insert(u"huella"_s, fingerprint);
}

void ReceptionRecord::AddPrintJob(const QString &queue, int copies, const QString &name, int pages)
{
    jobs_.append(QJsonObject{
        {u"cola"_s, queue}, {u"copias"_s, copies}, {u"trabajo"_s, name}, {u"paginas"_s, pages}});
}

QJsonObject ReceptionRecord::Finish()
{
    QJsonObject record = record_;
    record.insert(u"fin"_s, Now());
    record.insert(u"duracionMs"_s, timer_.isValid() ? timer_.elapsed() : 0);
    QJsonObject deposit = deposit_;
    for (const QString &key : {u"nif"_s, u"companyName"_s, u"year"_s})
        if (!deposit.contains(key))
            deposit.insert(key, QString());
    record.insert(u"deposito"_s, deposit);
    record.insert(u"impresiones"_s, jobs_);
    record.insert(u"resultado"_s, ResultOf(deposit_));
    begun_ = false;
    return record;
}

QJsonObject DepositRecordMembers(const DepositState &state, const ReceptionResult &result,
                                 const CheckJsonOptions &options)
{
    CheckJsonOptions summary = options;
    summary.texts = false;
    summary.loaded = false;
    summary.compact = true;
    summary.leading.clear();
    QJsonObject members = QJsonDocument::fromJson(BuildCheckJson(state, result, summary)).object();
    members.remove(u"workFolder"_s);
    members.insert(u"nif"_s, FieldText(state, 810210));
    members.insert(u"companyName"_s, FieldText(state, 810220));
    members.insert(u"year"_s, FieldText(state, 810190));
    return members;
}

QJsonObject OpenFailureRecordMembers(const QString &status)
{
    return QJsonDocument::fromJson(BuildOpenFailureJson(status)).object();
}

QJsonObject IoFailureRecordMembers(const Failure &failure, const QString &status)
{
    return QJsonDocument::fromJson(BuildIoFailureJson(failure, status)).object();
}

} // namespace vk7
