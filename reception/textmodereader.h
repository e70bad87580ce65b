#pragma once

#include <memory>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "failure.h"

namespace vk7 {

// Reads a file line by line by the system's text-mode rule, that of
// fgets(buffer, limit + 1, file) on a file opened in text mode: CR LF comes
// in as LF, Ctrl-Z ends the file, a line gives at most `limit` characters (its
// line feed included when it fits) and the rest of a longer line comes with
// the next call. A line is taken as a C string, so it ends at its first zero
// byte; a read error ends the file, and it and an existing file that would
// not open are kept as the reader's I/O failure (IoFailure). Only one block
// of the file and one line are held at a time, so a file of any size reads
// in little memory.
class TextModeReader
{
public:
    explicit TextModeReader(int limit);
    ~TextModeReader();
    TextModeReader(const TextModeReader &) = delete;
    TextModeReader &operator=(const TextModeReader &) = delete;

    // Regular files only (links followed): a folder, device or pipe does not
    // open.
    bool Open(const QByteArray &hostPath);
    bool Open(const QString &hostPath);
    void Close();

    // The next line, valid until the next call (or Close); false at the end of
    // the file.
    bool ReadLine(QByteArrayView *line);

    // The failure of the machine that ended the file early or kept it from
    // opening since the last Open (Kind::None when none): what was read is
    // then not the whole file.
    const Failure &IoFailure() const { return ioFailure_; }

private:
    bool Fill();

    static constexpr int kBlockSize = 1 << 16;

    int limit_;
    QByteArray path_;
    int fd_ = -1;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    bool atEnd_ = true;
    Failure ioFailure_;
    std::unique_ptr<char[]> line_;
    std::unique_ptr<char[]> block_;
};

} // namespace vk7
