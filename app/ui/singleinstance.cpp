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
            BringToFront(window_, restored_);
            socket->write("ok\n");
            socket->flush();
        });
    }
}

void SingleInstance::SetWindow(QWidget *window)
{
    if (window_)
        window_->removeEventFilter(this);
    window_ = window;
    restored_ = Qt::WindowNoState;
    if (window) {
        restored_ = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowActive);
        window->installEventFilter(this);
    }
}

bool SingleInstance::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_ && event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates state = window_->windowState();
        if (!(state & Qt::WindowMinimized))
            restored_ = state & ~Qt::WindowActive;
    }
    return QObject::eventFilter(watched, event);
}

void SingleInstance::BringToFront(QWidget *window, Qt::WindowStates restored)
{
    if (!window)
        return;
    if (window->isMinimized()) {
        // Back as it was before it was minimised: maximised stays maximised.
        const Qt::WindowStates kept =
            (window->windowState() | restored) & (Qt::WindowMaximized | Qt::WindowFullScreen);
        window->setWindowState(kept);
        window->show();
    } else {
        window->show();
    }
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
