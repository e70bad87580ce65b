#include "dayfield.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace vk7 {

DayField::DayField(const QString &accessibleName, const QString &placeholder, QWidget *parent)
    : QWidget(parent)
{
    edit_ = new QLineEdit(this);
    edit_->setAccessibleName(accessibleName);
    edit_->setPlaceholderText(placeholder);
    edit_->setToolTip(u"Escriba el día como dd/mm/aaaa, o Alt+Abajo para el calendario"_s);
    edit_->setMaxLength(10);
    edit_->setMinimumWidth(edit_->fontMetrics().horizontalAdvance(u"00/00/0000 (sin límite)"_s));
    edit_->installEventFilter(this);
    button_ = new QToolButton(this);
    button_->setText(u"..."_s);
    button_->setAccessibleName(u"Calendario: %1"_s.arg(accessibleName));
    button_->setToolTip(u"Elegir el día en el calendario"_s);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edit_);
    layout->addWidget(button_);
    setFocusProxy(edit_);
    connect(edit_, &QLineEdit::textChanged, this, &DayField::Changed);
    connect(button_, &QToolButton::clicked, this, &DayField::ShowCalendar);
}

TypedDay DayField::Day() const
{
    return ParseTypedDay(edit_->text());
}

void DayField::SetDay(const QDate &day)
{
    edit_->setText(day.isValid() ? day.toString(u"dd/MM/yyyy"_s) : QString());
}

void DayField::ShowCalendar()
{
    if (!calendar_) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setWindowFlags(Qt::Popup);
        calendar_->setAccessibleName(u"Calendario: %1"_s.arg(edit_->accessibleName()));
        calendar_->setGridVisible(true);
        calendar_->installEventFilter(this);
        connect(calendar_, &QCalendarWidget::activated, this, &DayField::Choose);
        connect(calendar_, &QCalendarWidget::clicked, this, &DayField::Choose);
    }
    const TypedDay typed = Day();
    const QDate shown = typed.valid && typed.bounded ? typed.day : QDate::currentDate();
    calendar_->setSelectedDate(shown);
    calendar_->setCurrentPage(shown.year(), shown.month());
    calendar_->adjustSize();
    QPoint at = edit_->mapToGlobal(QPoint(0, edit_->height()));
    if (const QScreen *screen = edit_->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(qMin(at.x(), area.right() - calendar_->width()));
        if (at.y() + calendar_->height() > area.bottom())
            at.setY(edit_->mapToGlobal(QPoint(0, 0)).y() - calendar_->height());
    }
    calendar_->move(at);
    calendar_->show();
    calendar_->setFocus();
}

void DayField::Choose(const QDate &day)
{
    SetDay(day);
    calendar_->hide();
    edit_->setFocus();
}

bool DayField::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == edit_ &&
            (key->key() == Qt::Key_F4 ||
             (key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier))) {
            ShowCalendar();
            return true;
        }
        if (watched == calendar_ && key->key() == Qt::Key_Escape) {
            calendar_->hide();
            edit_->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vk7
