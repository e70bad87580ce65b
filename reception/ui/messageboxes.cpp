#include "reception/ui/messageboxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace vk7 {

bool ShowProgressOn(QProgressBar &bar, qint64 step, qint64 total)
{
    const bool running = total > 0 && step < total;
    bar.setVisible(running);
    if (running) {
        const qint64 scale = total / 1000000 + 1;
        bar.setRange(0, int(total / scale));
        bar.setValue(int(step / scale));
    }
    return running;
}

QString PathsWrappedWhole(const QString &text)
{
    // In a word holding a folder separator, a line may end after each
    // separator (zero-width space) and nowhere else (word joiners between
    // the other characters): a name is never cut at its hyphen or dot.
    static const QRegularExpression word(u"\\S+"_s);
    QString shown;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : word.globalMatch(text)) {
        const QString piece = match.captured();
        if (!piece.contains(u'/') && !piece.contains(u'\\'))
            continue;
        shown += QStringView(text).mid(done, match.capturedStart() - done);
        for (qsizetype i = 0; i < piece.size(); ++i) {
            const QChar c = piece.at(i);
            shown += c;
            if (c == u'/' || c == u'\\')
                shown += QChar(0x200B);
            else if (i + 1 < piece.size() && !piece.at(i).isHighSurrogate() &&
                     piece.at(i + 1) != u'/' && piece.at(i + 1) != u'\\')
                shown += QChar(0x2060);
        }
        done = match.capturedEnd();
    }
    shown += QStringView(text).mid(done);
    return shown;
}

namespace {

// A box at least as wide as its title: the window's frame would otherwise
// cut it ("Regla aso... primario"). Title bars are usually in bold, with
// the frame's icon and buttons beside the title.
void KeepTitleWhole(QMessageBox &box)
{
    QFont font = box.font();
    font.setBold(true);
    const int wanted = QFontMetrics(font).horizontalAdvance(box.windowTitle()) +
                       10 * QFontMetrics(font).averageCharWidth() + 80;
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

IUserInterface::Answer MessageBoxes::ShowMessage(const QString &text, const QString &title,
                                                 Buttons buttons, Icon icon)
{
    // In front of whatever modal window asked (the Open dialog during its copy).
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner && parent_)
        owner = parent_->window();
    QMessageBox box(owner);
    box.setWindowTitle(title);
    // A screen reader reads the box by its title and this text, once.
    box.setText(PathsWrappedWhole(text));
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
    // Last: the icon lays the box out anew.
    KeepTitleWhole(box);
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
