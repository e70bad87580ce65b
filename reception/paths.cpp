#include "paths.h"

#include <vector>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>

#include "hostfiles.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

QHash<QChar, QString> &DriveRoots()
{
    static QHash<QChar, QString> roots;
    return roots;
}

QHash<QChar, std::function<QString()>> &DriveRootSources()
{
    static QHash<QChar, std::function<QString()>> sources;
    return sources;
}

bool IsDrivePath(const QString &path)
{
    return path.size() >= 2 && path.at(1) == u':' && path.at(0).unicode() < 128 &&
           path.at(0).isLetter();
}

PathResolver::EntryKind KindOf(const QByteArray &hostPath, bool *exists)
{
    const hostfiles::Kind kind = hostfiles::KindOf(hostPath);
    *exists = kind != hostfiles::Kind::Missing;
    if (kind == hostfiles::Kind::File)
        return PathResolver::EntryKind::File;
    if (kind == hostfiles::Kind::Folder)
        return PathResolver::EntryKind::Folder;
    return PathResolver::EntryKind::Other;
}

// Finds the entry of `folder` whose name equals `name` regardless of case.
QString FindCaseless(const QString &folder, const QString &name)
{
    bool exists = false;
    KindOf(QFile::encodeName(folder + u'/' + name), &exists);
    if (exists)
        return name;
    const QString wanted = AsciiUpper(name);
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &entry : entries) {
        if (AsciiUpper(entry) == wanted)
            return entry;
    }
    return name;
}

// Whether `name` matches `pattern`: "*" takes any run of characters, "?" one
// character or none at the end of the name, and a final ".*" also takes a
// name without an extension. The positions of the name reachable after each
// character of the pattern are kept as one row, so the time is the product of
// the two lengths and nothing recurses, however many stars the pattern has.
bool NameMatchesPattern(const QString &name, const QString &pattern)
{
    const size_t size = size_t(name.size());
    std::vector<char> reached(size + 1, 0);
    std::vector<char> next(size + 1);
    reached[0] = 1;
    for (qsizetype p = 0; p < pattern.size(); ++p) {
        const QChar pc = pattern.at(p);
        if (pc == u'.' && p + 2 == pattern.size() && pattern.at(p + 1) == u'*' && reached[size])
            return true;
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        if (pc == u'*') {
            char seen = 0;
            for (size_t k = 0; k <= size; ++k) {
                seen |= reached[k];
                next[k] = seen;
            }
            any = seen != 0;
        } else {
            for (size_t k = 0; k < size; ++k) {
                if (reached[k] && (pc == u'?' || name.at(qsizetype(k)) == pc)) {
                    next[k + 1] = 1;
                    any = true;
                }
            }
            if (pc == u'?' && reached[size]) {
                next[size] = 1; // none at the end of the name
                any = true;
            }
        }
        if (!any)
            return false;
        reached.swap(next);
    }
    return reached[size] != 0;
}

} // namespace

QString WorkFolder()
{
    return u"C:\\TMP_VK7\\"_s;
}

QString TemporaryFolder()
{
    return u"C:\\TMP\\"_s;
}

QString AsciiUpper(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    }
    return result;
}

void PathResolver::SetDriveRoot(QChar drive, const QString &hostFolder)
{
    DriveRoots().insert(QChar(drive.toUpper()), QDir::cleanPath(hostFolder));
}

QString PathResolver::DriveRoot(QChar drive)
{
    const QChar letter = drive.toUpper();
    const QString root = DriveRoots().value(letter);
    if (!root.isEmpty())
        return root;
    const auto source = DriveRootSources().constFind(letter);
    if (source == DriveRootSources().constEnd() || !*source)
        return {};
    const QString found = (*source)();
    return found.isEmpty() ? QString() : QDir::cleanPath(found);
}

void PathResolver::ClearDriveRoots()
{
    DriveRoots().clear();
    DriveRootSources().clear();
}

void PathResolver::SetDriveRootSource(QChar drive, std::function<QString()> source)
{
    DriveRootSources().insert(QChar(drive.toUpper()), std::move(source));
}

bool PathResolver::HasDriveRootSource(QChar drive)
{
    return bool(DriveRootSources().value(QChar(drive.toUpper())));
}

