#include "reception/ui/spokenstatus.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>

namespace vk7 {

namespace {

class SpokenStatusReading : public QAccessibleWidget
{
public:
    explicit SpokenStatusReading(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Notification)
    {
    }
};

QAccessibleInterface *SpokenStatusFactory(const QString &, QObject *object)
{
    if (auto *status = qobject_cast<SpokenStatus *>(object))
        return new SpokenStatusReading(status);
    return nullptr;
}

} // namespace

SpokenStatus::SpokenStatus(QWidget *parent) : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(&SpokenStatusFactory);
        return true;
    }();
    (void)installed;
    setObjectName(QStringLiteral("spokenStatus"));
    setFocusPolicy(Qt::NoFocus);
    hide();
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, &SpokenStatus::SayNow);
}

void SpokenStatus::Say(const QString &text)
{
    if (text.isEmpty())
        return;
    pending_ = text;
    const qint64 since = said_.isValid() ? said_.elapsed() : kGapMs;
    if (!wait_.isActive())
        wait_.start(static_cast<int>(std::max<qint64>(kSettleMs, kGapMs - since)));
}

void SpokenStatus::SayNow()
{
    wait_.stop();
    if (pending_.isEmpty())
        return;
    setAccessibleName(pending_);
    pending_.clear();
    said_.start();
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void SayStatus(QWidget *owner, const QString &text)
{
    // Never shown: a reader hears it by the event alone, and finds no empty
    // control on the screen.
    auto *status = owner->findChild<SpokenStatus *>(QString(), Qt::FindDirectChildrenOnly);
    if (!status)
        status = new SpokenStatus(owner);
    status->Say(text);
}

} // namespace vk7
