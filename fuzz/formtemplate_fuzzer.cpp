// A form template as the form viewer control opens it by name from the FORM
// folder, with the shipped templates beside it for its includes.
#include <QDir>
#include <QFile>

#include "components/formtemplate.h"
#include "fuzzsupport.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString folder = [] {
        const QString forms = vk7::fuzz::DriveRoot() + u"/FORM"_s;
        QDir().mkpath(forms);
        const QDir shipped(QStringLiteral(VK7_SOURCE_DIR "/FORM"));
        for (const QString &name : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(name), forms + u'/' + name);
        return forms;
    }();
    vk7::fuzz::WriteHostFile(folder + u"/K7FZ"_s, data, size);
    vk7::FormTemplate form;
    if (!vk7::ParseFormTemplate(folder, u"K7FZ"_s, &form).Failed()) {
        for (vk7::PageBlock block :
             {vk7::PageBlock::First, vk7::PageBlock::Shares, vk7::PageBlock::Screen})
            form.CountPages(block);
    }
    return 0;
}
