#include "dialogbutton.h"

#include <QPushButton>

namespace vk7 {

QPushButton *DialogButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace vk7
