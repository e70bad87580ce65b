#pragma once

#include <QWidget>

#include "registry/receptionfilter.h"

class QCalendarWidget;
class QLineEdit;
class QToolButton;

namespace vk7 {

// A day typed as "dd/mm/aaaa", or chosen on a calendar that opens on the
// typed day (today when none is typed): the button beside it, Alt+Abajo or
// F4. Empty means no bound where the window allows it. A plain line of
// text, so that Tab goes through it and a screen reader reads what it holds.
class DayField : public QWidget
{
    Q_OBJECT
public:
    DayField(const QString &accessibleName, const QString &placeholder, QWidget *parent = nullptr);

    TypedDay Day() const;
    void SetDay(const QDate &day);
    QLineEdit *Edit() const { return edit_; }
    // Opens the calendar.
    void ShowCalendar();

Q_SIGNALS:
    // The text has changed (typed or chosen).
    void Changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Choose(const QDate &day);

    QLineEdit *edit_;
    QToolButton *button_;
    QCalendarWidget *calendar_ = nullptr;
};

} // namespace vk7
