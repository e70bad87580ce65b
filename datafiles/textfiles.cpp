#include "textfiles.h"

#include "reception/hostfiles.h"
#include "reception/paths.h"
#include "reception/plaintext.h"

namespace vk7 {

using namespace Qt::StringLiterals;

Failure ReadTextPages(const QByteArray &hostPath, TextPageList &pages, std::stop_token stop)
{
    TextPageList::FileRead read =
        TextPageList::ReadFile(hostPath, TextPageList::kMaxIndexEntries, std::move(stop));
    if (read.pages)
        pages = std::move(*read.pages);
    else if (!read.failure.Failed())
        return Failure::Data(hostfiles::MissingFileText(QString::fromLocal8Bit(hostPath)));
    return read.failure;
}

namespace {

// The set an image's name belongs to: a marker at the start of the name
// (AUDITOR, ANUNCIO) decides before the extension's letter does.
const DocumentKindInfo *ImageSetOfName(const QString &name)
{
    const DocumentKindInfo *byExtension = nullptr;
    for (const DocumentKindInfo &set : DocumentKinds()) {
        if (!MarksImageSet(set, name))
            continue;
        if (set.imageMarker.size() > 1)
            return &set;
        if (!byExtension)
            byExtension = &set;
    }
    return byExtension;
}

} // namespace

bool ListPageImages(DepositState &state, const QString &filePattern)
{
    const QList<PathResolver::Entry> entries =
        PathResolver::FindMatching(state.DepositFilePath(filePattern));
    if (entries.isEmpty())
        return false;
    for (const PathResolver::Entry &entry : entries) {
        if (entry.kind == PathResolver::EntryKind::Folder)
            continue;
        const QString name = AsciiUpper(entry.name);
        // Only the deposit's own files: the program's page images lie beside them.
        if (name.size() < 4 || (state.depositFiles && !state.depositFiles->contains(name)))
            continue;
        const DocumentKindInfo *set = ImageSetOfName(name);
        if (!set)
            continue;
        QStringList *list = &state.Images(set->kind);
        const int number = CAtoi(QStringView(name).right(2));
        if (number < 1 || number > 99)
            continue;
        while (list->size() < number)
            list->append(QString());
        (*list)[number - 1] = name;
    }
    return true;
}

} // namespace vk7
