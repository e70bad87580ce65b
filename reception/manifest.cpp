#include "manifest.h"

#include <algorithm>
#include <vector>

#include <QDir>
#include <QFile>
#include <QSet>

#include "codepages.h"
#include "documentkind.h"
#include "filetools.h"
#include "paths.h"
#include "plaintext.h"
#include "textmodereader.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

constexpr int kEntryLimit = 1023; // characters of a manifest line, its line feed included

// Reads manifest entries by the text-mode rule with lines of at most 1023
// characters (old DOS editors end their files with a Ctrl-Z, which ends the
// manifest). It streams, so a huge manifest never sits in memory.
class ManifestReader
{
public:
    explicit ManifestReader(const QString &systemPath) : lines_(kEntryLimit)
    {
        // A regular file only: a pipe or device under that name would
        // otherwise block or never end.
        lines_.Open(PathResolver::HostFileName(systemPath));
    }

    // The next entry, upper-cased; false at the end of the file.
    bool Next(QString &entry)
    {
        QByteArrayView line;
        if (!lines_.ReadLine(&line))
            return false;
        for (int cut = 0; cut < 2 && !line.isEmpty(); ++cut) {
            if (line.back() != '\n' && line.back() != '\r')
                break;
            line.chop(1);
        }
        entry = AsciiUpper(DecodeWindows1252(line));
        return true;
    }

    const Failure &IoFailure() const { return lines_.IoFailure(); }

private:
    TextModeReader lines_;
};

// What the structure check notes while the entries stream past.
struct StructureTally
{
    bool manifest = false;
    bool data = false;
    bool application = false;
    bool invalidName = false;

    void Add(const QString &entry)
    {
        const QList<KnownDepositFile> &known = KnownDepositFiles();
        const auto row = std::find_if(known.begin(), known.end(),
                                      [&](const KnownDepositFile &k) { return k.name == entry; });
        if (row == known.end()) {
            if (!IsNumberedImageName(entry))
                invalidName = true;
            return;
        }
        if (row->name == u"FICHERO.TXT"_s)
            manifest = true;
        else if (row->name == u"DATOS.ASC"_s)
            data = true;
        else if (row->mandatory == KnownDepositFile::Mandatory::Application)
            application = true;
    }

    ManifestVerdict Verdict() const
    {
        if (!manifest || !data || !application)
            return ManifestVerdict::MandatoryMissing;
        return invalidName ? ManifestVerdict::OptionalFault : ManifestVerdict::Correct;
    }
};

bool IsMandatoryName(const QString &entry)
{
    return entry == u"FICHERO.TXT"_s || entry == u"DATOS.ASC"_s || entry == u"INSTANCIA.ASC"_s ||
           entry == u"INSTANCI.ASC"_s;
}

} // namespace

const QList<KnownDepositFile> &KnownDepositFiles()
{
    static const QList<KnownDepositFile> files = [] {
        using M = KnownDepositFile::Mandatory;
        QList<KnownDepositFile> known = {
            {u"FICHERO.TXT"_s, u"Relación de ficheros del depósito"_s, M::Yes},
            {u"DATOS.ASC"_s, u"Datos de las cuentas"_s, M::Yes},
            {u"ACCIONES.ASC"_s, u"Datos del modelo de autocartera"_s, M::No},
            {u"CERTIF.ASC"_s, u"Datos de la certificación"_s, M::No},
            {u"INSTANCIA.ASC"_s, u"Datos de la instancia"_s, M::Application},
            {u"INSTANCI.ASC"_s, u"Datos de la instancia"_s, M::Application},
        };
        // Then the document texts, in the table's order, named as their boxes.
        for (const DocumentKindInfo &document : DocumentKinds()) {
            if (!document.depositFile.isEmpty())
                known.append({document.depositFile, DocumentCaption(document), M::No});
        }
        return known;
    }();
    return files;
}

bool IsNumberedImageName(QStringView name)
{
    const qsizetype period = name.lastIndexOf(u'.');
    if (period < 0)
        return false;
    const QStringView extension = name.mid(period + 1);
    if (extension.size() < 3)
        return false;
    const QStringView shortExtension = extension.left(3);
    // The image sets' markers: a one-letter marker opens the extension, a
    // longer one the name.
    const auto family = [&](const DocumentKindInfo &set) {
        if (!set.images || set.imageMarker.isEmpty())
            return false;
        return set.imageMarker.size() == 1 ? shortExtension.front() == set.imageMarker.front()
                                           : name.startsWith(set.imageMarker);
    };
    if (std::none_of(DocumentKinds().begin(), DocumentKinds().end(), family))
        return false;
    const int number = CAtoi(shortExtension.mid(1, 2));
    return number >= 1 && number <= 99;
}

bool IsPlainDepositName(QStringView name)
{
    return !name.isEmpty() && !name.contains(u'\\') && !name.contains(u'/') &&
           !name.contains(u"..");
}

