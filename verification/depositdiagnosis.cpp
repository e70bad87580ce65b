#include "depositdiagnosis.h"

#include "coherencecheck.h"
#include "datafiles/depositstate.h"
#include "diagnosticsheet.h"
#include "formdecision.h"
#include "plausibility.h"
#include "reception/failure.h"
#include "reception/filetools.h"
#include "reception/fingerprint.h"
#include "reception/userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

QString FingerprintCheckText(FingerprintCheck check)
{
    switch (check) {
    case FingerprintCheck::Matches:
        return u"CORRECTA"_s;
    case FingerprintCheck::Differs:
        return u"ERRONEA"_s;
    case FingerprintCheck::NotComputed:
        break;
    }
    return UnknownValueText();
}

DepositStateReport DiagnoseDeposit(DepositState &state, CFormDocument *form,
                                   const QString &appFolder, CFileTools &tools, const Clock &clock,
                                   bool warnFiles, std::stop_token stop)
{
    DepositStateReport report;
    report.title = u"Estado del Depósito Digital"_s;
    state.diagnosticText.clear();

    DiagnosticSheetInputs sheet;
    sheet.fingerprint = state.fingerprint;
    sheet.structure = state.structure;
    sheet.completeness = state.completeness;
    sheet.formError = state.formError;
    sheet.formIdentified = state.formIdentified;
    sheet.formName = state.formName;
    report.structure = VerdictText(state.structure);
    report.completeness = VerdictText(state.completeness);
    report.signature = state.fingerprint;

    if (state.formIdentified) {
        FormAndCurrency(state.formName, &report.form, &report.currency);
        const FingerprintResult computed = tools.ComputeDepositFingerprint(
            WorkFolder(), state.depositFiles ? &*state.depositFiles : nullptr);
        report.computedFingerprint = computed.Text();
        report.failure.KeepFirst(computed.failure);
        report.notices += computed.notices;
        // A computation that failed says nothing about the deposit: the
        // verdict is "not computed", not "wrong".
        if (computed.outcome == FingerprintResult::Outcome::Failed) {
            report.fingerprintCheck = FingerprintCheck::NotComputed;
            sheet.fingerprintFailure =
                computed.failure.EndsWork() ? computed.failure.Message() : computed.Text();
        } else {
            report.fingerprintCheck = computed.Text() == state.fingerprint
                                          ? FingerprintCheck::Matches
                                          : FingerprintCheck::Differs;
        }
        report.fingerprintVerdict = FingerprintCheckText(report.fingerprintCheck);
        const RuleCheck rules = CollectRuleErrors(state, form, appFolder, clock, stop);
        PresentRuleErrors(rules.records, form, &report.primaryErrors, &report.implicitErrors,
                          nullptr);
        report.errorRecords = rules.records;
        report.failure.KeepFirst(rules.failure);
        report.primaryCount = QString::number(report.primaryErrors.size());
        report.implicitCount = QString::number(report.implicitErrors.size());
        report.available = ComputeDocumentAvailability(state);
        report.valid =
            report.fingerprintCheck == FingerprintCheck::Matches && report.primaryErrors.isEmpty();

        sheet.fingerprintVerdict = report.fingerprintVerdict;
        sheet.otherDocumentNames = state.otherDocumentNames;
        sheet.primaryErrors = report.primaryErrors;
        sheet.implicitErrors = report.implicitErrors;
    } else {
        const QString unknown = UnknownValueText();
        report.form = unknown;
        report.currency = unknown;
        report.fingerprintVerdict = FingerprintCheckText(FingerprintCheck::NotComputed);
        report.primaryCount = unknown;
        report.implicitCount = unknown;
    }
    report.sheet = BuildDiagnosticSheet(sheet);
    state.diagnosticText = QStringList{report.sheet};

    report.otherDocuments = state.otherDocumentNames;
    report.otherDocumentsCount = QString::number(state.otherDocumentNames.size());
    report.ticks[0] = true;
    for (int i = 0; i < kPrintableDocumentCount; ++i)
        report.ticks[static_cast<size_t>(i) + 1] =
            report.valid && report.available[static_cast<size_t>(i)];

    report.failure.KeepFirst(CheckSuspiciousFiles(state, stop));
    report.fileWarnings = state.fileWarnings;
    if (warnFiles && !state.fileWarnings.isEmpty())
        report.notices.append({state.fileWarnings, u"AVISO"_s, IUserInterface::Icon::Information});
    return report;
}

} // namespace vk7
