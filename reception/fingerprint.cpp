#include "fingerprint.h"

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <QFile>

#include <openssl/evp.h>

#include "documentkind.h"
#include "failure.h"
#include "filetools.h"
#include "hostfiles.h"
#include "manifest.h"
#include "paths.h"
#include "userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

qint64 ReadChunk(int fd, char *buffer)
{
    return hostfiles::ReadSome(fd, buffer, kFingerprintChunk);
}

std::unique_ptr<char[]> TakeBuffer()
{
    return std::unique_ptr<char[]>(new (std::nothrow) char[kFingerprintChunk]);
}

// What the clerk is told of a computation that failed, in a box of its own.
Notice ErrorNotice(const QString &text)
{
    return {text, u"VK7"_s, IUserInterface::Icon::Stop};
}

FingerprintResult FailedWith(const Failure &failure, const QString &error)
{
    FingerprintResult result = FingerprintResult::Failed(failure);
    result.notices.append(ErrorNotice(error));
    return result;
}

struct DigestContext
{
    DigestContext() : context(EVP_MD_CTX_new()) {}
    ~DigestContext() { EVP_MD_CTX_free(context); }
    EVP_MD_CTX *context;
};

// MD5 of the chunks read into it, on a thread of its own, while the caller
// writes them and reads the next ones: the digest is most of a fingerprint's
// work, and the disk need not wait for it. Chunks are read into blocks of
// sixteen, and a block goes to the digest once full (waking the digest's
// thread once a megabyte rather than once a chunk); blocks are digested in
// the order they were filled, and a few go round.
class ChunkDigest
{
public:
    static constexpr qint64 kBlockSize = 16 * qint64(kFingerprintChunk);

    ChunkDigest()
    {
        for (auto &block : blocks_) {
            block.reset(new (std::nothrow) char[kBlockSize]);
            if (!block)
                return;
            free_.push_back(block.get());
        }
        if (!md5_.context || EVP_DigestInit_ex(md5_.context, EVP_md5(), nullptr) != 1)
            return;
        try {
            worker_ = std::thread([this] { Run(); });
        } catch (const std::system_error &) {
            return; // no thread to be had: the caller digests MD5.TXT itself
        }
        usable_ = true;
    }
    ~ChunkDigest() { Stop(); }
    ChunkDigest(const ChunkDigest &) = delete;
    ChunkDigest &operator=(const ChunkDigest &) = delete;

    bool Usable() const { return usable_; }

    // Room for the next chunk, kFingerprintChunk bytes, once the digest has
    // let a block go when none is being filled.
    char *Next()
    {
        if (!filling_) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !free_.empty(); });
            filling_ = free_.back();
            free_.pop_back();
            filled_ = 0;
        }
        return filling_ + filled_;
    }
    // The chunk of `size` bytes read at Next() is to be digested.
    void Add(qint64 size)
    {
        filled_ += size;
        if (filled_ + kFingerprintChunk > kBlockSize)
            Hand();
    }
    // Waits for every chunk added; false when the digest failed.
    bool Finish(unsigned char digest[16])
    {
        Hand();
        Stop();
        unsigned char full[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (!usable_ || failed_ || EVP_DigestFinal_ex(md5_.context, full, &length) != 1 ||
            length != 16)
            return false;
        std::memcpy(digest, full, 16);
        return true;
    }

private:
    void Hand()
    {
        if (!filling_)
            return;
        const std::lock_guard lock(mutex_);
        queued_.push_back({filling_, filled_});
        filling_ = nullptr;
        changed_.notify_one();
    }
    void Run()
    {
        for (;;) {
            std::pair<char *, qint64> block;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !queued_.empty() || ending_; });
                if (queued_.empty())
                    return;
                block = queued_.front();
                queued_.pop_front();
            }
            const bool updated =
                EVP_DigestUpdate(md5_.context, block.first, size_t(block.second)) == 1;
            const std::lock_guard lock(mutex_);
            failed_ = failed_ || !updated;
            free_.push_back(block.first);
            changed_.notify_one();
        }
    }
    void Stop()
    {
        if (!worker_.joinable())
            return;
        {
            const std::lock_guard lock(mutex_);
            ending_ = true;
            changed_.notify_one();
        }
        worker_.join();
    }

    std::array<std::unique_ptr<char[]>, 3> blocks_;
    DigestContext md5_;
    char *filling_ = nullptr; // the block chunks are read into, the caller's alone
    qint64 filled_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<char *> free_;
    std::deque<std::pair<char *, qint64>> queued_;
    bool ending_ = false;
    bool failed_ = false;
    bool usable_ = false;
    std::thread worker_;
};

} // namespace

QString FingerprintAlphabet()
{
    return u"0123456789ABCDEFGHJKMNPQRSTUVXYZ"_s;
}

