// Deposits a careless or hostile sender could make, given to the real
// vk7check on a fresh drive C:. Each must end in a clear verdict or message,
// within bounded time and memory, and leave everything outside the work and
// temporary folders as it was: the medium, the root's parent, $HOME and the
// current folder are listed with their digests before and after.
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <tiffio.h>

#include "components/g4encoder.h"
#include "components/tifffile.h"
#include "testing/cupsserver.h"
#include "testing/hostfiles.h"

extern char **environ;

using namespace Qt::StringLiterals;
using vk7::testing::WriteHostFile;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QByteArray kPeakMemory = VK7_BIN_DIR "/vk7_peakmemory";
const QString kSample = vk7::testing::SampleDepositFolder();
const QString kAnyFingerprint = u"AAAAAAAAAAAAAAAAAAAAAAAAAA"_s;

#if defined(__SANITIZE_ADDRESS__)
#define VK7_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VK7_UNDER_ASAN 1
#endif
#endif

// The program's bound is 256 MB. Under AddressSanitizer every allocation
// carries red zones, shadow memory and a quarantine once freed (10000 page
// images peak near 870 MB there, 138 MB without), so there the bound only
// catches runaway growth; the normal build checks the real one.
#ifdef VK7_UNDER_ASAN
constexpr long kPeakLimitKiB = 1024 * 1024;
#else
constexpr long kPeakLimitKiB = 256 * 1024;
#endif
// A case that has not ended by then has hung: it fails, it is not a timing.
constexpr qint64 kTimeoutMs = 180000;

QByteArray Encode(const QString &path)
{
    return QFile::encodeName(path);
}

// A file of `size` bytes that takes no room: all zeros.
void SparseFile(const QString &path, qint64 size)
{
    const int fd = ::open(Encode(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

void CopySample(const QString &medium)
{
    for (const QString &name : QDir(kSample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, medium + u'/' + name));
}

using vk7::testing::SampleFingerprint;

// Every entry under a folder, links not followed, one line each: the name's
// bytes, kind, mode, size, change time, and an MD5 digest of a file up to
// 64 MB (a larger one is known by its change time) or a link's target.
void Snapshot(const QByteArray &folder, const QByteArray &relative, QList<QByteArray> &lines)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        lines.append(relative + " (unreadable)");
        return;
    }
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const QByteArray &name : std::as_const(names)) {
        const QByteArray path = folder + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            continue;
        QByteArray line = QByteArray(relative + '/' + name).toPercentEncoding("/") + ' ' +
                          QByteArray::number(st.st_mode, 8) + ' ' +
                          QByteArray::number(qint64(st.st_size)) + ' ' +
                          QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.' +
                          QByteArray::number(qint64(st.st_ctim.tv_nsec));
        if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(path.constData(), target, sizeof target);
            line += " -> " + QByteArray(target, n > 0 ? n : 0);
        } else if (S_ISREG(st.st_mode) && st.st_size <= 64 * 1024 * 1024) {
            QFile file(QFile::decodeName(path));
            QCryptographicHash md5(QCryptographicHash::Md5);
            if (file.open(QIODevice::ReadOnly) && md5.addData(&file))
                line += ' ' + md5.result().toHex();
        }
        lines.append(line);
        if (S_ISDIR(st.st_mode))
            Snapshot(path, relative + '/' + name, lines);
    }
}

QList<QByteArray> Snapshot(const QString &folder)
{
    QList<QByteArray> lines;
    Snapshot(Encode(folder), QByteArray(), lines);
    return lines;
}

