#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vk7::testing {

// What a program a test ran left behind.
struct ProgramRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The exit code and both outputs of a process that has ended.
ProgramRun TakeRun(QProcess &process);

// Runs `program` to its end (three minutes at most); an exit code of -1
// when it did not start.
ProgramRun
RunProgram(const QString &program, const QStringList &arguments,
           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

} // namespace vk7::testing
