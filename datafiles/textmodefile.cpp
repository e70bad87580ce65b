#include "textmodefile.h"

#include <QFileInfo>

namespace vk7 {

bool OpenRegularFile(QFile &file, const QString &hostPath, bool buffered)
{
    if (hostPath.isEmpty() || !QFileInfo(hostPath).isFile())
        return false;
    file.setFileName(hostPath);
    return file.open(buffered ? QIODevice::ReadOnly : QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool TextModeFile::Open(const QString &hostPath)
{
    Close();
    // Whole blocks are read into our own buffer: a second one is not needed.
    if (!OpenRegularFile(file_, hostPath, false))
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
    int firstZero = -1; // the line as a C string ends here
    for (;;) {
        if (count == MaxLineLength)
            break;
        if (pos_ == end_ && !Fill())
            break;
        // Copy plain characters in one sweep; every special one is <= Ctrl-Z.
        const char *from = block_ + pos_;
        const qsizetype room = std::min<qsizetype>(end_ - pos_, MaxLineLength - count);
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
            line_[count + n] = c;
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
    *line = QByteArrayView(line_, firstZero < 0 ? count : firstZero);
    return true;
}

} // namespace vk7