QString FingerprintErrorText()
{
    return u"ERROR AL CALCULAR LA HUELLA DIGITAL"_s;
}

void EncodeFingerprint(QString &result, const unsigned char digest[16])
{
    // The digest read as one 128-bit number behind two zero bits, cut into
    // 26 groups of five bits from the left.
    const QString alphabet = FingerprintAlphabet();
    result.clear();
    result.reserve(kFingerprintLength);
    for (int group = 0; group < kFingerprintLength; ++group) {
        int value = 0;
        for (int bit = group * 5; bit < group * 5 + 5; ++bit) {
            const int digestBit = bit - 2;
            int set = 0;
            if (digestBit >= 0)
                set = (digest[digestBit / 8] >> (7 - digestBit % 8)) & 1;
            value = value * 2 + set;
        }
        result += alphabet.at(value);
    }
}

FingerprintResult FingerprintResult::Computed(const QString &symbols)
{
    FingerprintResult result;
    result.outcome = Outcome::Computed;
    result.symbols = symbols;
    return result;
}

FingerprintResult FingerprintResult::NoFiles()
{
    FingerprintResult result;
    result.outcome = Outcome::NoFiles;
    return result;
}

FingerprintResult FingerprintResult::Failed(const Failure &failure)
{
    FingerprintResult result;
    result.outcome = Outcome::Failed;
    result.failure = failure.Failed() ? failure : Failure::Data(FingerprintErrorText());
    return result;
}

QString FingerprintResult::Text() const
{
    switch (outcome) {
    case Outcome::Computed:
        return symbols;
    case Outcome::NoFiles:
        return QString();
    case Outcome::Failed:
        break;
    }
    return FingerprintErrorText();
}

FingerprintResult DigestFile(const QString &path, IUserInterface *ui)
{
    const QByteArray host = PathResolver::HostFileName(path);
    Failure failure;
    const int fd = hostfiles::OpenRegularFile(host, true, &failure);
    if (fd < 0)
        return FailedWith(
            failure.IsIo() ? failure : Failure(),
            u"ERROR : No se puede abrir el fichero para calcular la huella digital"_s);
    hostfiles::AdviseSequential(fd);
    const std::unique_ptr<char[]> buffer = TakeBuffer();
    DigestContext md5;
    if (!buffer || !md5.context || EVP_DigestInit_ex(md5.context, EVP_md5(), nullptr) != 1) {
        hostfiles::Close(fd);
        return FingerprintResult::Failed(Failure());
    }
    for (;;) {
        const qint64 got = ReadChunk(fd, buffer.get());
        if (got == 0)
            break;
        // A read error must not pass for the end of the file: the digest of
        // part of the deposit would look like a real fingerprint.
        const Failure readFailure = got < 0 ? Failure::Io(host, errno) : Failure();
        if (got < 0 || EVP_DigestUpdate(md5.context, buffer.get(), size_t(got)) != 1) {
            hostfiles::Close(fd);
            return FingerprintResult::Failed(readFailure);
        }
    }
    hostfiles::Close(fd);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(md5.context, digest, &length) != 1 || length != 16)
        return FingerprintResult::Failed(Failure());
    QString symbols;
    EncodeFingerprint(symbols, digest);
    return FingerprintResult::Computed(symbols);
}

