#include "manifest.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QSet>

#include "cfiletools.h"
#include "codepages.h"
#include "hostfiles.h"
#include "paths.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

constexpr qsizetype EntryLimit = 1023; // the original's 1024-byte line buffer
constexpr char CtrlZ = 0x1A;

// Reads manifest entries the way a text-mode line read with a 1024-byte
// buffer does: CR LF reads as LF, a Ctrl-Z ends the file (old DOS editors end
// their files with one), a line longer than 1023 characters is split. It
// streams, so a huge manifest never sits in memory.
class ManifestReader
{
public:
    explicit ManifestReader(int fd) : m_fd(fd), m_buffer(64 * 1024) {}
    ~ManifestReader()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ManifestReader(const ManifestReader &) = delete;
    ManifestReader &operator=(const ManifestReader &) = delete;

    // The next entry, upper-cased; false at the end of the file.
    bool Next(QString &entry)
    {
        QByteArray line;
        line.reserve(64);
        int c = 0;
        while (line.size() < EntryLimit && (c = Get()) >= 0) {
            line.append(char(c));
            if (c == '\n')
                break;
        }
        if (line.isEmpty())
            return false;
        // The original worked on C strings: a NUL byte ends the entry.
        const qsizetype nul = line.indexOf('\0');
        if (nul >= 0)
            line.truncate(nul);
        for (int cut = 0; cut < 2 && !line.isEmpty(); ++cut) {
            if (line.back() != '\n' && line.back() != '\r')
                break;
            line.chop(1);
        }
        entry = AsciiUpper(DecodeWindows1252(line));
        return true;
    }

private:
    int Raw()
    {
        if (m_position == m_filled) {
            if (m_ended)
                return -1;
            ssize_t got;
            do {
                got = ::read(m_fd, m_buffer.data(), m_buffer.size());
            } while (got < 0 && errno == EINTR);
            if (got <= 0) {
                m_ended = true; // a read error ends the file, as it does for a line read
                return -1;
            }
            m_filled = got;
            m_position = 0;
        }
        return static_cast<unsigned char>(m_buffer[size_t(m_position++)]);
    }

    int Get()
    {
        if (m_ended && m_position == m_filled && !m_pending)
            return -1;
        int c;
        if (m_pending) {
            c = m_pendingChar;
            m_pending = false;
        } else {
            c = Raw();
        }
        if (c == CtrlZ) {
            m_ended = true;
            m_position = m_filled;
            return -1;
        }
        if (c == '\r') {
            const int next = Raw();
            if (next == '\n')
                return '\n';
            if (next >= 0) {
                m_pending = true;
                m_pendingChar = next;
            }
        }
        return c;
    }

    int m_fd;
    std::vector<char> m_buffer;
    ssize_t m_filled = 0;
    ssize_t m_position = 0;
    bool m_ended = false;
    bool m_pending = false;
    int m_pendingChar = 0;
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

    int Verdict() const
    {
        if (!manifest || !data || !application)
            return 0;
        return invalidName ? 2 : 1;
    }
};

bool IsMandatoryName(const QString &entry)
{
    return entry == u"FICHERO.TXT"_s || entry == u"DATOS.ASC"_s || entry == u"INSTANCIA.ASC"_s ||
           entry == u"INSTANCI.ASC"_s;
}

// Opens the manifest as a regular file only: a pipe or device under that name
// would otherwise block or never end.
int OpenManifest(const QString &path)
{
    QString host = PathResolver::Resolve(path);
    if (host.isEmpty())
        return -1;
    return hostfiles::OpenRegularFile(QFile::encodeName(host), true);
}

} // namespace

