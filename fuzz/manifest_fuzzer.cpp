// The manifest FICHERO.TXT as reception reads it: structure and completeness
// verdicts, the entry list, and the fingerprint over the files it lists.
#include <QStringList>

#include "fuzzsupport.h"
#include "reception/filetools.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool prepared = [] {
        // A few deposit files for the manifest to name.
        const QString work = vk7::fuzz::WorkFolder();
        vk7::fuzz::WriteHostFile(work + u"/DATOS.ASC"_s, "1B0951234420050000"_ba);
        vk7::fuzz::WriteHostFile(work + u"/INSTANCIA.ASC"_s, "020781010E\r\n"_ba);
        vk7::fuzz::WriteHostFile(work + u"/MEMORIA.TXT"_s, "Memoria de la sociedad.\r\n"_ba);
        vk7::fuzz::WriteHostFile(work + u"/MEMORIA.M01"_s, "II*\0"_ba);
        return true;
    }();
    (void)prepared;
    vk7::fuzz::WriteHostFile(vk7::fuzz::WorkFolder() + u"/FICHERO.TXT"_s, data, size);

    vk7::CFileTools tools;
    tools.CheckDepositFiles(u"C:\\TMP_VK7"_s);
    QStringList names;
    tools.ReadManifest(u"C:\\TMP_VK7\\FICHERO.TXT"_s, names);
    QString fingerprint;
    fingerprint = tools.ComputeDepositFingerprint(u"C:\\TMP_VK7"_s).Text();
    return 0;
}
