#include "app/ui/singleinstance.h"

#include <unistd.h>

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

constexpr int kWaitMs = 2000;

} // namespace

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName()
{
    return u"TessVK7Class-"_s + QString::number(::getuid());
}

bool SingleInstance::Start()
{
    const QString name = ServerName();
    {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(kWaitMs)) {
            socket.write("front\n");
            socket.waitForBytesWritten(kWaitMs);
            socket.waitForReadyRead(kWaitMs); // the first answers once its window is in front
            return false;
        }
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        // A socket left by a program that ended without closing it.
        QLocalServer::removeServer(name);
        server_->listen(name);
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    return true;
}

void SingleInstance::OnConnection()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            socket->readAll();
            BringToFront(window_);
            socket->write("ok\n");
            socket->flush();
        });
    }
}

void SingleInstance::BringToFront(QWidget *window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    // The last active pop-up: the modal dialog the clerk left open.
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace vk7
