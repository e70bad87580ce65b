#include "activitycodes.h"

#include "reception/codepages.h"
#include "reception/paths.h"
#include "reception/textmodereader.h"

namespace vk7 {

bool IsKnownActivityCode(const QString &code, const QString &tablePath)
{
    return LookUpActivityCode(code, tablePath).known;
}

ActivityCodeLookup LookUpActivityCode(const QString &code, const QString &tablePath)
{
    TextModeReader file(127); // characters a line read gives at most
    ActivityCodeLookup lookup;
    if (file.Open(PathResolver::HostFileName(tablePath))) {
        const QByteArray wanted = EncodeWindows1252(code);
        QByteArrayView chunk;
        while (!lookup.known && file.ReadLine(&chunk)) {
            // Only a line break is dropped: a last line without one keeps its
            // last digit and stays findable.
            if (chunk.endsWith('\n'))
                chunk.chop(1);
            lookup.known = chunk == wanted;
        }
    }
    lookup.failure = file.IoFailure();
    return lookup;
}

} // namespace vk7
