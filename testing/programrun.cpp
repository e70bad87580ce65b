#include "programrun.h"

namespace vk7::testing {

ProgramRun TakeRun(QProcess &process)
{
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

ProgramRun RunProgram(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {};
    process.waitForFinished(180000);
    return TakeRun(process);
}

} // namespace vk7::testing
