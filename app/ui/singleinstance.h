#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

namespace vk7 {

// One running program per user: the first start listens on a local socket
// named after the window class and the user; a later start asks it to come
// to the front and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // "TessVK7Class" in the user's runtime folder, else "TessVK7Class-" and
    // the user's id in the temporary folder.
    static QString ServerName();

    // True when no other instance answered: this one now listens. False
    // when another runs; it has been asked to come to the front.
    bool Start();

    // The window brought to the front when a later start asks.
    void SetWindow(QWidget *window);

    // Restores, raises and activates the window, its open modal dialog on
    // top. A minimised window comes back in `restored` (maximised, say).
    static void BringToFront(QWidget *window, Qt::WindowStates restored = Qt::WindowNoState);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnConnection();

    QLocalServer *server_ = nullptr;
    QPointer<QWidget> window_;
    // The window's last state while not minimised: the window system may
    // report a minimised window as only that, forgetting it was maximised.
    Qt::WindowStates restored_ = Qt::WindowNoState;
};

} // namespace vk7
