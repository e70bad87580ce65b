#include "documentkind.h"

#include "datafiles/depositstate.h"

namespace vk7 {

std::optional<TextPages> TextPagesOfKind(const DepositState &state, DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Memoria:
        return state.memoriaPages;
    case DocumentKind::ManagementReport:
        return state.gestionPages;
    case DocumentKind::OwnShares:
        return state.accionesPages;
    case DocumentKind::DiagnosticSheet:
        return TextPages(state.diagnosticText);
    case DocumentKind::EnvironmentalReport:
        return state.ambientaPages;
    case DocumentKind::SimcavReport:
        return state.simcavPages;
    case DocumentKind::ApprovalCertificate:
        return state.certaproPages;
    default:
        return std::nullopt;
    }
}

const QStringList *ImagesOfKind(const DepositState &state, DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Memoria:
        return &state.memoriaImages;
    case DocumentKind::ManagementReport:
        return &state.gestionImages;
    case DocumentKind::AuditorReport:
        return &state.auditorImages;
    case DocumentKind::Announcements:
        return &state.anuncioImages;
    default:
        return nullptr;
    }
}

} // namespace vk7
