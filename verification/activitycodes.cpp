#include "activitycodes.h"

#include <QFile>

#include "reception/codepages.h"
#include "reception/paths.h"

namespace vk7 {

namespace {

constexpr qsizetype kCharactersPerRead = 127;

// One read of the table as the C library's line reader makes it in text
// mode: up to the line break (included) or 127 characters, "\r\n" read as "\n".
bool ReadChunk(QFile &file, QByteArray *chunk)
{
    chunk->clear();
    char c = 0;
    while (chunk->size() < kCharactersPerRead && file.getChar(&c)) {
        if (c == '\r') {
            char next = 0;
            if (file.getChar(&next)) {
                if (next == '\n')
                    c = '\n';
                else
                    file.ungetChar(next);
            }
        }
        chunk->append(c);
        if (c == '\n')
            break;
    }
    return !chunk->isEmpty();
}

} // namespace

bool IsKnownActivityCode(const QString &code, const QString &tablePath)
{
    const QString hostPath = PathResolver::Resolve(tablePath);
    if (hostPath.isEmpty())
        return false;
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = EncodeWindows1252(code);
    QByteArray chunk;
    while (ReadChunk(file, &chunk)) {
        // Only a line break is dropped: a last line without one keeps its
        // last digit and stays findable.
        if (chunk.endsWith('\n'))
            chunk.chop(1);
        if (chunk == wanted)
            return true;
    }
    return false;
}

} // namespace vk7
