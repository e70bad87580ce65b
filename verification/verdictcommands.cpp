#include "verdictcommands.h"

#include "coherencecheck.h"
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
