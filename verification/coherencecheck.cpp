#include "coherencecheck.h"

#include "coherencerules.h"
#include "components/formdocument.h"
#include "datafiles/depositstate.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString ActivityTablePath(const QString &appFolder)
{
    return appFolder + u"DATA\\CNAE.TXT"_s;
}

RuleCheck CollectRuleErrors(DepositState &state, CFormDocument *form, const QString &appFolder,
                            const Clock &clock, std::stop_token stop)
{
    RuleCheck check;
    if (form) {
        form->SetRuleCheckMode(true);
        if (form->IsOpen())
            check.records.append(form->RuleErrors());
        form->RefreshFields();
    }
    if (stop.stop_requested()) {
        check.failure = Failure::Stopped();
        return check;
    }
    check.failure = RunCoherenceRules(state, ActivityTablePath(appFolder), &check.records, clock);
    return check;
}

void PresentRuleErrors(const QList<ErrorRecord> &records, CFormDocument *form,
                       QStringList *primaryErrors, QStringList *implicitErrors,
                       IErrorListWindow *window)
{
    primaryErrors->clear();
    implicitErrors->clear();
    if (!records.isEmpty()) {
        // The registry-data messages are always implicit here.
        const ErrorListContent content = ClassErrorRecords(records, true);
        if (window) {
            const std::optional<long> chosen = window->ChooseError(content);
            if (chosen && *chosen > 0)
                window->ShowError(*chosen);
        }
        *primaryErrors = content.primaryTexts;
        *implicitErrors = content.implicitTexts;
    }
    if (form)
        form->SetRuleCheckMode(false);
}

bool CheckCoherenceRules(DepositState &state, CFormDocument *form, const QString &appFolder,
                         QStringList *primaryErrors, QStringList *implicitErrors,
                         IErrorListWindow *window, const Clock &clock, QList<ErrorRecord> *records)
{
    const QList<ErrorRecord> list = CollectRuleErrors(state, form, appFolder, clock).records;
    PresentRuleErrors(list, form, primaryErrors, implicitErrors, window);
    if (records)
        *records = list;
    return list.isEmpty();
}

} // namespace vk7
