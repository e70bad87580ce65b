// The path resolver on what a deposit and a clerk can give it: wildcard
// matching of a name against a pattern, and resolution, lookup and listing
// of system paths ("C:\TMP_VK7\*.M??", "A:\FICHERO.TXT") and host paths over
// a small tree with links in it (host paths taken inside that tree). The input is a pattern (or
// path), a line break, and a name.
#include <QDir>
#include <QFile>

#include "fuzzsupport.h"
#include "reception/paths.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool prepared = [] {
        const QString root = vk7::fuzz::DriveRoot();
        QDir().mkpath(root + u"/TMP_VK7/Sub/Deep"_s);
        QDir().mkpath(root + u"/A"_s);
        for (const QString &name :
             {u"TMP_VK7/FICHERO.TXT"_s, u"TMP_VK7/datos.asc"_s, u"TMP_VK7/MEMORIA.M01"_s,
              u"TMP_VK7/Memoria.m02"_s, u"TMP_VK7/AUDITOR"_s, u"TMP_VK7/Sub/K7.D01"_s,
              u"A/FICHERO.TXT"_s})
            vk7::fuzz::WriteHostFile(root + u'/' + name, "x"_ba);
        QFile::link(root + u"/TMP_VK7"_s, root + u"/TMP_VK7/Sub/bucle"_s);
        QFile::link(root + u"/nada"_s, root + u"/TMP_VK7/roto.txt"_s);
        vk7::PathResolver::SetDriveRoot(u'A', root + u"/A"_s);
        return true;
    }();
    (void)prepared;

    const QByteArrayView input(data, qsizetype(size));
    const qsizetype split = input.indexOf('\n');
    const QString pattern = QString::fromUtf8(split < 0 ? input : input.first(split));
    const QString name = split < 0 ? QString() : QString::fromUtf8(input.sliced(split + 1));

    vk7::PathResolver::MatchesWildcard(name, pattern);
    vk7::AsciiUpper(pattern);
    // Host paths are taken inside the tree, not the whole machine.
    const bool drivePath = pattern.size() >= 2 && pattern.at(1) == u':';
    const QString path = drivePath ? pattern : vk7::fuzz::DriveRoot() + u'/' + pattern;
    vk7::PathResolver::Resolve(path);
    vk7::PathResolver::EntryKind kind;
    vk7::PathResolver::Lookup(path, &kind);
    vk7::PathResolver::FindMatching(path);
    return 0;
}
