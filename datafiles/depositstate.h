#pragma once

#include <array>
#include <optional>

#include <QSet>
#include <QString>
#include <QStringList>

#include "campbdarray.h"
#include "reception/documentkind.h"
#include "reception/manifest.h"
#include "reception/paths.h"
#include "textpagelist.h"

namespace vk7 {

// The open deposit: what was read from the work folder and decided about it.
// Each writer and reader is named in the comments; lists are emptied by
// CloseDeposit. Files are addressed in the work folder (DepositFilePath).
struct DepositState
{
    // True from an accepted Open to the next Close.
    bool open = false;

    CCampBDArray fields; // data-file readers -> identification, rules, viewer

    ManifestVerdict structure = ManifestVerdict::NotChecked;    // manifest check
    ManifestVerdict completeness = ManifestVerdict::NotChecked; // manifest check
    bool formIdentified = false; // set when a form template was opened
    QString formName;            // "K7NP", "K7AP", "K7NE", "K7AE", "K7ME"
    QString formError;           // empty on success
    int formSelectionMode = 0;   // 0 "Por claves 999xxx", 1 "Por clave Instancia.asc"
    QString fingerprint;         // as typed in the Open dialog

    // The registry entry, carried from one Open to the next.
    QString entryNumber;
    QString entryDate;

    QStringList diagnosticText; // the diagnostic sheet, one element
    QString fileWarnings;       // suspicious-file warnings
    QStringList notCopied;      // items of the medium the Open left, with why
    // The upper-cased names the Open copied into the work folder: the
    // deposit's own files, which alone the fingerprint and the image lists
    // read there (the program writes page images beside them). Unknown for
    // a folder checked where it lies: then every file in it counts.
    std::optional<QSet<QString>> depositFiles;

    // The texts (read back from the work copy page by page) and the image
    // lists (entry n-1 holds page n; "" for a hole), by kind. A kind of the
    // other form has an empty one; the diagnostic sheet's text is
    // diagnosticText.
    TextPageList &Pages(DocumentKind kind) { return pages_[Slot(kind)]; }
    const TextPageList &Pages(DocumentKind kind) const { return pages_[Slot(kind)]; }
    QStringList &Images(DocumentKind kind) { return images_[Slot(kind)]; }
    const QStringList &Images(DocumentKind kind) const { return images_[Slot(kind)]; }
    // Empties every text and image list.
    void ClearDocuments();
    // The first read of a text's file the machine refused, while it was
    // indexed or read back since (Kind::None when none): a verdict, sheet or
    // object made from such a text is not the deposit's.
    Failure TextReadFailure() const;

    QStringList otherDocumentNames;

    // The diagnosis has left its sheet.
    bool Diagnosed() const { return !diagnosticText.isEmpty(); }

    // How deposit files are addressed: "C:\TMP_VK7\" + name.
    static QString DepositFilePath(const QString &name) { return WorkFolder() + name; }

private:
    // A kind's place in the document table.
    static size_t Slot(DocumentKind kind);

    std::array<TextPageList, kDocumentKindCount> pages_;
    std::array<QStringList, kDocumentKindCount> images_;
};

// The text pages of a kind (the diagnostic sheet's text included), or
// nothing for an image set.
std::optional<TextPageList> TextPagesOfKind(const DepositState &state, DocumentKind kind);

// The page-image list of an image set, or null for a text.
const QStringList *ImagesOfKind(const DepositState &state, DocumentKind kind);

// Empties the values of the application form's keys (kApplicationKeys; the
// records stay) and the list of other documents.
void ClearApplicationFields(DepositState &state);

} // namespace vk7
