#pragma once

#include <functional>
#include <optional>

#include <QList>

#include "components/errorrecord.h"
#include "statewindowchoices.h"

namespace vk7 {

class CFormDocument;
class IErrorListWindow;
class IUserInterface;
struct DepositStateReport;

// The state window as the state/diagnosis shows it: modal, answering the
// ten ticks as the clerk left them on "&Imprimir", or nothing on "&Salir".
class IStateWindow
{
public:
    virtual ~IStateWindow() = default;
    virtual std::optional<PrintChoices> Show(const DepositStateReport &report) = 0;
};

// The print output started by "&Imprimir": the ten ticks in the state
// window's order and whether a form is identified. It runs on after it
// returns and tells `done` true when it ran to its end, false when it
// stopped (it shows its own errors); it returns false, `done` untold, when
// it could not start.
using DepositOutputPrinter = std::function<bool(const PrintChoices &ticks, bool formIdentified,
                                                std::function<void(bool ranToEnd)> done)>;

// How the state window's steps ended.
enum class StateWindowOutcome {
    Left,        // "&Salir"
    PrintFailed, // "&Imprimir", and the output stopped
    Printed,     // "&Imprimir", and the output ran: the Open command comes again
};

// The state window's steps of "&Estado del Depósito" and of the end of
// every confirmed Open, once the diagnosis (with its "AVISO" box) is made:
// the modal window, and on "&Imprimir" the print output with the ticks as
// the clerk left them; `done` hears how they ended once the print has. On
// Printed the frame posts the Open command again, so that the next deposit
// comes once the command has returned.
void ShowStateWindowAndPrint(IStateWindow &window, const DepositStateReport &report,
                             bool formIdentified, const DepositOutputPrinter &print,
                             std::function<void(StateWindowOutcome)> done);

// The end of the command "Comprobar &Reglas", once the rules have been run
// (CollectRuleErrors): the error list in front of the clerk (the window
// shows the error chosen with "Ver Error"); when nothing at all is wrong,
// "Reglas de Coherencia Correctas". The form leaves its rule mode. True when
// no error was found.
bool ShowRuleCheckResult(const QList<ErrorRecord> &records, CFormDocument *form,
                         IErrorListWindow *window, IUserInterface &ui);

} // namespace vk7
