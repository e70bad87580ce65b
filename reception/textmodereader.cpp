#include "textmodereader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QFile>

#include "failure.h"
#include "hostfiles.h"

namespace vk7 {

namespace {

// The first position of a line feed, CR, Ctrl-Z or zero byte (every one of
// them at most Ctrl-Z), or `size` when there is none. Eight bytes are tested
// at a time: a word holds a byte below 0x1B exactly when subtracting 0x1B from
// every byte borrows into a high bit that was clear.
qsizetype FirstSpecial(const char *from, qsizetype size)
{
    constexpr quint64 kOnes = 0x0101010101010101ULL;
    constexpr quint64 kHighs = 0x8080808080808080ULL;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, from + i, sizeof word);
        if ((word - kOnes * 0x1B) & ~word & kHighs)
            break;
    }
    for (; i < size; ++i) {
        if (static_cast<unsigned char>(from[i]) <= 0x1A)
            return i;
    }
    return size;
}

} // namespace

TextModeReader::TextModeReader(int limit)
    : limit_(limit), line_(new char[size_t(limit)]), block_(new char[kBlockSize])
{
}

TextModeReader::~TextModeReader()
{
    Close();
}

bool TextModeReader::Open(const QByteArray &hostPath)
{
    Close();
    path_ = hostPath;
    ioFailure_ = Failure();
    Failure failure;
    fd_ = hostfiles::OpenRegularFile(hostPath, true, &failure);
    ioFailure_.KeepFirst(failure);
    atEnd_ = fd_ < 0;
    return fd_ >= 0;
}

bool TextModeReader::Open(const QString &hostPath)
{
    return Open(QFile::encodeName(hostPath));
}

void TextModeReader::Close()
{
    if (fd_ >= 0)
        hostfiles::Close(fd_);
    fd_ = -1;
    pos_ = end_ = 0;
    atEnd_ = true;
}

bool TextModeReader::Fill()
{
    if (atEnd_)
        return false;
    const qint64 n = hostfiles::ReadSome(fd_, block_.get(), kBlockSize);
    if (n <= 0) {
        // The reader still ends the file there, but the reception learns
        // that what it read is not the whole file.
        if (n < 0)
            ioFailure_.KeepFirst(Failure::Io(path_, errno));
        atEnd_ = true;
        return false;
    }
    pos_ = 0;
    end_ = n;
    return true;
}

bool TextModeReader::ReadLine(QByteArrayView *line)
{
    constexpr char kCtrlZ = 0x1A;
    // A line that lies whole in the block and holds no character that needs
    // a rule is handed out where it lies, without a copy.
    if (pos_ < end_) {
        const char *from = block_.get() + pos_;
        const qsizetype room = std::min<qsizetype>(end_ - pos_, limit_);
        const qsizetype at = FirstSpecial(from, room);
        const bool fedLine = at < room && from[at] == '\n';
        if (fedLine || at == limit_) {
            const qsizetype length = fedLine ? at + 1 : at;
            pos_ += length;
            *line = QByteArrayView(from, length);
            return true;
        }
    }
    char *const out = line_.get();
    int count = 0;
    int firstZero = -1; // the line as a C string ends here
    for (;;) {
        if (count == limit_)
            break;
        if (pos_ == end_ && !Fill())
            break;
        // Copy plain characters in one sweep; every special one is <= Ctrl-Z.
        const char *from = block_.get() + pos_;
        const qsizetype room = std::min<qsizetype>(end_ - pos_, limit_ - count);
        qsizetype n = 0;
        char c = 0;
        for (; n < room; ++n) {
            c = from[n];
            if (static_cast<unsigned char>(c) <= static_cast<unsigned char>(kCtrlZ) &&
                (c == '\n' || c == '\r' || c == kCtrlZ)) {
                break;
            }
            if (c == '\0' && firstZero < 0)
                firstZero = count + static_cast<int>(n);
            out[count + n] = c;
        }
        count += static_cast<int>(n);
        pos_ += n;
        if (n == room)
            continue;
        ++pos_;
        if (c == kCtrlZ) {
            atEnd_ = true;
            pos_ = end_;
            break;
        }
        if (c == '\r') {
            // CR LF becomes LF; a CR followed by anything else stays.
            if (pos_ == end_)
                Fill();
            if (pos_ < end_ && block_[pos_] == '\n') {
                ++pos_;
                out[count++] = '\n';
                break;
            }
            out[count++] = '\r';
            continue;
        }
        out[count++] = '\n';
        break;
    }
    if (count == 0)
        return false;
    *line = QByteArrayView(out, firstZero < 0 ? count : firstZero);
    return true;
}

} // namespace vk7
