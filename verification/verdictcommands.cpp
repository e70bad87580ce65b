#include "verdictcommands.h"

#include <utility>

#include "coherencecheck.h"
#include "datafiles/depositstate.h"
#include "depositdiagnosis.h"
#include "reception/userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

DepositStateCommand::DepositStateCommand(IStateWindow &window, DepositOutputPrinter print,
                                         std::function<void()> reopen)
    : window_(window), print_(std::move(print)), reopen_(std::move(reopen))
{
}

StateWindowOutcome DepositStateCommand::Run(DepositState &state, const FrameState &frame,
                                            CFileTools &tools, const Clock &clock,
                                            IUserInterface *ui)
{
    const DepositStateReport report = DiagnoseDeposit(state, frame, tools, clock, ui);
    return ShowAndPrint(report, state.formIdentified);
}

StateWindowOutcome DepositStateCommand::ShowAndPrint(const DepositStateReport &report,
                                                     bool formIdentified)
{
    const std::optional<PrintChoices> ticks = window_.Show(report);
    if (!ticks)
        return StateWindowOutcome::Left;
    // Whatever the window answered, the sheet is always printed.
    PrintChoices choices = *ticks;
    choices[0] = true;
    if (!print_ || !print_(choices, formIdentified))
        return StateWindowOutcome::PrintFailed;
    if (reopen_)
        reopen_();
    return StateWindowOutcome::Printed;
}

bool CheckRulesInteractively(DepositState &state, const FrameState &frame, IErrorListWindow *window,
                             IUserInterface &ui, const Clock &clock)
{
    QStringList primary;
    QStringList implicit;
    const bool sound = CheckCoherenceRules(state, frame, &primary, &implicit, window, clock);
    if (sound)
        ui.ShowMessage(u"Reglas de Coherencia Correctas"_s, u"VK7"_s, IUserInterface::Buttons::Ok,
                       IUserInterface::Icon::Information);
    return sound;
}

} // namespace vk7
