#include "verdictcommands.h"

#include "coherencecheck.h"
#include "reception/userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

void ShowStateWindowAndPrint(IStateWindow &window, const DepositStateReport &report,
                             bool formIdentified, const DepositOutputPrinter &print,
                             std::function<void(StateWindowOutcome)> done)
{
    const std::optional<PrintChoices> ticks = window.Show(report);
    if (!ticks) {
        done(StateWindowOutcome::Left);
        return;
    }
    // Whatever the window answered, the sheet is always printed.
    PrintChoices choices = *ticks;
    choices[0] = true;
    auto told = [done](bool ranToEnd) {
        done(ranToEnd ? StateWindowOutcome::Printed : StateWindowOutcome::PrintFailed);
    };
    if (!print || !print(choices, formIdentified, told))
        done(StateWindowOutcome::PrintFailed);
}

bool ShowRuleCheckResult(const QList<ErrorRecord> &records, CFormDocument *form,
                         IErrorListWindow *window, IUserInterface &ui)
{
    QStringList primary;
    QStringList implicit;
    PresentRuleErrors(records, form, &primary, &implicit, window);
    const bool sound = records.isEmpty();
    if (sound)
        ui.ShowMessage(u"Reglas de Coherencia Correctas"_s, u"VK7"_s, IUserInterface::Buttons::Ok,
                       IUserInterface::Icon::Information);
    return sound;
}

} // namespace vk7
