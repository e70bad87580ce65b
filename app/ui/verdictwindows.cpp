#include "verdictwindows.h"

#include <utility>

#include "datafiles/depositmodel.h"
#include "verification/ui/errorlistwindow.h"
#include "verification/ui/statewindow.h"

namespace vk7 {

FrameVerdictWindows::FrameVerdictWindows(QWidget *frame, DepositOutputPrinter print)
    : frame_(frame), print_(std::move(print))
{
}

void FrameVerdictWindows::SetOutputPrinter(DepositOutputPrinter print)
{
    print_ = std::move(print);
}

bool FrameVerdictWindows::ShowDepositState(DepositModel &model, const DepositStateReport &report)
{
    DialogStateWindow window(frame_);
    const StateWindowOutcome outcome =
        ShowStateWindowAndPrint(window, report, model.Deposit().formIdentified, print_);
    return outcome == StateWindowOutcome::Printed;
}

void FrameVerdictWindows::CheckRules(DepositModel &model, IUserInterface &ui, const Clock &clock)
{
    DialogErrorListWindow window(&ui, frame_);
    CheckRulesInteractively(model.Deposit(), model.Frame(), &window, ui, clock);
}

} // namespace vk7
