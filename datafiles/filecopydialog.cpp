#include "filecopydialog.h"

#include "accountsfile.h"
#include "keyedfiles.h"
#include "readfailure.h"
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

bool CFileCopyDialog::Report(const Failure &failure, const Failure &unread)
{
    if (!failure.Failed())
        return true;
    machineFailure_.KeepFirst(failure);
    ShowStatus(failure.EndsWork() ? unread.text : failure.text);
    return false;
}

bool CFileCopyDialog::ReadAccountsFile(const QString &fileName)
{
    ShowStatus(u"Leyendo datos. Esperar ..."_s);
    if (!Report(ReadAccounts(state_.fields, HostPath(fileName), fileName),
                CannotReadFailure(u"datos"_s, fileName)))
        return false;
    machineFailure_.KeepFirst(ReadCauses(state_.fields, HostPath(u"CAUSA.TXT"_s)));
    return true;
}

bool CFileCopyDialog::ReadSharesFile(const QString &fileName)
{
    ShowStatus(u"Leyendo acciones. Esperar ..."_s);
    return Report(ReadKeyedValues(state_, KeyedFile::Shares, HostPath(fileName), fileName),
                  CannotReadFailure(u"acciones"_s, fileName));
}

bool CFileCopyDialog::ReadCertificationFile(const QString &fileName)
{
    ShowStatus(u"Leyendo certificación. Esperar ..."_s);
    return Report(ReadKeyedValues(state_, KeyedFile::Certification, HostPath(fileName), fileName),
                  CannotReadFailure(u"certificación"_s, fileName));
}

bool CFileCopyDialog::ReadApplicationFile(const QString &fileName)
{
    ShowStatus(u"Leyendo instancia. Esperar ..."_s);
    return Report(ReadKeyedValues(state_, KeyedFile::Application, HostPath(fileName), fileName),
                  CannotReadFailure(u"instancia"_s, fileName));
}

bool CFileCopyDialog::ReadTextFile(const QString &fileName, TextPageList &pages)
{
    ShowStatus(u"Leyendo texto. Esperar ..."_s);
    const Failure unread = CannotReadFailure(u"texto"_s, fileName);
    const Failure failure = ReadTextPages(HostPath(fileName), pages, stop_);
    return Report(failure.EndsWork() ? failure : failure.Failed() ? unread : Failure(), unread);
}

bool CFileCopyDialog::ReadImageList(const QString &filePattern)
{
    ShowStatus(u"Leyendo imágenes. Esperar ..."_s);
    return ListPageImages(state_, filePattern);
}

Failure CFileCopyDialog::LoadDeposit()
{
    machineFailure_ = Failure();
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
    return machineFailure_;
}

} // namespace vk7
