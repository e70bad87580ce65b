#include "filecopydialog.h"

#include "accountsfile.h"
#include "keyedfiles.h"
#include "reception/paths.h"
#include "textfiles.h"

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

QByteArray CFileCopyDialog::HostPath(const QString &fileName) const
{
    return PathResolver::HostFileName(state_.DepositFilePath(fileName));
}

bool CFileCopyDialog::Report(ReadResult result, const QString &failure, const QString &fileName)
{
    switch (result) {
    case ReadResult::Read:
        return true;
    case ReadResult::CannotOpen:
        ShowStatus(failure + fileName);
        return false;
    case ReadResult::BadFormat:
        ShowStatus(u"ERROR Formato del Fichero: "_s + fileName + u" Incorrecto"_s);
        return false;
    }
    return false;
}

bool CFileCopyDialog::ReadAccountsFile(const QString &fileName)
{
    ShowStatus(u"Leyendo datos. Esperar ..."_s);
    if (!Report(ReadAccounts(state_.fields, HostPath(fileName)),
                u"ERROR Leyendo datos. Fichero: "_s, fileName))
        return false;
    ReadCauses(state_.fields, HostPath(u"CAUSA.TXT"_s));
    return true;
}

bool CFileCopyDialog::ReadSharesFile(const QString &fileName)
{
    ShowStatus(u"Leyendo acciones. Esperar ..."_s);
    return Report(ReadKeyedValues(state_, KeyedFile::Shares, HostPath(fileName)),
                  u"ERROR Leyendo acciones. Fichero: "_s, fileName);
}

bool CFileCopyDialog::ReadCertificationFile(const QString &fileName)
{
    ShowStatus(u"Leyendo certificación. Esperar ..."_s);
    return Report(ReadKeyedValues(state_, KeyedFile::Certification, HostPath(fileName)),
                  u"ERROR Leyendo certificación. Fichero: "_s, fileName);
}

bool CFileCopyDialog::ReadApplicationFile(const QString &fileName)
{
    ShowStatus(u"Leyendo instancia. Esperar ..."_s);
    return Report(ReadKeyedValues(state_, KeyedFile::Application, HostPath(fileName)),
                  u"ERROR Leyendo instancia. Fichero: "_s, fileName);
}

bool CFileCopyDialog::ReadTextFile(const QString &fileName, TextPageList &pages)
{
    ShowStatus(u"Leyendo texto. Esperar ..."_s);
    return Report(ReadTextPages(HostPath(fileName), pages) ? ReadResult::Read
                                                           : ReadResult::CannotOpen,
                  u"ERROR Leyendo texto. Fichero: "_s, fileName);
}

bool CFileCopyDialog::ReadImageList(const QString &filePattern)
{
    ShowStatus(u"Leyendo imágenes. Esperar ..."_s);
    return ListPageImages(state_, filePattern);
}

void CFileCopyDialog::LoadDeposit()
{
    // No result is examined except the long application name's, whose
    // failure sends the reader to the 8.3 name.
    ReadAccountsFile(u"DATOS.ASC"_s);
    ReadSharesFile(u"ACCIONES.ASC"_s);
    ReadCertificationFile(u"CERTIF.ASC"_s);
    if (!ReadApplicationFile(u"INSTANCIA.ASC"_s))
        ReadApplicationFile(u"INSTANCI.ASC"_s);
    for (const DocumentKindInfo &text : DocumentKinds()) {
        if (!text.depositFile.isEmpty())
            ReadTextFile(text.depositFile, state_.Pages(text.kind));
    }
    // The management report's pages are listed before the memoria's: where
    // two names of the audit report or the notices claim one page, the one
    // listed last keeps it.
    for (const DocumentKind set :
         {DocumentKind::ManagementReportImages, DocumentKind::MemoriaImages,
          DocumentKind::AuditorReportImages, DocumentKind::AnnouncementsImages})
        ReadImageList(DocumentKindOf(set).imagePattern);
}

} // namespace vk7
