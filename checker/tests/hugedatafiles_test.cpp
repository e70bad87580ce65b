// vk7check on a deposit whose data files are far larger than any real one:
// the run ends with a verdict and its peak memory stays bounded.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

extern char **environ;

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QString kSample = QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit");
constexpr long kBoundKilobytes = 256 * 1024;

// Every six-digit key twice: the store reaches the most records the accounts
// can give (each key, and key * 10 + 1 for the amounts with decimals).
bool WriteAccounts(const QString &path, const QByteArray &header)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size())
        return false;
    QByteArray block;
    for (int i = 0; i < 2000000; ++i) {
        block += "2B095123442005" + QByteArray::number(i % 1000000).rightJustified(6, '0') +
                 (i % 3 ? '+' : '-') + QByteArray::number(i * 7919LL).rightJustified(15, '0') +
                 '+' + QByteArray::number(i).rightJustified(15, '0') + '\n';
        if (block.size() > (1 << 20) || i == 1999999) {
            if (file.write(block) != block.size())
                return false;
            block.clear();
        }
    }
    return true;
}

// Runs vk7check writing to `output`; the child's own peak from wait4.
bool RunChecker(const QStringList &arguments, const QString &output, int *exitCode,
                long *peakKilobytes)
{
    QList<QByteArray> texts{QFile::encodeName(kProgram)};
    for (const QString &argument : arguments)
        texts.append(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, QFile::encodeName(output).constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status))
        return false;
    *exitCode = WEXITSTATUS(status);
    *peakKilobytes = usage.ru_maxrss;
    return true;
}

} // namespace

TEST(HugeDataFilesTest, CheckOfHugeAccountsAndApplicationFilesStaysUnder256Megabytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString medium = dir.path() + u"/medium"_s;
    ASSERT_TRUE(QDir().mkpath(medium));
    for (const QString &name : QDir(kSample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, medium + u'/' + name));
    QFile sample(kSample + u"/DATOS.ASC"_s);
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    ASSERT_TRUE(WriteAccounts(medium + u"/DATOS.ASC"_s, sample.readLine()));
    // A million names of other documents, one short line each.
    QFile application(medium + u"/INSTANCIA.ASC"_s);
    ASSERT_TRUE(application.open(QIODevice::WriteOnly));
    application.write("020781010E221100000000000\n");
    const QByteArray names = QByteArray("020781011n\n").repeated(1000000);
    ASSERT_EQ(application.write(names), names.size());
    application.close();

    int exitCode = -1;
    long peak = 0;
    const QString output = dir.path() + u"/check.json"_s;
    ASSERT_TRUE(RunChecker(
        {u"--root"_s, dir.path() + u"/c"_s, u"--json"_s, medium, u"3J4K4S7YXTQF1SQMCD7DPSAUK4"_s},
        output, &exitCode, &peak));
    EXPECT_EQ(exitCode, 1);
    EXPECT_LT(peak, kBoundKilobytes);
    QFile json(output);
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QByteArray text = json.readAll();
    // Every key's last value is held; the application file is refused whole.
    EXPECT_TRUE(text.contains(R"([999999,"X"])"));
    EXPECT_TRUE(text.contains(R"("otherDocumentNames": [])"));
    EXPECT_TRUE(text.contains(R"("exitCode": 1)"));
}
