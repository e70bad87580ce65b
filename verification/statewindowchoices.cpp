#include "statewindowchoices.h"

#include "depositdiagnosis.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

bool ValidIndex(int index)
{
    return index >= 0 && index < kPrintChoiceCount;
}

} // namespace

QString PrintChoiceCaption(int index)
{
    return ValidIndex(index) ? PrintChoiceTable()[static_cast<size_t>(index)].caption : QString();
}

int PrintChoiceControlId(int index)
{
    return ValidIndex(index) ? PrintChoiceTable()[static_cast<size_t>(index)].controlId : 0;
}

StateWindowChoices::StateWindowChoices(const DepositStateReport &report)
    : title_(report.title), otherCount_(QString::number(report.otherDocuments.size())),
      otherDocuments_(report.otherDocuments)
{
    lines_ = {
        {1044, u"Firma:"_s, report.signature},
        {1032, u"Estructura :"_s, report.structure},
        {1034, u"Completitud :"_s, report.completeness},
        {1036, u"Formulario:"_s, report.form},
        {1040, u"Moneda:"_s, report.currency},
        {1011, u"HUELLA DIGITAL :"_s, report.fingerprintVerdict},
        {1013, u"Errores Primarios :"_s, report.primaryCount},
        {1015, u"Errores Implícitos :"_s, report.implicitCount},
    };
    // The sheet's box is never disabled; a document's box only when it
    // cannot be printed. The diagnosis has already cleared the documents'
    // ticks of an invalid deposit, leaving the sheet alone preselected.
    enabled_[0] = true;
    ticks_[0] = true;
    for (int i = 1; i < kPrintChoiceCount; ++i) {
        const auto at = static_cast<size_t>(i);
        enabled_[at] = report.available[at - 1];
        ticks_[at] = enabled_[at] && report.ticks[at];
    }
}

StateWindowCheck StateWindowChoices::Check(int index) const
{
    if (!ValidIndex(index))
        return {};
    const auto at = static_cast<size_t>(index);
    return {PrintChoiceControlId(index), PrintChoiceCaption(index), enabled_[at], ticks_[at]};
}

bool StateWindowChoices::SetTicked(int index, bool ticked)
{
    if (!ValidIndex(index))
        return false;
    const auto at = static_cast<size_t>(index);
    if (index != 0 && enabled_[at])
        ticks_[at] = ticked;
    return ticks_[at];
}

} // namespace vk7
