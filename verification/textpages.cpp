#include "textpages.h"

#include "datafiles/depositstate.h"
#include "viewing/textpagerenderer.h"

namespace vk7 {

using namespace Qt::StringLiterals;

QString PageImageFolder()
{
    return WorkFolder();
}

QString TextPagePrefix(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Memoria:
        return u"K7.M"_s;
    case DocumentKind::ManagementReport:
        return u"K7.G"_s;
    case DocumentKind::OwnShares:
        return u"K7.A"_s;
    case DocumentKind::DiagnosticSheet:
        return u"K7.D"_s;
    case DocumentKind::EnvironmentalReport:
        return u"K7.B"_s;
    case DocumentKind::SimcavReport:
        return u"K7.S"_s;
    case DocumentKind::ApprovalCertificate:
        return u"K7.C"_s;
    default:
        return QString();
    }
}

bool RenderTextPages(const DepositState &state, DocumentKind kind, const QString &folder,
                     const QStringList *explicitPages)
{
    const QString prefix = TextPagePrefix(kind);
    const std::optional<TextPages> pages = TextPagesOfKind(state, kind);
    if (prefix.isEmpty() || !pages)
        return false;
    return RenderTextPageFiles(explicitPages ? TextPages(*explicitPages) : *pages, folder, prefix);
}

} // namespace vk7
