#include "app/ui/singleinstance.h"

#include <unistd.h>

#include <QApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
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
    // In the user's private runtime folder, where nobody else can put a
    // socket of the same name; the shared temporary folder otherwise.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + u"/TessVK7Class"_s;
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
    // A window that is being restored is mapped by the window manager a
    // moment later; activation is asked for again once it is.
    auto activate = [target = QPointer<QWidget>(window)] {
        if (!target)
            return;
        target->raise();
        target->activateWindow();
        // The last active pop-up: the modal dialog the clerk left open.
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != target) {
            modal->raise();
            modal->activateWindow();
        }
    };
    activate();
    QTimer::singleShot(150, window, activate);
}

} // namespace vk7
