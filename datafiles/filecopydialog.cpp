#include "filecopydialog.h"

#include "reception/paths.h"

namespace vk7 {

using namespace Qt::StringLiterals;

CFileCopyDialog::CFileCopyDialog(DepositState &state, IUserInterface *ui) : state_(state), ui_(ui)
{
}

void CFileCopyDialog::ShowStatus(const QString &text)
{
    line3 = text;
    if (ui_)
        ui_->ShowStatus(line3);
}

QString CFileCopyDialog::HostPath(const QString &fileName) const
{
    return PathResolver::Resolve(state_.DepositFilePath(fileName));
}

int CFileCopyDialog::LoadDeposit()
{
    kind = 0;
    mode = 11;
    // No result is examined except the long application name's, whose
    // failure sends the reader to the 8.3 name.
    ReadAccountsFile(u"DATOS.ASC"_s);
    ReadSharesFile(u"ACCIONES.ASC"_s);
    ReadCertificationFile(u"CERTIF.ASC"_s);
    if (!ReadApplicationFile(u"INSTANCIA.ASC"_s))
        ReadApplicationFile(u"INSTANCI.ASC"_s);
    ReadTextFile(u"MEMORIA.TXT"_s, state_.memoriaPages);
    ReadTextFile(u"GESTION.TXT"_s, state_.gestionPages);
    ReadTextFile(u"ACCIONES.TXT"_s, state_.accionesPages);
    ReadTextFile(u"AMBIENTA.TXT"_s, state_.ambientaPages);
    ReadTextFile(u"SIMCAV.TXT"_s, state_.simcavPages);
    ReadTextFile(u"CERTAPRO.TXT"_s, state_.certaproPages);
    ReadImageList(u"*.G??"_s);
    ReadImageList(u"*.M??"_s);
    ReadImageList(u"AUDITOR"_s + u".*"_s);
    ReadImageList(u"ANUNCIO"_s + u".*"_s);
    return 1;
}

} // namespace vk7
