#pragma once

#include <QDialog>

namespace vk7 {

// "Acerca de VK7": the application's icon, its name and version, "&Aceptar".
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};

} // namespace vk7
