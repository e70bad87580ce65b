#include "textfiles.h"

#include <QFile>

#include "dostext.h"
#include "reception/hostfiles.h"
#include "reception/paths.h"
#include "reception/plaintext.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kChunkSize = 2047;
constexpr qsizetype kPageCut = 25000;

} // namespace

bool ReadTextPages(const QByteArray &hostPath, QStringList &pages)
{
    QFile file;
    const int fd = hostfiles::OpenRegularFile(hostPath, true);
    if (fd >= 0 && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        hostfiles::Close(fd);
    if (!file.isOpen())
        return false;
    QStringList newPages;
    QByteArray page;
    const auto emitPage = [&] {
        newPages.append(DecodeTextPage(page));
        page.resize(0);
    };
    char chunk[kChunkSize];
    for (;;) {
        const qint64 read = file.read(chunk, kChunkSize);
        if (read <= 0)
            break;
        // A zero byte is dropped on its own; the text after it stays.
        qsizetype size = 0;
        for (qint64 i = 0; i < read; ++i) {
            if (chunk[i] != '\0')
                chunk[size++] = chunk[i];
        }
        QByteArrayView rest(chunk, size);
        for (;;) {
            const qsizetype formFeed = rest.indexOf('\f');
            if (formFeed < 0) {
                page.append(rest);
                // A page without form feeds is cut at the end of the chunk
                // that makes it long enough.
                if (page.size() >= kPageCut)
                    emitPage();
                break;
            }
            page.append(rest.first(formFeed));
            emitPage();
            rest = rest.sliced(formFeed + 1);
            if (rest.startsWith("\r\n"))
                rest = rest.sliced(2);
        }
    }
    if (!page.isEmpty())
        emitPage();
    file.close();
    pages = std::move(newPages);
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
