#include "verdictcommands.h"

#include "coherencecheck.h"
#include "datafiles/depositstate.h"
#include "reception/userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

StateWindowOutcome ShowStateWindowAndPrint(IStateWindow &window, const DepositStateReport &report,
                                           bool formIdentified, const DepositOutputPrinter &print)
{
    const std::optional<PrintChoices> ticks = window.Show(report);
    if (!ticks)
        return StateWindowOutcome::Left;
    // Whatever the window answered, the sheet is always printed.
    PrintChoices choices = *ticks;
    choices[0] = true;
    if (!print || !print(choices, formIdentified))
        return StateWindowOutcome::PrintFailed;
    return StateWindowOutcome::Printed;
}

bool CheckRulesInteractively(DepositState &state, CFormDocument *form, const QString &appFolder,
                             IErrorListWindow *window, IUserInterface &ui, const Clock &clock)
{
    QStringList primary;
    QStringList implicit;
    const bool sound =
        CheckCoherenceRules(state, form, appFolder, &primary, &implicit, window, clock);
    if (sound)
        ui.ShowMessage(u"Reglas de Coherencia Correctas"_s, u"VK7"_s, IUserInterface::Buttons::Ok,
                       IUserInterface::Icon::Information);
    return sound;
}

} // namespace vk7
