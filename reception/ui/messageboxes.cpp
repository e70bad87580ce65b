#include "reception/ui/messageboxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace vk7 {

IUserInterface::Answer MessageBoxes::ShowMessage(const QString &text, const QString &title,
                                                 Buttons buttons, Icon icon)
{
    // In front of whatever modal window asked (the Open dialog during its copy).
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner && parent_)
        owner = parent_->window();
    QMessageBox box(owner);
    box.setWindowTitle(title);
    // A long path wraps at its folder separators and stays whole, rather
    // than widening the box past the screen or being cut mid-name.
    QString shown = text;
    shown.replace(u'/', u"/\u200B"_s).replace(u'\\', u"\\\u200B"_s);
    box.setText(shown);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::None:
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    // A wait cursor of the work that asks must not hide the pointer's use.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
    switch (answer) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        // Escape or the close box: the negative answer of the buttons shown.
        return buttons == Buttons::YesNo ? Answer::No
                                         : (buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel);
    }
}

void MessageBoxes::SetWaitCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

bool MessageBoxes::OpenExternally(const QString &hostPath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(hostPath));
}

} // namespace vk7