const QList<KnownDepositFile> &KnownDepositFiles()
{
    using M = KnownDepositFile::Mandatory;
    static const QList<KnownDepositFile> files = {
        {u"FICHERO.TXT"_s, u"Relación de ficheros del depósito"_s, M::Yes},
        {u"DATOS.ASC"_s, u"Datos de las cuentas"_s, M::Yes},
        {u"ACCIONES.ASC"_s, u"Datos del modelo de autocartera"_s, M::No},
        {u"CERTIF.ASC"_s, u"Datos de la certificación"_s, M::No},
        {u"INSTANCIA.ASC"_s, u"Datos de la instancia"_s, M::Application},
        {u"INSTANCI.ASC"_s, u"Datos de la instancia"_s, M::Application},
        {u"MEMORIA.TXT"_s, u"Memoria"_s, M::No},
        {u"GESTION.TXT"_s, u"Informe de Gestión"_s, M::No},
        {u"ACCIONES.TXT"_s, u"Modelo de Autocartera"_s, M::No},
        {u"AMBIENTA.TXT"_s, u"Informe Medioambiental"_s, M::No},
        {u"SIMCAV.TXT"_s, u"Informe Simcav"_s, M::No},
        {u"CERTAPRO.TXT"_s, u"Cert. Aprobación de Cuentas"_s, M::No},
    };
    return files;
}

int AtoiValue(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max()) {
            value = qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
            break;
        }
    }
    return int(negative ? -value : value);
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
    const bool family = name.startsWith(u"AUDITOR") || name.startsWith(u"ANUNCIO") ||
                        shortExtension.front() == u'M' || shortExtension.front() == u'G';
    if (!family)
        return false;
    const int number = AtoiValue(shortExtension.mid(1, 2));
    return number >= 1 && number <= 99;
}

bool IsPlainDepositName(QStringView name)
{
    return !name.isEmpty() && !name.contains(u'\\') && !name.contains(u'/') &&
           !name.contains(u"..");
}

int CFileTools::ReadManifest(const QString &path, QStringList &names)
{
    names.clear();
    const int fd = OpenManifest(path);
    if (fd < 0)
        return 0;
    ManifestReader reader(fd);
    StructureTally tally;
    QString entry;
    while (reader.Next(entry)) {
        names.append(entry);
        tally.Add(entry);
    }
    return tally.Verdict();
}

void CFileTools::CheckDepositFiles(const QString &folder, QString &structureStatus,
                                   QString &completenessStatus)
{
    QString base = folder;
    if (!base.endsWith(u'\\'))
        base += u'\\';
    if (!PathResolver::Lookup(base + u"FICHERO.TXT"_s, nullptr)) {
        structureStatus = u"0"_s;
        completenessStatus = u"0"_s;
        return;
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
    QChar completeness = u'1';
    bool completenessDone = false;
    const int fd = OpenManifest(base + u"FICHERO.TXT"_s);
    if (fd >= 0) {
        ManifestReader reader(fd);
        QString entry;
        while (reader.Next(entry)) {
            tally.Add(entry);
            if (completenessDone)
                continue;
            if (IsPlainDepositName(entry) && present.contains(entry))
                continue;
            if (IsMandatoryName(entry)) {
                completeness = u'0';
                completenessDone = true;
            } else {
                completeness = u'2';
            }
        }
    }
    structureStatus = QString::number(tally.Verdict());
    completenessStatus = QString(completeness);
}

void CFileTools::ListNumberedFiles(QStringList &result, const QString &folder,
                                   const QString &pattern)
{
    QList<QString> found;
    for (const PathResolver::Entry &entry : PathResolver::FindMatching(folder + pattern)) {
        if (entry.kind == PathResolver::EntryKind::Folder)
            continue;
        const QString name = AsciiUpper(entry.name);
        if (name.size() < 4)
            continue;
        const int number = AtoiValue(QStringView(name).right(2));
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
    CFileTools tools;
    QStringList listed;
    if (!PathResolver::Lookup(base + u"FICHERO.TXT"_s, nullptr))
        return result;
    tools.ReadManifest(base + u"FICHERO.TXT"_s, listed);
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
