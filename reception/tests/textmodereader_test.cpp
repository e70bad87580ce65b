#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/textmodereader.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

class DepositFolder
{
public:
    void Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(HostPath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString HostPath(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

QList<QByteArray> Lines(const DepositFolder &folder, const QByteArray &bytes, int limit = 511)
{
    folder.Write(u"F.ASC"_s, bytes);
    TextModeReader file(limit);
    EXPECT_TRUE(file.Open(folder.HostPath(u"F.ASC"_s)));
    QList<QByteArray> lines;
    QByteArrayView line;
    while (file.ReadLine(&line))
        lines.append(line.toByteArray());
    return lines;
}

} // namespace

TEST(TextModeReaderTest, LineEndsCarriageReturnsAndCtrlZ)
{
    DepositFolder folder;
    EXPECT_EQ(Lines(folder, "a\r\nb\nc\rd\r\r\ne\r"),
              (QList<QByteArray>{"a\n", "b\n", "c\rd\r\n", "e\r"}));
    // Ctrl-Z ends a text-mode file; what follows is never read.
    EXPECT_EQ(Lines(folder, "a\nb\x1a\nc\n"), (QList<QByteArray>{"a\n", "b"}));
    EXPECT_EQ(Lines(folder, "\x1a"), QList<QByteArray>());
    // A line is a C string: it ends at its first zero byte, the rest of the
    // line is consumed with it.
    EXPECT_EQ(Lines(folder, QByteArray("ab\0cd\nef", 8)), (QList<QByteArray>{"ab", "ef"}));
    EXPECT_EQ(Lines(folder, QByteArray("\0\n", 2)), (QList<QByteArray>{""}));
}

TEST(TextModeReaderTest, LongLinesComeInPiecesOfTheLimit)
{
    DepositFolder folder;
    const QList<QByteArray> lines =
        Lines(folder, QByteArray(1100, 'x') + "\n" + QByteArray(510, 'y') + "\r\n");
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QByteArray(511, 'x'));
    EXPECT_EQ(lines[1], QByteArray(511, 'x'));
    EXPECT_EQ(lines[2], QByteArray(78, 'x') + "\n");
    EXPECT_EQ(lines[3], QByteArray(510, 'y') + "\n");
    // Each reader keeps its own limit; a CR LF at the limit still fits.
    EXPECT_EQ(Lines(folder, QByteArray(126, 'c') + "\r\n" + QByteArray(128, 'd'), 127),
              (QList<QByteArray>{QByteArray(126, 'c') + "\n", QByteArray(127, 'd'), "d"}));
}

TEST(TextModeReaderTest, CarriageReturnAcrossBlockBoundaries)
{
    // The CR LF pair is split between two reads of the file.
    DepositFolder folder;
    QByteArray bytes;
    while (bytes.size() < (1 << 16) - 1)
        bytes += QByteArray(99, 'z') + "\n";
    bytes.truncate((1 << 16) - 1);
    bytes += "\r\nlast";
    const QList<QByteArray> lines = Lines(folder, bytes);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].endsWith("z\n"));
    EXPECT_EQ(lines.last(), QByteArray("last"));
}

TEST(TextModeReaderTest, OnlyRegularFilesOpen)
{
    DepositFolder folder;
    TextModeReader file(511);
    EXPECT_FALSE(file.Open(folder.HostPath(QString())));
    EXPECT_FALSE(file.Open(folder.HostPath(u"MISSING"_s)));
    EXPECT_FALSE(file.Open(QString()));
    EXPECT_FALSE(file.Open(u"/dev/zero"_s));
}
