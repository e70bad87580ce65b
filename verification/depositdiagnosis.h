#pragma once

#include <array>
#include <optional>
#include <stop_token>

#include <QString>
#include <QStringList>

#include "components/errorrecord.h"
#include "depositdocuments.h"
#include "reception/failure.h"
#include "reception/userinterface.h"

namespace vk7 {

class CFileTools;
class CFormDocument;
class Clock;
class IUserInterface;
struct DepositState;

// The deposit's fingerprint against the one the clerk typed.
enum class FingerprintCheck {
    NotComputed, // no form identified, or the computation failed
    Matches,
    Differs
};
// As shown and written: "CORRECTA", "ERRONEA" or "¿?".
QString FingerprintCheckText(FingerprintCheck check);

// Everything the state window shows and offers, as the diagnosis leaves it.
struct DepositStateReport
{
    QString title;        // window caption
    QString signature;    // "Firma:" the typed fingerprint
    QString structure;    // "CORRECTA" / "ERRONEA"
    QString completeness; // "CORRECTA" / "ERRONEA"
    QString form;         // "ORDINARIO", "ABREVIADO", "MIXTO" or "¿?"
    QString currency;     // "PESETAS", "EUROS" or "¿?"
    FingerprintCheck fingerprintCheck = FingerprintCheck::NotComputed;
    QString fingerprintVerdict;  // FingerprintCheckText(fingerprintCheck)
    QString primaryCount;        // decimal, or "¿?"
    QString implicitCount;       // decimal, or "¿?"
    QString otherDocumentsCount; // decimal
    QStringList otherDocuments;
    DocumentAvailability available{};
    bool valid = false;
    // The initial ticks: "Hoja de Diagnóstico" first, then the nine
    // documents; an invalid deposit preselects the diagnostic sheet alone.
    std::array<bool, kPrintableDocumentCount + 1> ticks{};

    std::optional<QString> computedFingerprint; // absent when not computed
    QList<ErrorRecord> errorRecords;            // in list order
    QStringList primaryErrors;                  // display texts
    QStringList implicitErrors;                 // display texts
    QString sheet;                              // also diagnosticText's only element
    QString fileWarnings;                       // also state.fileWarnings
    // The first failure of the machine the diagnosis met, or the clerk's
    // stop (Kind::None when none): the report is then no verdict.
    Failure failure;
    // What the clerk is to be told, in order, before the report is shown:
    // the fingerprint's errors, the suspicious-file warning.
    QList<Notice> notices;
};

// The state/diagnosis of the open deposit up to its state window: the
// fingerprint and the coherence rules (when a form was identified), the
// diagnostic sheet into diagnosticText, the window's texts and availability,
// validity, then the suspicious-file check. With `warnFiles` its warnings
// become a notice titled "AVISO".
// A stop of the running job (`stop`) ends it at the next piece or page.
DepositStateReport DiagnoseDeposit(DepositState &state, CFormDocument *form,
                                   const QString &appFolder, CFileTools &tools, const Clock &clock,
                                   bool warnFiles, std::stop_token stop = {});

} // namespace vk7