// Sets or clears the immutable attribute (root only, and not on every file
// system): what it covers cannot be changed even by root.
bool SetImmutable(const QString &path, bool on)
{
    const int fd = ::open(Encode(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

// The folders of one case, under one temporary folder: the medium, the
// parent of drive C:'s root, $HOME, $TMPDIR, the current folder and the
// output folder for --pdf.
struct CaseFolders
{
    QTemporaryDir base{QDir::tempPath() + u"/hostile-XXXXXX"_s};
    QString medium = base.path() + u"/medio"_s;
    QString parent = base.path() + u"/padre"_s;
    QString root = parent + u"/C"_s;
    QString home = base.path() + u"/casa"_s;
    QString temporary = base.path() + u"/tmp"_s;
    QString current = base.path() + u"/actual"_s;
    QString output = base.path() + u"/salida"_s;
    std::vector<QString> locked;

    CaseFolders()
    {
        for (const QString &folder : {medium, parent, home, temporary, current, output})
            QDir().mkpath(folder);
    }
    // What a case made read-only (files and folders of its own, never
    // links) is made writable again so that it can be removed.
    ~CaseFolders()
    {
        for (auto it = locked.rbegin(); it != locked.rend(); ++it) {
            SetImmutable(*it, false);
            ::chmod(Encode(*it).constData(), 0700);
        }
    }
};

struct CheckerRun
{
    int exitCode = -1; // -1: killed by a signal or by the timeout
    bool timedOut = false;
    long peakKiB = 0;
    qint64 milliseconds = 0;
    QByteArray out;
    QByteArray err;
};

// Runs vk7check with its own $HOME, $TMPDIR and current folder, standard
// input empty, and measures the child alone (wait4).
CheckerRun RunChecker(const CaseFolders &folders, const QStringList &arguments)
{
    std::vector<QByteArray> environment;
    for (char **entry = environ; *entry; ++entry) {
        const QByteArray line(*entry);
        for (const char *dropped : {"HOME=", "TMPDIR=", "XDG_", "ASAN_OPTIONS="}) {
            if (line.startsWith(dropped))
                goto next;
        }
        environment.push_back(line);
    next:;
    }
    environment.push_back("HOME=" + Encode(folders.home));
    environment.push_back("TMPDIR=" + Encode(folders.temporary));
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    // Freed memory held for checking would count as the program's own.
    environment.push_back(qgetenv("ASAN_OPTIONS") + ":quarantine_size_mb=16");
    std::vector<char *> envp;
    for (QByteArray &line : environment)
        envp.push_back(line.data());
    envp.push_back(nullptr);

    const QByteArray peakPath = Encode(folders.base.path() + u"/peak"_s);
    std::vector<QByteArray> argumentBytes{kPeakMemory, peakPath, Encode(kProgram)};
    for (const QString &argument : arguments)
        argumentBytes.push_back(Encode(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : argumentBytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const QByteArray outPath = Encode(folders.base.path() + u"/stdout"_s);
    const QByteArray errPath = Encode(folders.base.path() + u"/stderr"_s);
    const QByteArray current = Encode(folders.current);
    CheckerRun run;
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = ::fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0 || ::chdir(current.constData()) != 0)
            ::_exit(127);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage = {};
    for (;;) {
        const pid_t ended = ::wait4(pid, &status, WNOHANG, &usage);
        if (ended == pid)
            break;
        if (ended < 0 && errno != EINTR)
            return run;
        if (clock.elapsed() > kTimeoutMs) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            break;
        }
        QThread::msleep(10);
    }
    run.milliseconds = clock.elapsed();
    // The checker's own peak, as the launcher measured it from its own
    // small memory: this process's usage would count this test's pages too.
    QFile peak(QFile::decodeName(peakPath));
    if (!run.timedOut && peak.open(QIODevice::ReadOnly))
        run.peakKiB = peak.readAll().trimmed().toLong();
    run.exitCode = !run.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile out(QFile::decodeName(outPath));
    QFile err(QFile::decodeName(errPath));
    if (out.open(QIODevice::ReadOnly))
        run.out = out.readAll();
    if (err.open(QIODevice::ReadOnly))
        run.err = err.readAll();
    return run;
}

// A classic little-endian TIFF written by hand, so that it can claim what
// no library would write: one IFD per page, each with its own entries, and
// strips placed where the caller says.
class HandTiff
{
public:
    struct Entry
    {
        uint16_t tag;
        uint16_t type; // 3 SHORT, 4 LONG
        uint32_t value;
    };

    HandTiff() { bytes_ = QByteArray("II*\0\0\0\0\0", 8); }

    // Appends raw bytes (a strip), returning their offset.
    uint32_t Append(const QByteArray &data)
    {
        const uint32_t offset = uint32_t(bytes_.size());
        bytes_ += data;
        if (bytes_.size() % 2)
            bytes_ += '\0';
        return offset;
    }

    // Appends one IFD and links it after the previous one; returns its offset.
    uint32_t AddPage(const std::vector<Entry> &entries)
    {
        const uint32_t offset = uint32_t(bytes_.size());
        PutAt(lastLink_, offset);
        Put16(uint16_t(entries.size()));
        for (const Entry &entry : entries) {
            Put16(entry.tag);
            Put16(entry.type);
            Put32(1);
            if (entry.type == 3) {
                Put16(uint16_t(entry.value));
                Put16(0);
            } else {
                Put32(entry.value);
            }
        }
        lastLink_ = uint32_t(bytes_.size());
        Put32(0);
        return offset;
    }

    // The last IFD points back at `offset`: a loop.
    void LinkLastTo(uint32_t offset) { PutAt(lastLink_, offset); }

    const QByteArray &Bytes() const { return bytes_; }

    // A bilevel page's entries.
    static std::vector<Entry> Page(uint32_t width, uint32_t height, uint16_t compression,
                                   uint32_t stripOffset, uint32_t stripBytes)
    {
        return {{256, 4, width},      {257, 4, height},      {258, 3, 1}, {259, 3, compression},
                {262, 3, 0},          {273, 4, stripOffset}, {277, 3, 1}, {278, 4, height},
                {279, 4, stripBytes}, {282, 4, 0},           {283, 4, 0}, {296, 3, 2}};
    }

private:
    void Put16(uint16_t v) { bytes_.append(char(v & 0xff)).append(char(v >> 8)); }
    void Put32(uint32_t v)
    {
        Put16(uint16_t(v & 0xffff));
        Put16(uint16_t(v >> 16));
    }
    void PutAt(uint32_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes_[at + i] = char((v >> (8 * i)) & 0xff);
    }

    QByteArray bytes_;
    uint32_t lastLink_ = 4;
};

// `size` zero bytes coded with LZW by libtiff: a stream that expands far
// beyond any page it is given to.
QByteArray LzwZeros(const QString &scratch, qint64 size)
{
    const uint32_t width = 8192;
    const uint32_t rows = uint32_t(size / width);
    QByteArray coded;
    TIFF *tiff = TIFFOpen(Encode(scratch).constData(), "w");
    if (!tiff)
        return coded;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, rows);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rows);
    // Row by row, so that this process never holds the expanded bytes (a
    // child starts from its parent's memory as its first peak).
    QByteArray zeros(width, '\0');
    for (uint32_t row = 0; row < rows; ++row)
        TIFFWriteScanline(tiff, zeros.data(), row, 0);
    TIFFClose(tiff);
    tiff = TIFFOpen(Encode(scratch).constData(), "r");
    if (!tiff)
        return coded;
    coded.resize(qsizetype(TIFFRawStripSize(tiff, 0)));
    TIFFReadRawStrip(tiff, 0, coded.data(), coded.size());
    TIFFClose(tiff);
    QFile::remove(scratch);
    return coded;
}

// What a case must end in: its exit code and a text that its output holds
// (with --json, when it cannot open, the Open status too).
struct HostileCase
{
    const char *name;
    std::function<void(CaseFolders &)> build;
    std::function<QStringList(const CaseFolders &)> arguments;
    int exitCode;
    QString message;
};

QStringList Plain(const CaseFolders &folders)
{
    return {u"--root"_s, folders.root, folders.medium, kAnyFingerprint};
}

QStringList WithPdf(const CaseFolders &folders)
{
    return {u"--root"_s,  folders.root, u"--pdf"_s,     folders.output + u"/d.pdf"_s,
            u"--print"_s, u"todo"_s,    folders.medium, kAnyFingerprint};
}

// The sample deposit with its first memoria image replaced.
std::function<void(CaseFolders &)> WithMemoriaImage(std::function<QByteArray(CaseFolders &)> tiff)
{
    return [tiff](CaseFolders &folders) {
        CopySample(folders.medium);
        WriteHostFile(folders.medium + u"/MEMORIA.M01"_s, tiff(folders));
    };
}

const char kRefused[] = "no se usa.";

// A folder beside drive C:'s root with a deposit's names in it, which a link
// may point to: it must survive the case as it was.
void OtherFolder(CaseFolders &folders)
{
    const QString other = folders.parent + u"/otra"_s;
    ASSERT_TRUE(QDir().mkdir(other));
    for (const char *name : {"DATOS.ASC", "FICHERO.TXT", "K7.D01"})
        WriteHostFile(other + u'/' + QLatin1StringView(name), "no se toca");
}

const std::vector<HostileCase> &Cases()
{
    static const std::vector<HostileCase> cases = {
        {"read-only medium, opened, printed to PDF and closed",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             bool immutable = true;
             QStringList paths = {folders.medium};
             for (const QString &name : QDir(folders.medium).entryList(QDir::Files))
                 paths.prepend(folders.medium + u'/' + name);
             for (const QString &path : paths) {
                 folders.locked.push_back(path);
                 ::chmod(Encode(path).constData(), path == folders.medium ? 0555 : 0444);
                 immutable = SetImmutable(path, true) && immutable;
             }
             if (!immutable)
                 std::printf("(the medium is read-only by its modes only: no immutable "
                             "attribute here)\n");
         },
         [](const CaseFolders &folders) {
             return QStringList{u"--root"_s,
                                folders.root,
                                u"--json"_s,
                                u"--pdf"_s,
                                folders.output + u"/d.pdf"_s,
                                folders.medium,
                                SampleFingerprint()};
         },
         0, u"\"valid\": true"_s},

        {"symbolic links to files, folders, /dev/zero, nowhere and in a loop",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             const QString m = folders.medium + u'/';
             QFile::remove(m + u"MEMORIA.TXT"_s);
             QFile::remove(m + u"GESTION.TXT"_s);
             QFile::remove(m + u"DATOS.ASC"_s);
             QFile::remove(m + u"MEMORIA.M02"_s);
             ::symlink("/dev/zero", Encode(m + u"MEMORIA.TXT"_s).constData());
             ::symlink("/etc/passwd", Encode(m + u"GESTION.TXT"_s).constData());
             // A real deposit file beside the root, where the parent's listing sees it.
             ASSERT_TRUE(QFile::copy(kSample + u"/DATOS.ASC"_s, folders.parent + u"/DATOS.ASC"_s));
             ::symlink("../padre/DATOS.ASC", Encode(m + u"DATOS.ASC"_s).constData());
             ::symlink("/", Encode(m + u"MEMORIA.M02"_s).constData());
             ::symlink("/no/existe", Encode(m + u"ROTO.TXT"_s).constData());
             ::symlink("BUCLE.M03", Encode(m + u"BUCLE.M03"_s).constData());
             ::symlink("../padre", Encode(m + u"ANUNCIO.001"_s).constData());
         },
         Plain, 1, u"Falta algún fichero obligatorio"_s},

        {"a FIFO named DATOS.ASC, a socket, a device node",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             const QString m = folders.medium + u'/';
             QFile::remove(m + u"DATOS.ASC"_s);
             QFile::remove(m + u"GESTION.TXT"_s);
             ASSERT_EQ(::mkfifo(Encode(m + u"DATOS.ASC"_s).constData(), 0644), 0);
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address = {};
             address.sun_family = AF_UNIX;
             const QByteArray socketPath = Encode(m + u"GESTION.TXT"_s);
             ASSERT_LT(size_t(socketPath.size()), sizeof address.sun_path);
             std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
             ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
             ::close(fd);
             if (::geteuid() == 0) {
                 QFile::remove(m + u"MEMORIA.TXT"_s);
                 ASSERT_EQ(::mknod(Encode(m + u"MEMORIA.TXT"_s).constData(), S_IFCHR | 0644,
                                   makedev(1, 5)),
                           0);
             }
         },
         Plain, 1, u"Falta algún fichero obligatorio"_s},

        {"the manifest itself a FIFO",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             QFile::remove(folders.medium + u"/FICHERO.TXT"_s);
             ASSERT_EQ(::mkfifo(Encode(folders.medium + u"/FICHERO.TXT"_s).constData(), 0644), 0);
         },
         Plain, 1, u"ERROR de ESTRUCTURA"_s},

        {"a manifest of a million lines",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             QByteArray manifest;
             manifest.reserve(14 * 1000000);
             for (int i = 0; i < 1000000; ++i)
                 manifest += "F" + QByteArray::number(i).rightJustified(7, '0') + ".TXT\r\n";
             WriteHostFile(folders.medium + u"/FICHERO.TXT"_s, manifest);
         },
         Plain, 1, u"ERROR de ESTRUCTURA"_s},

        {"a manifest of one line of 100 MB",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             QFile manifest(folders.medium + u"/FICHERO.TXT"_s);
             ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
             const QByteArray block(1024 * 1024, 'A');
             for (int i = 0; i < 100; ++i)
                 ASSERT_EQ(manifest.write(block), block.size());
         },
         Plain, 1, u"ERROR de ESTRUCTURA"_s},

        {"names with line breaks, backslashes, \"..\", leading dashes and bad UTF-8",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             const QList<QByteArray> names = {"MEMO\nRIA.M03", "..\\..\\FUERA.TXT", "-rf",
                                              "--pdf=x.M04",   "\xff\xfe.TXT",      "..TXT"};
             QByteArray manifest;
             QFile sample(kSample + u"/FICHERO.TXT"_s);
             ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
             manifest = sample.readAll();
             for (const QByteArray &name : names) {
                 WriteHostFile(QFile::decodeName(Encode(folders.medium) + '/' + name), "x");
                 manifest += name + "\r\n";
             }
             manifest += "..\\..\\..\\padre\\FUERA.TXT\r\n../../padre/FUERA.TXT\r\n"
                         "C:\\TMP_VK7.LCK\r\n-h\r\n";
             WriteHostFile(folders.medium + u"/FICHERO.TXT"_s, manifest);
         },
         WithPdf, 1, u"ERROR de ESTRUCTURA"_s},

        {"an image claiming 100000 x 100000 pixels", WithMemoriaImage([](CaseFolders &) {
             HandTiff tiff;
             const uint32_t strip = tiff.Append(QByteArray(64, '\0'));
             tiff.AddPage(HandTiff::Page(100000, 100000, 4, strip, 64));
             return tiff.Bytes();
         }),
         WithPdf, 1, u"Posible fichero TIF erróneo. Revisar MEMORIA.TIF"_s},

        {"an image of 10000 pages", WithMemoriaImage([](CaseFolders &) {
             HandTiff tiff;
             const uint32_t strip = tiff.Append(QByteArray(64, '\0'));
             for (int i = 0; i < 10000; ++i)
                 tiff.AddPage(HandTiff::Page(1648, 2336, 4, strip, 64));
             return tiff.Bytes();
         }),
         WithPdf, 1, u"Posible fichero TIF erróneo. Revisar MEMORIA.TIF"_s},

        // Each page goes out to the PDF as it comes: memory does not grow with
        // the page count (the whole document held in memory took 418 MB for
        // 32000 pages).
        {"an image of 30000 pages, printed to PDF", WithMemoriaImage([](CaseFolders &) {
             HandTiff tiff;
             QImage blank(1648, 2336, QImage::Format_Mono);
             blank.fill(0);
             const QByteArray g4 =
                 vk7::EncodeG4(blank.constBits(), 1648, 2336, blank.bytesPerLine());
             const uint32_t strip = tiff.Append(g4);
             for (int i = 0; i < 30000; ++i)
                 tiff.AddPage(HandTiff::Page(1648, 2336, 4, strip, uint32_t(g4.size())));
             return tiff.Bytes();
         }),
         WithPdf, 1, u"Impreso VK7_M1_"_s},

        // Pages that cannot go into a PDF as stored are decoded one by one.
        {"an image of 10000 uncompressed pages", WithMemoriaImage([](CaseFolders &) {
             HandTiff tiff;
             const uint32_t strip = tiff.Append(QByteArray(512, '\0'));
             for (int i = 0; i < 10000; ++i)
                 tiff.AddPage(HandTiff::Page(64, 64, 1, strip, 512));
             return tiff.Bytes();
         }),
         WithPdf, 1, u"Impreso VK7_M1_"_s},

        {"an image whose directories loop", WithMemoriaImage([](CaseFolders &) {
             HandTiff tiff;
             const uint32_t strip = tiff.Append(QByteArray(64, '\0'));
             const uint32_t first = tiff.AddPage(HandTiff::Page(1648, 2336, 4, strip, 64));
             tiff.AddPage(HandTiff::Page(1648, 2336, 4, strip, 64));
             tiff.LinkLastTo(first);
             return tiff.Bytes();
         }),
         WithPdf, 1, u"Posible fichero TIF erróneo. Revisar MEMORIA.TIF"_s},

        {"an LZW stream that expands far beyond its page",
         WithMemoriaImage([](CaseFolders &folders) {
             const QByteArray coded =
                 LzwZeros(folders.temporary + u"/lzw.tif"_s, qint64(512) * 1024 * 1024);
             EXPECT_GT(coded.size(), 1000); // libtiff wrote it
             HandTiff tiff;
             const uint32_t strip = tiff.Append(coded);
             tiff.AddPage(HandTiff::Page(1648, 2336, 5, strip, uint32_t(coded.size())));
             return tiff.Bytes();
         }),
         WithPdf, 1, u"Impreso VK7_M1_"_s},

        {"a PackBits stream that expands far beyond its page", WithMemoriaImage([](CaseFolders &) {
             QByteArray runs;
             for (int i = 0; i < 4 * 1024 * 1024; ++i)
                 runs.append(char(0x81)).append('\0');
             HandTiff tiff;
             const uint32_t strip = tiff.Append(runs);
             tiff.AddPage(HandTiff::Page(1648, 2336, 32773, strip, uint32_t(runs.size())));
             return tiff.Bytes();
         }),
         WithPdf, 1, u"Impreso VK7_M1_"_s},

        // Drive C: as the program would use it, made unsafe: refused before
        // anything is emptied or written, the folder a link points to included.
        {"drive C:'s root a symbolic link",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             OtherFolder(folders);
             ::symlink("otra", Encode(folders.root).constData());
         },
         Plain, 2, u"es un enlace simbólico: no se usa."_s},

        {"drive C:'s root owned by another user",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             QDir().mkdir(folders.root);
             if (::geteuid() == 0) {
                 ASSERT_EQ(::chown(Encode(folders.root).constData(), 65534, 65534), 0);
             } else { // only root can give a folder away: one others may write in instead
                 ::chmod(Encode(folders.root).constData(), 0777);
             }
         },
         Plain, 2, QString::fromUtf8(kRefused)},

        {"drive C:'s root writable by others",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             QDir().mkdir(folders.root);
             ::chmod(Encode(folders.root).constData(), 0777);
         },
         Plain, 2, u"Otros usuarios pueden escribir en la carpeta"_s},

        {"the work folder a symbolic link",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             OtherFolder(folders);
             QDir().mkdir(folders.root);
             ::symlink("../otra", Encode(folders.root + u"/TMP_VK7"_s).constData());
         },
         Plain, 2, u"TMP_VK7 es un enlace simbólico: no se usa."_s},

        {"the temporary folder writable by others, with --json",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             QDir().mkpath(folders.root + u"/TMP"_s);
             ::chmod(Encode(folders.root + u"/TMP"_s).constData(), 0777);
         },
         [](const CaseFolders &folders) { return QStringList{u"--json"_s} + Plain(folders); }, 2,
         u"Otros usuarios pueden escribir en la carpeta"_s},
    };
    return cases;
}

