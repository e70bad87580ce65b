#include "coherencecheck.h"

#include "coherencerules.h"
#include "components/tessocx.h"
#include "datafiles/depositstate.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString ActivityTablePath(const QString &appFolder)
{
    return appFolder + u"DATA\\CNAE.TXT"_s;
}

bool CheckCoherenceRules(DepositState &state, const FrameState &frame, QStringList *primaryErrors,
                         QStringList *implicitErrors, IErrorListWindow *window, const Clock &clock,
                         QList<ErrorRecord> *records)
{
    QList<ErrorRecord> list;
    CTessOCX *viewer = frame.viewer;
    if (viewer) {
        viewer->SetRuleCheckMode(true);
        viewer->GetRuleErrors(&list);
        viewer->RefreshFields();
    }
    RunCoherenceRules(state, ActivityTablePath(frame.appFolder), &list, clock);

    primaryErrors->clear();
    implicitErrors->clear();
    if (!list.isEmpty()) {
        // The registry-data messages are always implicit here.
        const ErrorListContent content = ClassErrorRecords(list, true);
        if (window) {
            const std::optional<long> chosen = window->ChooseError(content);
            if (chosen && *chosen > 0 && viewer)
                viewer->ShowRuleError(*chosen);
        }
        *primaryErrors = content.primaryTexts;
        *implicitErrors = content.implicitTexts;
    }
    if (viewer)
        viewer->SetRuleCheckMode(false);
    if (records)
        *records = list;
    return list.isEmpty();
}

} // namespace vk7
