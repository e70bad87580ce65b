#include "textpages.h"

#include "datafiles/depositstate.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "reception/plaintext.h"
#include "viewing/textpagerenderer.h"

namespace vk7 {

using namespace Qt::StringLiterals;

QString PageImageFolder()
{
    return WorkFolder();
}

void RemoveGeneratedPageImages(const DepositState &state)
{
    CFileTools tools;
    const QString pattern = PageImageFolder() + u"K7.*"_s;
    if (!state.depositFiles) {
        tools.DeleteMatchingFiles(pattern, false);
        return;
    }
    for (const PathResolver::Entry &entry : PathResolver::FindMatching(pattern)) {
        if (entry.kind != PathResolver::EntryKind::Folder &&
            !state.depositFiles->contains(AsciiUpper(entry.name)))
            tools.DeleteOneFile(PageImageFolder() + entry.name);
    }
}

Failure RenderTextPages(const DepositState &state, DocumentKind kind, const QString &folder,
                        const QStringList *explicitPages, std::stop_token stop)
{
    const QString &prefix = DocumentKindOf(kind).pagePrefix;
    const std::optional<TextPageList> pages = TextPagesOfKind(state, kind);
    if (prefix.isEmpty() || !pages)
        return Failure::Data(u"No hay páginas de texto de este documento"_s);
    return RenderTextPageFiles(explicitPages ? TextPageList(*explicitPages) : *pages, folder,
                               prefix, std::move(stop));
}

} // namespace vk7