FingerprintResult ConcatenateFiles(const QStringList &paths, const QString &folder,
                                   IUserInterface *ui, std::stop_token stop)
{
    // The digest is taken from the very bytes written to MD5.TXT, as they
    // pass, which spares reading the whole deposit a second time. Should the
    // digest itself fail, MD5.TXT is digested afterwards.
    ChunkDigest md5;
    std::unique_ptr<char[]> ownBuffer;
    if (!md5.Usable())
        ownBuffer = TakeBuffer();
    if (!md5.Usable() && !ownBuffer)
        return FailedWith(Failure(),
                          u"ERROR : No hay suficiente memoria para calcular la huella digital"_s);
    const QString workFile = folder + u"MD5.TXT"_s;
    CFileTools(ui).SetAttributesMatching(workFile, 0);
    const QByteArray workHost = PathResolver::HostFileName(workFile);
    const int out = hostfiles::CreateFile(workHost);
    if (out < 0)
        return FailedWith(Failure::Io(workHost, errno),
                          u"ERROR : No se puede abrir el fichero de salida"_s);

    const bool streaming = md5.Usable();
    int count = 0;
    bool failed = false;
    Failure failure; // why it failed, when the machine refused or the clerk stopped
    QString error;   // what the clerk is told of it
    // Bytes hashed of all there is to hash, for the progress bar.
    qint64 total = 0;
    qint64 hashed = 0;
    for (const QString &path : paths)
        total += qMax<qint64>(0, hostfiles::FileSize(PathResolver::HostFileName(path)));
    for (const QString &path : paths) {
        const QByteArray host = PathResolver::HostFileName(path);
        Failure openFailure;
        const int in = hostfiles::OpenRegularFile(host, true, &openFailure);
        if (in < 0) {
            // A file that is there but would not open is not a missing one:
            // leaving it out would give the fingerprint of another deposit.
            if (openFailure.IsIo()) {
                failure = openFailure;
                failed = true;
                error = u"ERROR : No se puede leer el archivo "_s + path;
                break;
            }
            continue;
        }
        hostfiles::AdviseSequential(in);
        ++count;
        for (;;) {
            char *buffer = streaming ? md5.Next() : ownBuffer.get();
            const qint64 got = ReadChunk(in, buffer);
            if (got == 0)
                break;
            if (got < 0) {
                failure = Failure::Io(host, errno);
                failed = true;
                break;
            }
            if (!hostfiles::WriteAll(out, buffer, got)) {
                failure = Failure::Io(workHost, errno);
                failed = true;
                break;
            }
            if (streaming)
                md5.Add(got);
            hashed += got;
            if (ui)
                ui->ShowProgress(hashed, total);
            // A stopped reception ends here, within a chunk of its megabyte.
            if (stop.stop_requested()) {
                failure = Failure::Stopped();
                failed = true;
                break;
            }
        }
        hostfiles::Close(in);
        if (failure.IsStop())
            break;
        if (failed) {
            error = u"ERROR : No se puede leer el archivo "_s + path;
            break;
        }
    }
    if (!hostfiles::Close(out) && !failed) {
        // Data the system could not keep would give a wrong fingerprint.
        failure = Failure::Io(workHost, errno);
        failed = true;
        error = u"ERROR : No se puede leer el archivo "_s + workFile;
    }

    if (failed)
        return error.isEmpty() ? FingerprintResult::Failed(failure) : FailedWith(failure, error);
    if (count == 0)
        return FingerprintResult::NoFiles();
    unsigned char digest[16];
    if (streaming && md5.Finish(digest)) {
        QString symbols;
        EncodeFingerprint(symbols, digest);
        return FingerprintResult::Computed(symbols);
    }
    return DigestFile(workFile, ui);
}

FingerprintResult ComputeDepositFingerprint(const QString &folder, IUserInterface *ui,
                                            const QSet<QString> *depositFiles, std::stop_token stop)
{
    CFileTools tools(ui);
    QString base = folder;
    if (!base.endsWith(u'\\'))
        base += u'\\';
    auto isDeposits = [&](const QString &path) {
        return !depositFiles || depositFiles->contains(AsciiUpper(path.mid(base.size())));
    };
    auto isFile = [&](const QString &name) {
        return isDeposits(base + name) && tools.PathExists(base + name, false);
    };

    QStringList paths;
    for (const auto name : {u"FICHERO.TXT", u"DATOS.ASC", u"ACCIONES.ASC", u"CERTIF.ASC"})
        paths.append(base + QString::fromUtf16(name));
    paths.append(base + (isFile(u"INSTANCIA.ASC"_s) ? u"INSTANCIA.ASC"_s : u"INSTANCI.ASC"_s));
    for (const DocumentKindInfo *document : FingerprintDocuments()) {
        if (document->images)
            ListNumberedFiles(paths, base, document->imagePattern);
        else if (!document->fingerprintWhenThere || isFile(document->depositFile))
            paths.append(base + document->depositFile);
    }
    if (isFile(u"CAUSA.TXT"_s))
        paths.append(base + u"CAUSA.TXT"_s);
    // What is not the deposit's is read as missing.
    paths.removeIf([&](const QString &path) { return !isDeposits(path); });

    FingerprintResult result = ConcatenateFiles(paths, base, ui, stop);
    result.symbols = result.symbols.toUpper();
    tools.DeleteOneFile(base + u"MD5.TXT"_s);
    return result;
}

} // namespace vk7

namespace vk7 {

FingerprintResult CFileTools::ComputeDepositFingerprint(const QString &folder,
                                                        const QSet<QString> *depositFiles)
{
    return vk7::ComputeDepositFingerprint(folder, ui_, depositFiles, stop_);
}

FingerprintResult CFileTools::ConcatenateFiles(const QStringList &paths, const QString &folder)
{
    return vk7::ConcatenateFiles(paths, folder, ui_, stop_);
}

FingerprintResult CFileTools::DigestFile(const QString &path)
{
    return vk7::DigestFile(path, ui_);
}

void CFileTools::EncodeFingerprint(QString &result, const unsigned char digest[16])
{
    vk7::EncodeFingerprint(result, digest);
}

QString CFileTools::FingerprintErrorText()
{
    return vk7::FingerprintErrorText();
}

} // namespace vk7
