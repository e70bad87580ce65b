#pragma once

#include "app/framecontroller.h"
#include "verification/verdictcommands.h"

class QWidget;

namespace vk7 {

class CTessOCX;

// The state window and the error list, modal over the frame. "&Imprimir"
// hands the ticks to the print output it is given; without one nothing is
// printed and the Open dialog does not come back.
class FrameVerdictWindows : public IVerdictWindows
{
public:
    explicit FrameVerdictWindows(QWidget *frame, DepositOutputPrinter print = {});

    void SetOutputPrinter(DepositOutputPrinter print);
    // The viewer that goes to the error chosen with "Ver &Error".
    void SetViewer(CTessOCX *viewer) { viewer_ = viewer; }

    void ShowDepositState(DepositModel &model, const DepositStateReport &report,
                          std::function<void(bool printed)> done) override;
    void ShowRuleErrors(CFormDocument &form, const QList<ErrorRecord> &records,
                        IUserInterface &ui) override;

private:
    QWidget *frame_;
    CTessOCX *viewer_ = nullptr;
    DepositOutputPrinter print_;
};

} // namespace vk7