// Files of a gigabyte (sparse: zeros that take no room on the medium).
const std::vector<HostileCase> &BigCases()
{
    static const std::vector<HostileCase> cases = {
        {"a data file of 1 GB",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             SparseFile(folders.medium + u"/DATOS.ASC"_s, qint64(1) << 30);
         },
         Plain, 1, u"HOJA DE DIAGNOSTICO"_s},
        {"a text of 1 GB",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             SparseFile(folders.medium + u"/MEMORIA.TXT"_s, qint64(1) << 30);
         },
         WithPdf, 1, u"HOJA DE DIAGNOSTICO"_s},
        // Every six-digit key twice, so that the store holds the most records
        // accounts can give, and a million other documents' names, one short
        // line each: the application file is refused whole.
        {"accounts of two million records and an application of a million names, with --json",
         [](CaseFolders &folders) {
             CopySample(folders.medium);
             QFile sample(kSample + u"/DATOS.ASC"_s);
             ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
             QFile accounts(folders.medium + u"/DATOS.ASC"_s);
             ASSERT_TRUE(accounts.open(QIODevice::WriteOnly));
             accounts.write(sample.readLine());
             QByteArray block;
             for (int i = 0; i < 2000000; ++i) {
                 block +=
                     "2B095123442005" + QByteArray::number(i % 1000000).rightJustified(6, '0') +
                     (i % 3 ? '+' : '-') + QByteArray::number(i * 7919LL).rightJustified(15, '0') +
                     '+' + QByteArray::number(i).rightJustified(15, '0') + '\n';
                 if (block.size() > (1 << 20) || i == 1999999) {
                     ASSERT_EQ(accounts.write(block), block.size());
                     block.clear();
                 }
             }
             WriteHostFile(folders.medium + u"/INSTANCIA.ASC"_s,
                           "020781010E221100000000000\n" +
                               QByteArray("020781011n\n").repeated(1000000));
         },
         [](const CaseFolders &folders) { return QStringList{u"--json"_s} + Plain(folders); }, 1,
         u"\"otherDocumentNames\": []"_s},
    };
    return cases;
}

