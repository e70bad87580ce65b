#include "depositstate.h"

namespace vk7 {

size_t DepositState::Slot(DocumentKind kind)
{
    return size_t(&DocumentKindOf(kind) - DocumentKinds().data());
}

void DepositState::ClearDocuments()
{
    for (TextPageList &pages : pages_)
        pages.clear();
    for (QStringList &images : images_)
        images.clear();
}

Failure DepositState::TextReadFailure() const
{
    Failure first;
    for (const TextPageList &pages : pages_)
        first.KeepFirst(pages.IoFailure());
    return first;
}

std::optional<TextPageList> TextPagesOfKind(const DepositState &state, DocumentKind kind)
{
    if (kind == DocumentKind::DiagnosticSheet)
        return TextPageList(state.diagnosticText);
    if (DocumentKindOf(kind).images)
        return std::nullopt;
    return state.Pages(kind);
}

const QStringList *ImagesOfKind(const DepositState &state, DocumentKind kind)
{
    return DocumentKindOf(kind).images ? &state.Images(kind) : nullptr;
}

void ClearApplicationFields(DepositState &state)
{
    state.fields.ClearValues([](int key) { return kApplicationKeys.Contains(key); });
    state.otherDocumentNames.clear();
}

} // namespace vk7
