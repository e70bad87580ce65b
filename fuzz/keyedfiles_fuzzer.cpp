// The keyed files and CAUSA.TXT as the load pass reads them. The first byte
// chooses the file (its value modulo 5): 'A' INSTANCIA.ASC, 'B' INSTANCI.ASC
// (read when INSTANCIA.ASC is missing), 'C' CERTIF.ASC, 'D' ACCIONES.ASC,
// 'E' CAUSA.TXT (read after a DATOS.ASC with a sound header); the rest is
// the file's content.
#include <QFile>

#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "fuzzsupport.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QString work = [] {
        // A header record of 276 characters and one data record of 52.
        QByteArray accounts = "1B09512344200512"_ba;
        accounts += QByteArray(276 - accounts.size(), ' ') + "\r\n";
        accounts += "2B095123442005810190+000002005123100+000000000000000\r\n"_ba;
        vk7::fuzz::WriteHostFile(vk7::fuzz::WorkFolder() + u"/DATOS.ASC"_s, accounts);
        return vk7::fuzz::WorkFolder();
    }();
    static const QString names[] = {u"INSTANCIA.ASC"_s, u"INSTANCI.ASC"_s, u"CERTIF.ASC"_s,
                                    u"ACCIONES.ASC"_s, u"CAUSA.TXT"_s};
    const int which = data[0] % 5;
    const QString host = work + u'/' + names[which];
    vk7::fuzz::WriteHostFile(host, data + 1, size - 1);

    vk7::DepositState state;
    vk7::CFileCopyDialog loader(state);
    switch (which) {
    case 0:
    case 1:
        if (!loader.ReadApplicationFile(u"INSTANCIA.ASC"_s))
            loader.ReadApplicationFile(u"INSTANCI.ASC"_s);
        break;
    case 2:
        loader.ReadCertificationFile(u"CERTIF.ASC"_s);
        break;
    case 3:
        loader.ReadSharesFile(u"ACCIONES.ASC"_s);
        break;
    default:
        loader.ReadAccountsFile(u"DATOS.ASC"_s);
        break;
    }
    QFile::remove(host);
    return 0;
}
