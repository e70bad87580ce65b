#include "app/ui/namedlists.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace vk7 {

namespace {

class NamedListReading : public QAccessibleWidget
{
public:
    explicit NamedListReading(QComboBox *list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            // With what it shows: a reader says no value of a focused list.
            return List()->currentText().isEmpty()
                       ? List()->accessibleName()
                       : List()->accessibleName() + QStringLiteral(": ") + List()->currentText();
        case QAccessible::Value:
            return List()->currentText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    // The drop-down items, as Qt's own reading offers them.
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(List()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == List()->view() ? 0 : -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = List()->view()->isVisible();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction())
            List()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox *List() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *NamedListFactory(const QString &className, QObject *object)
{
    auto *list = qobject_cast<QComboBox *>(object);
    if (className != QLatin1String("QComboBox") || !list || list->isEditable() ||
        list->accessibleName().isEmpty())
        return nullptr;
    return new NamedListReading(list);
}

} // namespace

void InstallNamedListReading()
{
    static const bool installed = [] {
        QAccessible::installFactory(&NamedListFactory);
        return true;
    }();
    (void)installed;
}

} // namespace vk7
