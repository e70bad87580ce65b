#pragma once

#include <optional>

#include <QStringList>

#include "datafiles/textpagelist.h"

namespace vk7 {

struct DepositState;

// The deposit's documents that have pages, by the system's own numbers.
enum class DocumentKind {
    Memoria = 5,
    ManagementReport = 6,
    OwnShares = 7,
    DiagnosticSheet = 10,
    EnvironmentalReport = 17,
    SimcavReport = 18,
    ApprovalCertificate = 19,
    AuditorReport = 20,
    Announcements = 21,
};

// The text pages of a kind (the diagnostic sheet's text included), or
// nothing for a kind without text.
std::optional<TextPages> TextPagesOfKind(const DepositState &state, DocumentKind kind);

// The page-image list of a kind (memoria, management report, auditor's
// report, announcements), or null for a kind without images.
const QStringList *ImagesOfKind(const DepositState &state, DocumentKind kind);

} // namespace vk7
