#include "verdictwindows.h"

#include <utility>

#include "components/tessocx.h"
#include "datafiles/depositmodel.h"
#include "verification/ui/estadodlg.h"
#include "verification/ui/listaerroresdlg.h"

namespace vk7 {

namespace {

// The error list over the frame: the error chosen is shown in the viewer.
class ViewerErrorListWindow : public DialogErrorListWindow
{
public:
    ViewerErrorListWindow(IUserInterface *ui, QWidget *parent, CTessOCX *viewer)
        : DialogErrorListWindow(ui, parent), viewer_(viewer)
    {
    }
    void ShowError(long number) override
    {
        if (viewer_)
            viewer_->ShowRuleError(number);
    }

private:
    CTessOCX *viewer_;
};

} // namespace

FrameVerdictWindows::FrameVerdictWindows(QWidget *frame, DepositOutputPrinter print)
    : frame_(frame), print_(std::move(print))
{
}

void FrameVerdictWindows::SetOutputPrinter(DepositOutputPrinter print)
{
    print_ = std::move(print);
}

void FrameVerdictWindows::ShowDepositState(DepositModel &model, const DepositStateReport &report,
                                           std::function<void(bool printed)> done)
{
    DialogStateWindow window(frame_);
    ShowStateWindowAndPrint(window, report, model.Deposit().formIdentified, print_,
                            [done = std::move(done)](StateWindowOutcome outcome) {
                                done(outcome == StateWindowOutcome::Printed);
                            });
}

void FrameVerdictWindows::ShowRuleErrors(CFormDocument &form, const QList<ErrorRecord> &records,
                                         IUserInterface &ui)
{
    ViewerErrorListWindow window(&ui, frame_, viewer_);
    ShowRuleCheckResult(records, &form, &window, ui);
}

} // namespace vk7
