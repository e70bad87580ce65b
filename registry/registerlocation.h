#pragma once

#include <QString>

#include "reception/failure.h"

namespace vk7 {

// Where the reception register is kept: nowhere (turned off), an SQLite file
// or a PostgreSQL database. Written as the settings write it:
// "sqlite:PATH", "postgresql://USER@HOST:PORT/DB" (a HOST that begins with
// "/", percent-encoded as "%2F", is the folder of the server's socket) or
// "off". The password is never part of it: libpq reads ~/.pgpass or
// PGPASSFILE.
struct RegisterLocation
{
    enum class Kind { Off, Sqlite, Postgresql };
    Kind kind = Kind::Off;
    QString path; // the SQLite file
    QString user;
    QString host;
    int port = 5432;
    QString database;

    bool IsOff() const { return kind == Kind::Off; }
    // How the clerk's messages name it: the file, or USER@HOST:PORT/DB.
    QString Describe() const;
};

// Reads a location as the settings write it; a failure with its Spanish
// text when it is neither of the forms above.
Failure ParseRegisterLocation(const QString &text, RegisterLocation *location);

// The user's data folder for the register: $XDG_DATA_HOME/vk7
// (~/.local/share/vk7).
QString RegisterDataFolder();

// The register with nothing set up: $XDG_DATA_HOME/vk7/registro.sqlite.
RegisterLocation DefaultRegisterLocation();

// The local spool where records wait while the store is away:
// $XDG_DATA_HOME/vk7/pendientes.sqlite.
QString RegisterSpoolPath();

// The register the workstation is set up for, the first that says:
// `disabled` (--sin-registro), the environment's VK7_REGISTRO, the key
// "registro" of the user's ~/.config/vk7/vk7.conf, then of the registry's
// /etc/vk7/vk7.conf (QSettings INI files), else the default. A failure when
// the text found is not a location; `location` is then off.
Failure ConfiguredRegister(bool disabled, RegisterLocation *location);

} // namespace vk7
