#pragma once

#include <QString>
#include <QStringList>

#include "reception/manifest.h"

namespace vk7 {

// What the diagnostic sheet reports. The form-dependent part (form, currency,
// fingerprint verdict, other documents, errors) appears only when a form was
// identified.
struct DiagnosticSheetInputs
{
    QString fingerprint; // as typed
    ManifestVerdict structure = ManifestVerdict::NotChecked;
    ManifestVerdict completeness = ManifestVerdict::NotChecked;
    QString formError;
    bool formIdentified = false;
    QString formName;
    QString fingerprintVerdict; // "CORRECTA", "ERRONEA" or "¿?" (not computed)
    QString fingerprintFailure; // why it could not be computed, with "¿?"
    QStringList otherDocumentNames;
    QStringList primaryErrors;  // display texts
    QStringList implicitErrors; // display texts
};

// The sheet "HOJA DE DIAGNOSTICO", every line ending in "\r\n".
QString BuildDiagnosticSheet(const DiagnosticSheetInputs &inputs);

// The state window's words for a verdict: "CORRECTA" for "1", else "ERRONEA".
QString VerdictText(ManifestVerdict verdict);

// Shown for every form-dependent value when no form was identified.
QString UnknownValueText();

} // namespace vk7
