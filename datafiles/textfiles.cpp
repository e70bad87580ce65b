#include "textfiles.h"

#include "reception/paths.h"
#include "reception/plaintext.h"

namespace vk7 {

using namespace Qt::StringLiterals;

bool ReadTextPages(const QByteArray &hostPath, TextPages &pages)
{
    std::optional<TextPages> read = TextPages::ReadFile(hostPath);
    if (!read)
        return false;
    pages = std::move(*read);
    return true;
}

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
        if (name.size() < 4)
            continue;
        QStringList *list = nullptr;
        const QChar extension = name.at(name.size() - 3);
        if (name.startsWith(u"ANUNCIO"_s))
            list = &state.anuncioImages;
        else if (name.startsWith(u"AUDITOR"_s))
            list = &state.auditorImages;
        else if (extension == u'M')
            list = &state.memoriaImages;
        else if (extension == u'G')
            list = &state.gestionImages;
        else
            continue;
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
