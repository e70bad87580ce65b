#pragma once

#include <array>

#include <QStringList>

namespace vk7 {

class CCampBDArray;
struct DepositState;
class TextPages;

// A text document has text when it has more than one page, or one page that
// is not empty.
bool HasText(const TextPages &pages);
// An image list has images when it holds at least one entry (holes count).
bool HasImages(const QStringList &images);

// Whether the store holds data of the own-shares model: a non-empty value
// under a key from 700000 to 775220, leaving out the section keys 710000 to
// 770000 and the ranges x0001 to x0999 of each section.
bool HoldsOwnSharesData(const CCampBDArray &fields);

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
constexpr int kPrintableDocumentCount = 9;

// The check-box caption of each printable document.
QString PrintableDocumentCaption(PrintableDocument document);
// The caption of the check box that is always ticked.
QString DiagnosticSheetCaption();

using DocumentAvailability = std::array<bool, kPrintableDocumentCount>;

// Which documents of an identified deposit can be printed.
DocumentAvailability ComputeDocumentAvailability(const DepositState &state);

} // namespace vk7
