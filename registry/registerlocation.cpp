#include "registerlocation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The registry's setting for every workstation, then the user's own.
constexpr auto kSystemSettings = "/etc/vk7/vk7.conf";

QString SettingIn(const QString &file)
{
    if (!QFileInfo::exists(file))
        return QString();
    const QSettings settings(file, QSettings::IniFormat);
    return settings.value(u"registro"_s).toString().trimmed();
}

} // namespace

QString RegisterLocation::Describe() const
{
    switch (kind) {
    case Kind::Sqlite:
        return path;
    case Kind::Postgresql:
        return u"postgresql://%1@%2:%3/%4"_s.arg(user, host).arg(port).arg(database);
    case Kind::Off:
        break;
    }
    return u"off"_s;
}

Failure ParseRegisterLocation(const QString &text, RegisterLocation *location)
{
    *location = RegisterLocation();
    const QString value = text.trimmed();
    if (value.compare(u"off"_s, Qt::CaseInsensitive) == 0)
        return {};
    if (value.startsWith(u"sqlite:"_s)) {
        const QString path = value.mid(7);
        if (path.isEmpty())
            return Failure::Data(u"ERROR. Registro \"%1\": falta la ruta del fichero."_s.arg(text));
        location->kind = RegisterLocation::Kind::Sqlite;
        location->path = QFileInfo(path).absoluteFilePath();
        return {};
    }
    static const QRegularExpression url(
        u"^postgres(?:ql)?://(?:([^@/:]+)@)?([^/:@]+)(?::([0-9]{1,5}))?/([^/?#]+)$"_s);
    const QRegularExpressionMatch match = url.match(value);
    if (!match.hasMatch()) {
        return Failure::Data(u"ERROR. Registro \"%1\": se espera sqlite:RUTA, "
                             u"postgresql://USUARIO@SERVIDOR:PUERTO/BASE u off."_s.arg(text));
    }
    location->kind = RegisterLocation::Kind::Postgresql;
    location->user = QUrl::fromPercentEncoding(match.captured(1).toUtf8());
    location->host = QUrl::fromPercentEncoding(match.captured(2).toUtf8());
    location->port = match.captured(3).isEmpty() ? 5432 : match.captured(3).toInt();
    location->database = QUrl::fromPercentEncoding(match.captured(4).toUtf8());
    return {};
}

QString RegisterDataFolder()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + u"/.local/share"_s;
    return data + u"/vk7"_s;
}

RegisterLocation DefaultRegisterLocation()
{
    RegisterLocation location;
    location.kind = RegisterLocation::Kind::Sqlite;
    location.path = RegisterDataFolder() + u"/registro.sqlite"_s;
    return location;
}

QString RegisterSpoolPath()
{
    return RegisterDataFolder() + u"/pendientes.sqlite"_s;
}

Failure ConfiguredRegister(bool disabled, RegisterLocation *location)
{
    *location = RegisterLocation();
    if (disabled)
        return {};
    QString text = qEnvironmentVariable("VK7_REGISTRO").trimmed();
    if (text.isEmpty()) {
        const QString config =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (!config.isEmpty())
            text = SettingIn(config + u"/vk7/vk7.conf"_s);
    }
    if (text.isEmpty())
        text = SettingIn(QString::fromLatin1(kSystemSettings));
    if (text.isEmpty()) {
        *location = DefaultRegisterLocation();
        return {};
    }
    const Failure failure = ParseRegisterLocation(text, location);
    if (failure.Failed())
        *location = RegisterLocation();
    return failure;
}

} // namespace vk7