QString ManifestVerdictCode(ManifestVerdict verdict)
{
    switch (verdict) {
    case ManifestVerdict::MandatoryMissing:
        return u"0"_s;
    case ManifestVerdict::Correct:
        return u"1"_s;
    case ManifestVerdict::OptionalFault:
        return u"2"_s;
    case ManifestVerdict::NotChecked:
        break;
    }
    return QString();
}

ManifestVerdict ReadManifest(const QString &path, QStringList &names)
{
    names.clear();
    ManifestReader reader(path);
    StructureTally tally;
    QString entry;
    while (reader.Next(entry)) {
        names.append(entry);
        tally.Add(entry);
    }
    return tally.Verdict();
}

ManifestCheck CheckDepositFiles(const QString &folder)
{
    QString base = folder;
    if (!base.endsWith(u'\\'))
        base += u'\\';
    ManifestCheck check;
    if (!PathResolver::Lookup(base + u"FICHERO.TXT"_s, nullptr)) {
        check.structure = ManifestVerdict::MandatoryMissing;
        check.completeness = ManifestVerdict::MandatoryMissing;
        return check;
    }

    // One listing of the folder answers every presence question; names that
    // would lead elsewhere are never looked up.
    QSet<QString> present;
    const QString hostFolder = PathResolver::Resolve(base);
    if (!hostFolder.isEmpty()) {
        const QStringList entries =
            QDir(hostFolder)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Unsorted);
        for (const QString &name : entries)
            present.insert(AsciiUpper(name));
    }

    // The manifest streams through both checks at once, so its size never
    // matters for memory.
    StructureTally tally;
    ManifestVerdict &completeness = check.completeness;
    completeness = ManifestVerdict::Correct;
    bool completenessDone = false;
    ManifestReader reader(base + u"FICHERO.TXT"_s);
    QString entry;
    while (reader.Next(entry)) {
        tally.Add(entry);
        if (completenessDone)
            continue;
        if (IsPlainDepositName(entry) && present.contains(entry))
            continue;
        if (IsMandatoryName(entry)) {
            completeness = ManifestVerdict::MandatoryMissing;
            completenessDone = true;
        } else {
            completeness = ManifestVerdict::OptionalFault;
        }
    }
    check.structure = tally.Verdict();
    check.failure = reader.IoFailure();
    return check;
}

void ListNumberedFiles(QStringList &result, const QString &folder, const QString &pattern)
{
    QList<QString> found;
    for (const PathResolver::Entry &entry : PathResolver::FindMatching(folder + pattern)) {
        if (entry.kind == PathResolver::EntryKind::Folder)
            continue;
        const QString name = AsciiUpper(entry.name);
        if (name.size() < 4)
            continue;
        const int number = CAtoi(QStringView(name).right(2));
        if (number < 1 || number > 99)
            continue;
        found.append(folder + name);
    }
    // Byte order of the deposit's own code page; a stable sort keeps equal
    // names in listing order.
    std::vector<std::pair<QByteArray, QString>> keyed;
    keyed.reserve(size_t(found.size()));
    for (const QString &path : found)
        keyed.emplace_back(EncodeWindows1252(path), path);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &item : keyed)
        result.append(item.second);
}

ManifestDifferences ListManifestDifferences(const QString &folder)
{
    ManifestDifferences result;
    QString base = folder;
    if (!base.endsWith(u'\\'))
        base += u'\\';
    QStringList listed;
    if (!PathResolver::Lookup(base + u"FICHERO.TXT"_s, nullptr))
        return result;
    ManifestReader reader(base + u"FICHERO.TXT"_s);
    for (QString entry; reader.Next(entry);)
        listed.append(entry);
    result.failure = reader.IoFailure();
    QSet<QString> present;
    QStringList presentNames;
    const QString hostFolder = PathResolver::Resolve(base);
    if (!hostFolder.isEmpty()) {
        QStringList entries =
            QDir(hostFolder)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Name);
        for (const QString &name : std::as_const(entries)) {
            present.insert(AsciiUpper(name));
            presentNames.append(name);
        }
    }
    QSet<QString> listedSet;
    for (const QString &entry : std::as_const(listed)) {
        if (listedSet.contains(entry))
            continue;
        listedSet.insert(entry);
        if (!IsPlainDepositName(entry) || !present.contains(entry))
            result.missing.append(entry);
    }
    for (const QString &name : std::as_const(presentNames)) {
        const QString upper = AsciiUpper(name);
        if (upper != u"FICHERO.TXT"_s && !listedSet.contains(upper))
            result.unlisted.append(name);
    }
    return result;
}

} // namespace vk7

namespace vk7 {

ManifestVerdict CFileTools::ReadManifest(const QString &path, QStringList &names)
{
    return vk7::ReadManifest(path, names);
}

ManifestCheck CFileTools::CheckDepositFiles(const QString &folder)
{
    return vk7::CheckDepositFiles(folder);
}

void CFileTools::ListNumberedFiles(QStringList &result, const QString &folder,
                                   const QString &pattern)
{
    vk7::ListNumberedFiles(result, folder, pattern);
}

} // namespace vk7
