#pragma once

#include <QString>
#include <QTemporaryDir>

namespace vk7::testing {

// A private PostgreSQL for a test (scripts/test-postgres-server.sh): its
// cluster, log and socket in a temporary folder, no TCP port, the database
// "registro" owned by the trusted superuser "vk7". Start() fails with the
// script's message; a test asserts it and is never skipped. Stopped and its
// folder removed when the object goes.
class PostgresTestServer
{
public:
    PostgresTestServer();
    ~PostgresTestServer();
    PostgresTestServer(const PostgresTestServer &) = delete;
    PostgresTestServer &operator=(const PostgresTestServer &) = delete;

    bool Start(QString *error);
    // The server stopped and started again, its data kept.
    bool Pause(QString *error);
    bool Resume(QString *error);

    // Where the socket is: the host of the location.
    QString SocketFolder() const;
    // The register's location: postgresql://vk7@%2F...:5432/registro.
    QString Location() const;

private:
    bool Run(const QString &command, QString *error);

    QTemporaryDir folder_;
    bool started_ = false;
};

} // namespace vk7::testing
