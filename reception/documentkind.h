#pragma once

#include <array>
#include <optional>

#include <QList>
#include <QString>

namespace vk7 {

// Every kind of deposit document the system handles, by the system's own
// numbers (the codes the Edit menu hands to the text and image dialogs).
// The table sits with the reception, the lowest layer that needs it (the
// manifest and the fingerprint), so every layer above reads the same rows.
enum class DocumentKind {
    MemoriaText = 5,
    ManagementReportText = 6,
    OwnSharesText = 7,
    MemoriaImages = 8,
    ManagementReportImages = 9,
    DiagnosticSheet = 10,
    EnvironmentalReportText = 17,
    SimcavReportText = 18,
    ApprovalCertificateText = 19,
    AuditorReportImages = 20,
    AnnouncementsImages = 21,
};
inline constexpr int kDocumentKindCount = 11;

// The documents the state window offers for printing, in the order of its
// check boxes after "Hoja de Diagnóstico".
enum class PrintableDocument {
    IdentificationBalance,
    Memoria,
    ManagementReport,
    OwnShares,
    EnvironmentalReport,
    AuditorReport,
    SimcavReport,
    Announcements,
    ApprovalCertificate,
};
inline constexpr int kPrintableDocumentCount = 9;

// What belongs to a kind. An empty text or 0 means the kind has none.
struct DocumentKindInfo
{
    DocumentKind kind;
    bool images = false;                    // an image set, else a text
    std::optional<PrintableDocument> box{}; // the state window's box; none for the sheet
    QString depositFile{};                  // a text's file in the deposit, "MEMORIA.TXT"
    QString imagePattern{};   // the pattern an image set's pages are listed with, "*.M??"
    QString imageMarker{};    // the part of a name that marks the set: "M" the letter three
                              // places from the end, "AUDITOR" the first seven characters
    QString pagePrefix{};     // a text's rendered pages: "K7.M" gives K7.M01, K7.M02, ...
    QString printJobCode{};   // the output's job: "VK7_" + code + "_" + time
    QString warningFile{};    // named in the sheet's warning when the document looks wrong
    QString jsonName{};       // an image set's key in the checker's JSON
    QString dialogTitle{};    // the title of its text page or image set dialog
    QString temporaryName{};  // an image set's copies in the temporary folder for other
                              // programs, by page number: "MEMTMP%02d.TIF"
    int fingerprintPlace = 0; // where the fingerprint reads it among the
                              // documents, from 1; after the data files
    bool fingerprintWhenThere = false; // a text the fingerprint lists only when its
                                       // file is there; the others are always listed
    int editCommand = 0;               // the frame's Edit-menu command id that opens its dialog
    QString editCaption{};             // that command's menu caption, with its ampersand
    QString editPrompt{};              // its status-bar text
    QString editToolTip{};
};

// The table, in the order the state window's print run produces the kinds:
// the diagnostic sheet, then each document's images before its text.
const std::array<DocumentKindInfo, kDocumentKindCount> &DocumentKinds();
const DocumentKindInfo &DocumentKindOf(DocumentKind kind);

// Whether an image's upper-cased name is marked as a page of the image set:
// by its marker at the start of the name, or by the letter three places
// from the end for a one-letter marker.
bool MarksImageSet(const DocumentKindInfo &set, const QString &name);

// Where page `number` of an image set is copied for other programs: its
// temporary name, numbered, in TemporaryFolder().
QString TemporaryImagePath(const DocumentKindInfo &set, int number);

// The documents in the order the fingerprint reads them (fingerprintPlace).
QList<const DocumentKindInfo *> FingerprintDocuments();

// A state-window box: its caption, the word that names it in vk7check's
// --print list and its control id.
struct PrintChoiceInfo
{
    QString caption;
    QString printWord;
    int controlId = 0;
};
inline constexpr int kPrintChoiceCount = kPrintableDocumentCount + 1;

// The boxes in the window's order: "Hoja de Diagnóstico", then the
// printable documents in the order of PrintableDocument.
const std::array<PrintChoiceInfo, kPrintChoiceCount> &PrintChoiceTable();

// What a document is called where it is listed (the manifest's files): the
// caption of its state-window box. Empty for the diagnostic sheet.
QString DocumentCaption(const DocumentKindInfo &document);

} // namespace vk7
