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

bool CheckCoherenceRules(DepositState &state, CFormDocument *form, const QString &appFolder,
                         QStringList *primaryErrors, QStringList *implicitErrors,
                         IErrorListWindow *window, const Clock &clock, QList<ErrorRecord> *records)
{
    QList<ErrorRecord> list;
    if (form) {
        form->SetRuleCheckMode(true);
        if (form->IsOpen())
            list.append(form->RuleErrors());
        form->RefreshFields();
    }
    RunCoherenceRules(state, ActivityTablePath(appFolder), &list, clock);

    primaryErrors->clear();
    implicitErrors->clear();
    if (!list.isEmpty()) {
        // The registry-data messages are always implicit here.
        const ErrorListContent content = ClassErrorRecords(list, true);
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
    if (records)
        *records = list;
    return list.isEmpty();
}

} // namespace vk7
