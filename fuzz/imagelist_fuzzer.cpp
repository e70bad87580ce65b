// The page-image lists as the load pass finds them and the diagnosis checks
// them. The input is file names, one a line, then an empty line and the
// bytes every named file holds (a TIFF file, usually).
#include <fcntl.h>
#include <unistd.h>

#include <QByteArrayView>
#include <QFile>

#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "fuzzsupport.h"
#include "verification/plausibility.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString work = vk7::fuzz::WorkFolder();
    const QByteArray folder = QFile::encodeName(work);
    vk7::fuzz::EmptyFolder(work);

    const QByteArrayView input(data, qsizetype(size));
    qsizetype split = input.indexOf("\n\n");
    const QByteArrayView names = split < 0 ? input : input.first(split);
    const QByteArrayView content = split < 0 ? QByteArrayView() : input.sliced(split + 2);
    int made = 0;
    for (const QByteArray &name : names.toByteArray().split('\n')) {
        if (made == 16)
            break;
        // A name of one folder entry, as a medium can hold.
        if (name.isEmpty() || name.size() > 64 || name == "." || name == ".." ||
            name.contains('/') || name.contains('\0'))
            continue;
        const QByteArray path = folder + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        if (!content.isEmpty() && ::write(fd, content.data(), size_t(content.size())) < 0) {
        }
        ::close(fd);
        ++made;
    }

    vk7::DepositState state;
    vk7::CFileCopyDialog loader(state);
    loader.ReadImageList(u"*.G??"_s);
    loader.ReadImageList(u"*.M??"_s);
    loader.ReadImageList(u"AUDITOR.*"_s);
    loader.ReadImageList(u"ANUNCIO.*"_s);
    using vk7::DocumentKind;
    for (DocumentKind kind : {DocumentKind::MemoriaImages, DocumentKind::ManagementReportImages,
                              DocumentKind::AuditorReportImages, DocumentKind::AnnouncementsImages})
        vk7::IsPlausibleImageList(state, kind);
    return 0;
}
