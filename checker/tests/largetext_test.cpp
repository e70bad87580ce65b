// vk7check on a deposit whose memoria is far larger than the memory the
// check may take: its JSON object, every page included, is written as it is
// made, and the program's peak memory stays under 256 MB.
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "reception/fingerprint.h"

using namespace Qt::StringLiterals;

extern char **environ;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QByteArray kPeakMemory = VK7_BIN_DIR "/vk7_peakmemory";
const QString Sample = QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit");

// Reading the whole of this text took over 400 MB with --json.
constexpr qint64 kMemoriaBytes = 64LL * 1000 * 1000;
constexpr long kBoundKilobytes = 256L * 1024;
// A page without form feeds ends with the 2047-byte chunk that brings it to
// 25,000 characters: 13 chunks.
constexpr qint64 kPageBytes = 13 * 2047;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

struct ChildRun
{
    int exitCode = -1;
    long maxResidentKilobytes = 0;
};

// Runs the program with standard output into a file and returns its own
// peak memory, measured by the launcher from its own small memory (a child of
// this test would count the pages it shared with this test at the fork).
ChildRun RunMeasured(const QStringList &arguments, const QString &outputPath)
{
    const QString peakPath = outputPath + u".peak"_s;
    QList<QByteArray> storage{kPeakMemory, QFile::encodeName(peakPath),
                              QFile::encodeName(kProgram)};
    for (const QString &argument : arguments)
        storage.append(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const QByteArray output = QFile::encodeName(outputPath);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ChildRun run;
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile peak(peakPath);
    if (peak.open(QIODevice::ReadOnly))
        run.maxResidentKilobytes = peak.readAll().trimmed().toLong();
    return run;
}

} // namespace

TEST(LargeTextTest, AMemoriaOfManyMegabytesIsCheckedAndWrittenAsJsonInBoundedMemory)
{
    // AddressSanitizer's own quarantine of freed memory would otherwise be
    // counted against the program.
    if (kAddressSanitizer) {
        const QByteArray options = qgetenv("ASAN_OPTIONS");
        qputenv("ASAN_OPTIONS", options + (options.isEmpty() ? "" : ":") + "quarantine_size_mb=16");
    }
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString deposit = scratch.filePath(u"deposito"_s);
    ASSERT_TRUE(QDir().mkpath(deposit));
    for (const QString &name : QDir(Sample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(Sample + u'/' + name, deposit + u'/' + name));

    // Ordinary prose in CR LF lines, without a form feed.
    QByteArray block;
    for (int line = 0; block.size() < 1 << 16; ++line)
        block += "Linea " + QByteArray::number(line) +
                 " de la memoria: la sociedad mantiene su politica de inversiones.\r\n";
    {
        QFile memoria(deposit + u"/MEMORIA.TXT"_s);
        ASSERT_TRUE(memoria.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (qint64 written = 0; written < kMemoriaBytes; written += block.size())
            ASSERT_EQ(memoria.write(block.left(kMemoriaBytes - written)),
                      std::min<qint64>(block.size(), kMemoriaBytes - written));
    }
    QString fingerprint;
    fingerprint = vk7::ComputeDepositFingerprint(deposit, nullptr).Text();
    ASSERT_EQ(fingerprint.size(), 26);

    const QString output = scratch.filePath(u"salida.json"_s);
    const ChildRun run = RunMeasured(
        {u"--root"_s, scratch.filePath(u"C"_s), u"--json"_s, deposit, fingerprint}, output);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_GT(run.maxResidentKilobytes, 0);
    EXPECT_LT(run.maxResidentKilobytes, kBoundKilobytes);

    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_TRUE(json.value(u"valid"_s).toBool());
    const QJsonArray pages = json.value(u"texts"_s).toObject().value(u"MEMORIA.TXT"_s).toArray();
    ASSERT_EQ(pages.size(), (kMemoriaBytes + kPageBytes - 1) / kPageBytes);
    const QByteArray firstPage = block.left(kPageBytes);
    EXPECT_EQ(pages.first().toString(), QString::fromLatin1(firstPage));
    const qint64 lastPageBytes = kMemoriaBytes - (pages.size() - 1) * kPageBytes;
    EXPECT_EQ(pages.last().toString().size(), lastPageBytes);
}
