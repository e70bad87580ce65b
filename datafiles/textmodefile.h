#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace vk7 {

// Reads a deposit data file by the system's text-mode rule, that of
// fgets(buffer, 512, file) on a file opened in text mode: CR LF comes in as
// LF, Ctrl-Z ends the file, a line gives at most 511 characters (its line
// feed included when it fits) and the rest of a longer line comes with the
// next call. The line is taken as a C string, so it ends at its first zero
// byte.
// Only one block of the file and one line are held at a time.
class TextModeFile
{
public:
    // Regular files only: a folder, device or pipe cannot be opened.
    bool Open(const QString &hostPath);
    void Close();

    // The next line, valid until the next call; false at the end of the file.
    bool ReadLine(QByteArrayView *line);

    static constexpr int MaxLineLength = 511;

private:
    bool Fill();

    QFile file_;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    bool atEnd_ = true;
    char line_[MaxLineLength + 1];
    char block_[1 << 16];
};

// Opens a deposit file for raw reading, as fopen(..., "rb") would: a folder,
// device or pipe does not open.
bool OpenRegularFile(QFile &file, const QString &hostPath, bool buffered = true);

} // namespace vk7
