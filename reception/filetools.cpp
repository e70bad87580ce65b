#include "filetools.h"

#include <cerrno>

#include <QFile>

#include "hostfiles.h"
#include "paths.h"
#include "userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

bool IsSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

} // namespace

CFileTools::CFileTools(IUserInterface *ui, std::stop_token stop) : ui_(ui), stop_(std::move(stop))
{
}

CFileTools::~CFileTools() = default;

Failure CFileTools::DeleteOneFile(const QString &path)
{
    return hostfiles::RemoveFile(PathResolver::HostFileName(path));
}

bool CFileTools::PathExists(const QString &path, bool wantFolder)
{
    QString looked = path;
    if (wantFolder) {
        if (looked.endsWith(u'\\'))
            looked.chop(1);
        if (AsciiUpper(looked) == u"A:"_s)
            return true;
    }
    PathResolver::EntryKind kind;
    if (!PathResolver::Lookup(looked, &kind))
        return false;
    return wantFolder ? kind == PathResolver::EntryKind::Folder
                      : kind != PathResolver::EntryKind::Folder;
}

Failure CFileTools::CopyExistingFile(const QString &source, const QString &target)
{
    if (!PathResolver::Lookup(source, nullptr))
        return Failure::Data(hostfiles::MissingFileText(source), source);
    const QByteArray targetHost = PathResolver::HostFileName(target);
    if (targetHost.isEmpty())
        return Failure::Data(u"No se puede escribir el fichero %1"_s.arg(target), target);
    return hostfiles::CopyFile(PathResolver::HostFileName(source), targetHost, true);
}

Failure CFileTools::DeleteMatchingFiles(const QString &pattern, bool keepZeroExtension)
{
    Failure result;
    for (const PathResolver::Entry &entry : PathResolver::FindMatching(pattern)) {
        if (entry.kind == PathResolver::EntryKind::Folder)
            continue;
        if (keepZeroExtension && entry.name.endsWith(u".000"_s))
            continue;
        const QByteArray host = QFile::encodeName(entry.hostPath);
        if (entry.kind == PathResolver::EntryKind::File)
            hostfiles::SetReadOnly(host, false);
        const Failure failure = hostfiles::RemoveFile(host);
        if (failure.Failed() && !result.Failed())
            result = failure;
    }
    return result;
}

void CFileTools::SetAttributesMatching(const QString &pattern, int mode)
{
    for (const PathResolver::Entry &entry : PathResolver::FindMatching(pattern)) {
        if (entry.kind == PathResolver::EntryKind::File)
            hostfiles::SetReadOnly(QFile::encodeName(entry.hostPath), mode == 1);
    }
}

Failure CFileTools::CreateOneFolder(const QString &path)
{
    const QByteArray host = PathResolver::HostFileName(path);
    if (host.isEmpty())
        return Failure::Data(u"No se puede crear la carpeta %1"_s.arg(path), path);
    if (hostfiles::MakeFolder(host))
        return {};
    if (errno == EEXIST)
        return Failure::Data(u"La carpeta %1 ya existe"_s.arg(path), path);
    return Failure::Io(host, errno);
}

void CFileTools::CreateFolderChain(const QString &path)
{
    QString chain = path;
    if (chain.isEmpty() || !IsSeparator(chain.back()))
        chain += u'\\';
    const bool drive = chain.size() >= 3 && chain.at(1) == u':';
    for (qsizetype i = 1; i < chain.size(); ++i) {
        if (!IsSeparator(chain.at(i)) || (drive && i == 2))
            continue;
        CreateOneFolder(chain.left(i));
    }
}

} // namespace vk7