void ExpectUntouched(const char *what, const QList<QByteArray> &before,
                     const QList<QByteArray> &after)
{
    EXPECT_EQ(after.join('\n').toStdString(), before.join('\n').toStdString()) << what;
}

// The lines of the root's parent that are not drive C: itself.
QList<QByteArray> OutsideRoot(QList<QByteArray> lines)
{
    lines.removeIf(
        [](const QByteArray &line) { return line.startsWith("/C/") || line.startsWith("/C "); });
    return lines;
}

// VK7_HOSTILE_CASES=TEXT runs only the cases whose name contains TEXT;
// VK7_HOSTILE_KEEP=1 leaves their folders behind to look at. `verify` looks
// at what the case left in its folders, before they are removed.
void RunCase(const HostileCase &hostile,
             const std::function<void(const CaseFolders &)> &verify = {})
{
    if (!QByteArray(hostile.name).contains(qgetenv("VK7_HOSTILE_CASES")))
        return;
    SCOPED_TRACE(hostile.name);
    CaseFolders folders;
    ASSERT_TRUE(folders.base.isValid());
    if (qEnvironmentVariableIsSet("VK7_HOSTILE_KEEP")) {
        folders.base.setAutoRemove(false);
        std::printf("%s\n", qPrintable(folders.base.path()));
    }
    hostile.build(folders);
    if (::testing::Test::HasFatalFailure())
        return;
    const QList<QByteArray> medium = Snapshot(folders.medium);
    const QList<QByteArray> parent = OutsideRoot(Snapshot(folders.parent));
    const QList<QByteArray> home = Snapshot(folders.home);
    const QList<QByteArray> current = Snapshot(folders.current);

    const CheckerRun run = RunChecker(folders, hostile.arguments(folders));
    std::printf("%-75s exit %d, %5lld ms, %6ld KiB\n", hostile.name, run.exitCode, run.milliseconds,
                run.peakKiB);
    EXPECT_FALSE(run.timedOut) << "no end after " << kTimeoutMs << " ms";
    EXPECT_EQ(run.exitCode, hostile.exitCode) << run.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.out + run.err).contains(hostile.message))
        << run.err.toStdString();
    EXPECT_GT(run.peakKiB, 0) << "no peak measured";
    EXPECT_LT(run.peakKiB, kPeakLimitKiB);
    if (run.exitCode == 2 && hostile.arguments(folders).contains(u"--json"_s)) {
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        EXPECT_TRUE(json.value(u"openStatus"_s).toString().contains(hostile.message))
            << run.out.toStdString();
    }

    // What is printed carries no page larger than the program would decode.
    const QString pdf = folders.output + u"/d.pdf"_s;
    if (QFile::exists(pdf)) {
        EXPECT_GT(vk7::testing::PdfPageCount(pdf), 0);
        for (const QString &image : vk7::testing::PdfImages(pdf)) {
            const QStringList fields = image.split(u' ');
            EXPECT_TRUE(fields.size() == 5 && fields.at(1).toInt() <= vk7::TiffFile::kMaxPageSide &&
                        fields.at(2).toInt() <= vk7::TiffFile::kMaxPageSide)
                << image.toStdString();
        }
    }

    ExpectUntouched("medium", medium, Snapshot(folders.medium));
    ExpectUntouched("root's parent", parent, OutsideRoot(Snapshot(folders.parent)));
    ExpectUntouched("home", home, Snapshot(folders.home));
    ExpectUntouched("current folder", current, Snapshot(folders.current));
    if (verify)
        verify(folders);
}

