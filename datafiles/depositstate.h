#pragma once

#include "fieldstore.h"

#include <QString>
#include <QStringList>

namespace vk7 {

class CTessOCX;

// The state of the open deposit, as the main frame holds it. Each writer and
// reader is named in the comments; lists are emptied by CloseDeposit.
struct DepositState
{
    CCampBDArray fields;          // data-file readers -> identification, rules, viewer
    CTessOCX *viewer = nullptr;   // the form viewer, owned by the frame (or the checker)

    QString structureStatus;      // "0", "1", "2": manifest check
    QString completenessStatus;   // "0", "1", "2": manifest check
    bool formIdentified = false;  // set when a form template was opened
    QString formName;             // "K7NP", "K7AP", "K7NE", "K7AE", "K7ME"
    QString formError;            // empty on success
    int formSelectionMode = 0;    // 0 "Por claves 999xxx", 1 "Por clave Instancia.asc"
    QString fingerprint;          // as typed in the Open dialog

    QString entryChannel;
    QString entryNumber;
    QString entryDate;

    QString appFolder;            // executable's folder with a trailing backslash
    QStringList diagnosticText;   // the diagnostic sheet, one element
    QString fileWarnings;         // suspicious-file warnings
    bool printerChosen = false;
    QString textSize;             // last size placed in the text-size list

    QString workFolder;           // "C:\TMP_VK7" after an Open, empty before
    QString subFolder;            // always empty

    QStringList memoriaPages;
    QStringList gestionPages;
    QStringList accionesPages;
    QStringList ambientaPages;
    QStringList simcavPages;
    QStringList certaproPages;

    QStringList gestionImages;    // entry n-1 holds page n; "" for a hole
    QStringList memoriaImages;
    QStringList auditorImages;
    QStringList anuncioImages;

    QStringList otherDocumentNames;

    // workFolder + subFolder + "\" + name: how deposit files are addressed.
    QString DepositFilePath(const QString &name) const
    {
        return workFolder + subFolder + QLatin1Char('\\') + name;
    }
};

// Empties the values of the application form's keys (780000-781404; the
// records stay) and the list of other documents.
void ClearApplicationFields(DepositState &state);

} // namespace vk7
