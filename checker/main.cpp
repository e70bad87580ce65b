#include <QCoreApplication>

#include "checker/depositchecker.h"
#include "checker/terminaluserinterface.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vk7check"));
    vk7::TerminalUserInterface ui;
    return vk7::RunCheckerProgram(QCoreApplication::arguments(), ui);
}