const QByteArray kProseLine = "La sociedad ha desarrollado su actividad con normalidad durante el "
                              "ejercicio.\r\n";

// The sample deposit with a memoria of `megabytes` of ordinary prose,
// written out (it cannot be sparse).
void ProseDeposit(const CaseFolders &folders, int megabytes)
{
    CopySample(folders.medium);
    QFile text(folders.medium + u"/MEMORIA.TXT"_s);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    const QByteArray block = kProseLine.repeated(qsizetype(1 << 20) / kProseLine.size());
    for (int i = 0; i < megabytes; ++i)
        ASSERT_EQ(text.write(block), block.size());
}

} // namespace

TEST(HostileDepositTest, EveryCaseEndsClearlyWithinBoundsTouchingNothingOutside)
{
    for (const HostileCase &hostile : Cases())
        RunCase(hostile);
}

TEST(HostileDepositTest, GigabyteFiles)
{
    for (const HostileCase &hostile : BigCases())
        RunCase(hostile);
}

// A gigabyte of ordinary prose, written out (it cannot be sparse): texts are
// read back page by page and the JSON is written as it is made, so the peak
// stays far below the bound (holding the text whole took 6.4 GB with --json).
TEST(HostileDepositTest, GigabyteOfProse)
{
    RunCase({"a text of 1 GB of prose, with --json",
             [](CaseFolders &folders) { ProseDeposit(folders, 1024); },
             [](const CaseFolders &folders) { return QStringList{u"--json"_s} + Plain(folders); },
             1, u"\"valid\": false"_s});
}

