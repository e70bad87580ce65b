#include "postgresserver.h"

#include <QProcess>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace vk7::testing {

PostgresTestServer::PostgresTestServer() : folder_(u"/tmp/vk7pg-XXXXXX"_s) {}

PostgresTestServer::~PostgresTestServer()
{
    if (started_) {
        QString ignored;
        Run(u"stop"_s, &ignored);
    }
}

QString PostgresTestServer::SocketFolder() const
{
    return folder_.path() + u"/server"_s;
}

QString PostgresTestServer::Location() const
{
    return u"postgresql://vk7@%1:5432/registro"_s.arg(
        QString::fromLatin1(QUrl::toPercentEncoding(SocketFolder())));
}

bool PostgresTestServer::Run(const QString &command, QString *error)
{
    QProcess process;
    process.start(u"bash"_s,
                  {QStringLiteral(VK7_SOURCE_DIR) + u"/scripts/test-postgres-server.sh"_s, command,
                   SocketFolder()});
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        *error = u"test-postgres-server.sh %1 no termina"_s.arg(command);
        return false;
    }
    *error = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PostgresTestServer::Start(QString *error)
{
    if (!folder_.isValid()) {
        *error = u"no se puede crear la carpeta temporal de PostgreSQL"_s;
        return false;
    }
    started_ = Run(u"start"_s, error);
    return started_;
}

bool PostgresTestServer::Pause(QString *error)
{
    return Run(u"stop"_s, error);
}

bool PostgresTestServer::Resume(QString *error)
{
    return Run(u"resume"_s, error);
}

} // namespace vk7::testing
