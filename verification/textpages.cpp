#include "textpages.h"

#include "datafiles/depositstate.h"
#include "viewing/textpagerenderer.h"

namespace vk7 {

using namespace Qt::StringLiterals;

QString PageImageFolder()
{
    return WorkFolder();
}

bool RenderTextPages(const DepositState &state, DocumentKind kind, const QString &folder,
                     const QStringList *explicitPages)
{
    const QString &prefix = DocumentKindOf(kind).pagePrefix;
    const std::optional<TextPageList> pages = TextPagesOfKind(state, kind);
    if (prefix.isEmpty() || !pages)
        return false;
    return RenderTextPageFiles(explicitPages ? TextPageList(*explicitPages) : *pages, folder,
                               prefix);
}

} // namespace vk7
