#pragma once

#include <array>

#include <QStringList>

#include "reception/documentkind.h"

namespace vk7 {

class CCampBDArray;
struct DepositState;
class TextPageList;

// A text document has text when it has more than one page, or one page that
// is not empty.
bool HasText(const TextPageList &pages);
// An image list has images when it holds at least one entry (holes count).
bool HasImages(const QStringList &images);
// Whether the deposit holds a document of the kind: text for a text, images
// for an image set.
bool HasDocument(const DepositState &state, DocumentKind kind);

// Whether the store holds data of the own-shares model: a non-empty value
// under a key of kSharesKeys, leaving out the section keys 710000 to 770000
// and the ranges x0001 to x0999 of each section.
bool HoldsOwnSharesData(const CCampBDArray &fields);

// The check-box caption of each printable document.
QString PrintableDocumentCaption(PrintableDocument document);

using DocumentAvailability = std::array<bool, kPrintableDocumentCount>;

// Which documents of an identified deposit can be printed.
DocumentAvailability ComputeDocumentAvailability(const DepositState &state);

} // namespace vk7
