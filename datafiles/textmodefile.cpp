#include "textmodefile.h"

#include <cstring>

#include <QFileInfo>

namespace vk7 {

bool OpenRegularFile(QFile &file, const QString &hostPath)
{
    if (hostPath.isEmpty() || !QFileInfo(hostPath).isFile())
        return false;
    file.setFileName(hostPath);
    return file.open(QIODevice::ReadOnly);
}

bool TextModeFile::Open(const QString &hostPath)
{
    Close();
    if (!OpenRegularFile(file_, hostPath))
        return false;
    atEnd_ = false;
    return true;
}

void TextModeFile::Close()
{
    if (file_.isOpen())
        file_.close();
    pos_ = end_ = 0;
    atEnd_ = true;
}

bool TextModeFile::Fill()
{
    if (atEnd_)
        return false;
    const qint64 n = file_.read(block_, sizeof block_);
    if (n <= 0) {
        // A read error ends the file, as it ends fgets.
        atEnd_ = true;
        return false;
    }
    pos_ = 0;
    end_ = n;
    return true;
}

bool TextModeFile::ReadLine(QByteArrayView *line)
{
    constexpr char CtrlZ = 0x1A;
    int count = 0;
    while (count < MaxLineLength) {
        if (pos_ == end_ && !Fill())
            break;
        // Copy plain characters in one sweep; stop at anything special.
        const char *from = block_ + pos_;
        const qsizetype room = std::min<qsizetype>(end_ - pos_, MaxLineLength - count);
        qsizetype n = 0;
        while (n < room) {
            const char c = from[n];
            if (c == '\n' || c == '\r' || c == CtrlZ)
                break;
            ++n;
        }
        std::memcpy(line_ + count, from, static_cast<size_t>(n));
        count += static_cast<int>(n);
        pos_ += n;
        if (n == room)
            continue;
        const char c = block_[pos_++];
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
                line_[count++] = '\n';
                break;
            }
            line_[count++] = '\r';
            continue;
        }
        line_[count++] = '\n';
        break;
    }
    if (count == 0)
        return false;
    line_[count] = '\0';
    *line = QByteArrayView(line_, static_cast<qsizetype>(std::strlen(line_)));
    return true;
}

} // namespace vk7
