#include "cfiletools.h"

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

CFileTools::CFileTools(IUserInterface *ui) : ui_(ui) {}

CFileTools::~CFileTools() = default;

int CFileTools::DeleteOneFile(const QString &path)
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

int CFileTools::CopyExistingFile(const QString &source, const QString &target)
{
    if (!PathResolver::Lookup(source, nullptr))
        return -3;
    const QByteArray targetHost = PathResolver::HostFileName(target);
    if (targetHost.isEmpty())
        return -1;
    return hostfiles::CopyFile(PathResolver::HostFileName(source), targetHost, true);
}

int CFileTools::DeleteMatchingFiles(const QString &pattern, bool keepZeroExtension)
{
    int result = 0;
    for (const PathResolver::Entry &entry : PathResolver::FindMatching(pattern)) {
        if (entry.kind == PathResolver::EntryKind::Folder)
            continue;
        if (keepZeroExtension && entry.name.endsWith(u".000"_s))
            continue;
        const QByteArray host = QFile::encodeName(entry.hostPath);
        if (entry.kind == PathResolver::EntryKind::File)
            hostfiles::SetReadOnly(host, false);
        if (hostfiles::RemoveFile(host) != 0)
            result = -1;
    }
    return result;
}

int CFileTools::SetAttributesMatching(const QString &pattern, int mode)
{
    for (const PathResolver::Entry &entry : PathResolver::FindMatching(pattern)) {
        if (entry.kind == PathResolver::EntryKind::File)
            hostfiles::SetReadOnly(QFile::encodeName(entry.hostPath), mode == 1);
    }
    return 0;
}

int CFileTools::CreateOneFolder(const QString &path)
{
    return hostfiles::MakeFolder(PathResolver::HostFileName(path)) ? 0 : 1;
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
