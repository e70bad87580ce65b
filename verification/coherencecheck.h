#pragma once

#include <optional>
#include <stop_token>

#include <QStringList>

#include "errorlist.h"
#include "reception/failure.h"

namespace vk7 {

class CFormDocument;
class Clock;
struct DepositState;

// The error-list window as the rule check uses it: shown with the classed
// errors, it answers the number of the error the clerk chose with "Ver
// Error", or nothing when the clerk left with "Salir". ShowError then takes
// the form's view to that error (the frame's viewer; nothing by default).
class IErrorListWindow
{
public:
    virtual ~IErrorListWindow() = default;
    virtual std::optional<long> ChooseError(const ErrorListContent &content) = 0;
    virtual void ShowError(long number) { Q_UNUSED(number); }
};

// The form's own checks (the form document's records, in its rule mode
// meanwhile) and then the coherence rules (with the activity table of the
// program's folder, `appFolder`), classed into the display texts of the
// primary and implicit errors (both lists emptied first). With a window the
// clerk browses the errors and the window shows the one chosen; without one
// nothing is shown. The records go to `records` when given. True when no
// record at all was produced.
bool CheckCoherenceRules(DepositState &state, CFormDocument *form, const QString &appFolder,
                         QStringList *primaryErrors, QStringList *implicitErrors,
                         IErrorListWindow *window, const Clock &clock,
                         QList<ErrorRecord> *records = nullptr);

// The two halves of CheckCoherenceRules, for a caller that runs the first
// off the window's thread and the second on it. The first puts the form in
// its rule mode, refreshes its fields and gathers its records and then the
// coherence rules'; a stop asked of the work ends it before the rules (the
// stop is then the check's failure, as is a failure of the machine reading
// the activity table). The second shows the records as CheckCoherenceRules
// does and takes the form out of its rule mode.
struct RuleCheck
{
    QList<ErrorRecord> records;
    Failure failure; // the machine's or the clerk's stop: the records are no verdict
};
RuleCheck CollectRuleErrors(DepositState &state, CFormDocument *form, const QString &appFolder,
                            const Clock &clock, std::stop_token stop = {});
void PresentRuleErrors(const QList<ErrorRecord> &records, CFormDocument *form,
                       QStringList *primaryErrors, QStringList *implicitErrors,
                       IErrorListWindow *window);

// appFolder + "DATA\CNAE.TXT".
QString ActivityTablePath(const QString &appFolder);

} // namespace vk7