// A batch of the sample deposit and one whose memoria is 384 MB of prose
// (smaller than above so that the sanitizer run stays short, larger than
// the bound). Each job writes its deposit's object to a file and the batch
// copies it in pieces, so neither holds it whole; the peak measured
// includes the jobs, which the batch waits for. Holding the object whole
// took 656 MB for 300 MB of prose, and 144 s.
TEST(HostileDepositTest, BatchWithAProseMemoria)
{
    constexpr int kMegabytes = 384;
    const auto list = [](const CaseFolders &folders) -> QString {
        return folders.output + u"/lista.txt"_s;
    };
    const auto lines = [](const CaseFolders &folders) -> QString {
        return folders.output + u"/lote.jsonl"_s;
    };
    RunCase({"a batch with a memoria of 384 MB of prose, in JSON lines",
             [&](CaseFolders &folders) {
                 ProseDeposit(folders, kMegabytes);
                 WriteHostFile(list(folders), (kSample + u'\t' + SampleFingerprint() + u'\n' +
                                               folders.medium + u'\t' + kAnyFingerprint + u'\n')
                                                  .toUtf8());
             },
             [&](const CaseFolders &folders) {
                 return QStringList{u"--batch"_s,   list(folders), u"--json-lines"_s,
                                    lines(folders), u"--root"_s,   folders.root};
             },
             1, u"Válidos: 1  No válidos: 1  Fallidos: 0"_s},
            [&](const CaseFolders &folders) {
                // One object a line, each read without holding the file whole.
                QFile file(lines(folders));
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                QMap<int, QJsonObject> byLine;
                while (!file.atEnd()) {
                    const QByteArray line = file.readLine();
                    ASSERT_TRUE(line.endsWith('\n'));
                    QJsonParseError error;
                    const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
                    ASSERT_EQ(error.error, QJsonParseError::NoError)
                        << error.errorString().toStdString();
                    byLine.insert(object.value(u"line"_s).toInt(), object);
                }
                ASSERT_EQ(byLine.keys(), (QList<int>{1, 2}));
                EXPECT_EQ(byLine[1].value(u"exitCode"_s).toInt(), 0);
                EXPECT_EQ(byLine[2].value(u"exitCode"_s).toInt(), 1);
                EXPECT_TRUE(byLine[2].value(u"errorOutput"_s).toArray().isEmpty());
                // The memoria arrives whole: every byte of it, page after page.
                qint64 characters = 0;
                for (const QJsonValue &page :
                     byLine[2].value(u"texts"_s).toObject().value(u"MEMORIA.TXT"_s).toArray())
                    characters += page.toString().size();
                EXPECT_EQ(characters, QFileInfo(folders.medium + u"/MEMORIA.TXT"_s).size());
            });
}
