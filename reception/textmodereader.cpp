#include "textmodereader.h"

#include <QFile>

#include "hostfiles.h"

namespace vk7 {

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
    fd_ = hostfiles::OpenRegularFile(hostPath, true);
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
        atEnd_ = true;
        return false;
    }
    pos_ = 0;
    end_ = n;
    return true;
}

bool TextModeReader::ReadLine(QByteArrayView *line)
{
    constexpr char CtrlZ = 0x1A;
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
            if (static_cast<unsigned char>(c) <= static_cast<unsigned char>(CtrlZ) &&
                (c == '\n' || c == '\r' || c == CtrlZ)) {
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
        if (c == CtrlZ) {
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
