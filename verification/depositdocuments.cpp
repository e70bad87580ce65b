#include "depositdocuments.h"

#include "datafiles/depositstate.h"

using namespace Qt::StringLiterals;

namespace vk7 {

bool HasText(const TextPageList &pages)
{
    return pages.size() > 1 || (pages.size() == 1 && !pages.first().isEmpty());
}

bool HasImages(const QStringList &images)
{
    return !images.isEmpty();
}

bool HasDocument(const DepositState &state, DocumentKind kind)
{
    if (kind == DocumentKind::DiagnosticSheet)
        return state.Diagnosed();
    return DocumentKindOf(kind).images ? HasImages(state.Images(kind)) : HasText(state.Pages(kind));
}

namespace {

bool IsOwnSharesKey(int key)
{
    if (!kSharesKeys.Contains(key))
        return false;
    // Key 700000 counts; the section keys 710000 ... 770000 and the first
    // thousand keys after every section key, 700000 included, do not.
    const int section = key / 10000 * 10000;
    const int offset = key - section;
    if (section != kSharesKeys.first && offset == 0)
        return false;
    if (offset >= 1 && offset <= 999)
        return false;
    return true;
}

} // namespace

bool HoldsOwnSharesData(const CCampBDArray &fields)
{
    bool found = false;
    fields.VisitFields([&found](int key, const QString &value) {
        if (!found && !value.isEmpty() && IsOwnSharesKey(key))
            found = true;
    });
    return found;
}

QString PrintableDocumentCaption(PrintableDocument document)
{
    return PrintChoiceTable()[static_cast<size_t>(document) + 1].caption;
}

DocumentAvailability ComputeDocumentAvailability(const DepositState &state)
{
    DocumentAvailability available{};
    auto at = [&available](PrintableDocument document) -> bool & {
        return available[static_cast<size_t>(document)];
    };
    // The form pages are always there.
    at(PrintableDocument::IdentificationBalance) = true;
    for (const DocumentKindInfo &document : DocumentKinds()) {
        if (document.box && HasDocument(state, document.kind))
            at(*document.box) = true;
    }
    // The own-shares model also prints as form pages when its data was given.
    if (!at(PrintableDocument::OwnShares))
        at(PrintableDocument::OwnShares) = HoldsOwnSharesData(state.fields);
    return available;
}

} // namespace vk7
