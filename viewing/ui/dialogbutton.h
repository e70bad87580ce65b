#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace vk7 {

// A button of the document dialogs: named (the tests find it by its name) and
// never made the default button by taking the focus.
QPushButton *DialogButton(const QString &caption, const char *name, QWidget *parent);

} // namespace vk7
