#pragma once

#include <functional>
#include <optional>

#include "statewindowchoices.h"

namespace vk7 {

class CFileTools;
class Clock;
class IErrorListWindow;
class IUserInterface;
struct DepositState;
struct FrameState;
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
// window's order and whether a form is identified; true when the output ran
// to its end, false when it stopped (it shows its own errors).
using DepositOutputPrinter = std::function<bool(const PrintChoices &ticks, bool formIdentified)>;

// How the state window's steps ended.
enum class StateWindowOutcome {
    Left,        // "&Salir"
    PrintFailed, // "&Imprimir", and the output stopped
    Printed,     // "&Imprimir", and the output ran: the Open command comes again
};

// The command "&Estado del Depósito" and the end of every confirmed Open:
// the diagnosis (with its "AVISO" box for suspicious files), the modal
// state window, the print output on "&Imprimir" and, when that ran, the
// Open command posted again through `reopen` so that the next deposit can
// be taken once the command has returned.
class DepositStateCommand
{
public:
    DepositStateCommand(IStateWindow &window, DepositOutputPrinter print,
                        std::function<void()> reopen);

    // The whole command: diagnosis, then the window steps.
    StateWindowOutcome Run(DepositState &state, const FrameState &frame, CFileTools &tools,
                           const Clock &clock, IUserInterface *ui);
    // The window steps alone, for a deposit the reception chain has just
    // diagnosed.
    StateWindowOutcome ShowAndPrint(const DepositStateReport &report, bool formIdentified);

private:
    IStateWindow &window_;
    DepositOutputPrinter print_;
    std::function<void()> reopen_;
};

// The command "Comprobar &Reglas": the coherence rules with the error list
// in front of the clerk (the viewer goes to the error chosen with "Ver
// Error"); when nothing at all is wrong, "Reglas de Coherencia Correctas".
// Without a window the errors are only counted. True when no error was found.
bool CheckRulesInteractively(DepositState &state, const FrameState &frame, IErrorListWindow *window,
                             IUserInterface &ui, const Clock &clock);

} // namespace vk7