QString PathResolver::OnDrive(QChar drive, const QString &path)
{
    if (path.isEmpty() || IsDrivePath(path))
        return path;
    const QString root = DriveRoot(drive);
    if (root.isEmpty())
        return path;
    QString host = path;
    host.replace(u'\\', u'/');
    host = QDir::cleanPath(QDir::current().absoluteFilePath(host));
    QString rest;
    if (host == root)
        rest = QString();
    else if (host.startsWith(root == u"/"_s ? root : root + u'/'))
        rest = host.mid(root == u"/"_s ? 1 : root.size() + 1);
    else
        return path;
    // A name that ended the path keeps its trailing separator.
    if (path.endsWith(u'/') || path.endsWith(u'\\'))
        rest += u'/';
    rest.replace(u'/', u'\\');
    return QString(QChar(drive.toUpper())) + u":\\"_s + (rest == u"\\"_s ? QString() : rest);
}

QString PathResolver::Resolve(const QString &systemPath)
{
    if (systemPath.isEmpty())
        return {};
    QString base;
    QString rest;
    bool confined = false;
    if (IsDrivePath(systemPath)) {
        base = DriveRoot(systemPath.at(0));
        if (base.isEmpty())
            return {};
        rest = systemPath.mid(2);
        confined = true;
    } else {
        QString host = systemPath;
        host.replace(u'\\', u'/');
        if (host.startsWith(u'/')) {
            base = QStringLiteral("/");
            rest = host.mid(1);
        } else {
            base = QDir::currentPath();
            rest = host;
        }
    }
    rest.replace(u'\\', u'/');
    const bool trailingSlash = rest.endsWith(u'/');

    QStringList parts;
    for (const QString &part : rest.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u"."_s)
            continue;
        if (part == u".."_s) {
            if (!parts.isEmpty())
                parts.removeLast();
            else if (!confined)
                base = QDir::cleanPath(base + u"/.."_s);
            continue;
        }
        parts.append(part);
    }

    QString current = base;
    for (const QString &part : parts) {
        const QString found = FindCaseless(current, part);
        current = (current.endsWith(u'/') ? current : current + u'/') + found;
    }
    if (trailingSlash && !current.endsWith(u'/'))
        current += u'/';
    return current;
}

QByteArray PathResolver::HostFileName(const QString &systemPath)
{
    QString host = Resolve(systemPath);
    while (host.size() > 1 && host.endsWith(u'/'))
        host.chop(1);
    return QFile::encodeName(host);
}

bool PathResolver::Lookup(const QString &systemPath, EntryKind *kind)
{
    const QByteArray host = HostFileName(systemPath);
    if (host.isEmpty())
        return false;
    bool exists = false;
    const EntryKind found = KindOf(host, &exists);
    if (exists && kind)
        *kind = found;
    return exists;
}

QList<PathResolver::Entry> PathResolver::FindMatching(const QString &systemPattern)
{
    QList<Entry> result;
    const qsizetype cut =
        std::max(systemPattern.lastIndexOf(u'\\'), systemPattern.lastIndexOf(u'/'));
    QString folder;
    QString pattern;
    if (cut >= 0) {
        folder = systemPattern.left(cut + 1);
        pattern = systemPattern.mid(cut + 1);
    } else if (IsDrivePath(systemPattern)) {
        folder = systemPattern.left(2) + u'\\';
        pattern = systemPattern.mid(2);
    } else {
        folder = QStringLiteral(".");
        pattern = systemPattern;
    }
    if (pattern.isEmpty())
        return result;
    QString hostFolder = Resolve(folder);
    if (hostFolder.isEmpty())
        return result;
    if (hostFolder.size() > 1 && hostFolder.endsWith(u'/'))
        hostFolder.chop(1);

    const QString upperPattern = AsciiUpper(pattern);
    const QStringList names =
        QDir(hostFolder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Unsorted);
    for (const QString &name : names) {
        if (!MatchesWildcard(name, upperPattern))
            continue;
        const QString hostPath = (hostFolder == u"/"_s ? hostFolder : hostFolder + u'/') + name;
        bool exists = false;
        const EntryKind kind = KindOf(QFile::encodeName(hostPath), &exists);
        if (exists)
            result.append(Entry{name, hostPath, kind});
    }
    return result;
}

bool PathResolver::MatchesWildcard(const QString &name, const QString &pattern)
{
    const QString upperName = AsciiUpper(name);
    const QString upperPattern = AsciiUpper(pattern);
    if (upperPattern == u"*.*"_s || upperPattern == u"*"_s)
        return true;
    return NameMatchesPattern(upperName, upperPattern);
}

} // namespace vk7
