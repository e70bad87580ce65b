#include <cstdio>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "checker/depositchecker.h"
#include "checker/terminaluserinterface.h"
#include "reception/paths.h"

using namespace vk7;
using namespace Qt::StringLiterals;

// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Questions read their answers from a file, as from a pipe; what the
// terminal prints is kept for inspection.
class ScriptedTerminal
{
public:
    explicit ScriptedTerminal(const QByteArray &input)
        : m_in(std::tmpfile()), m_out(std::tmpfile()), ui(m_in, m_out)
    {
        std::fwrite(input.constData(), 1, size_t(input.size()), m_in);
        std::rewind(m_in);
    }
    ~ScriptedTerminal()
    {
        std::fclose(m_in);
        std::fclose(m_out);
    }
    QString Output()
    {
        std::fflush(m_out);
        std::rewind(m_out);
        QByteArray bytes;
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, m_out)) > 0)
            bytes.append(chunk, qsizetype(got));
        return QString::fromUtf8(bytes);
    }

private:
    FILE *m_in;
    FILE *m_out;

public:
    TerminalUserInterface ui;
};

class CheckerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        options.root = temp.path() + u"/C"_s;
        medium = temp.path() + u"/medio"_s;
        Write(medium + u"/FICHERO.TXT"_s, "FICHERO.TXT\r\nDATOS.ASC\r\nINSTANCIA.ASC\r\n");
        Write(medium + u"/DATOS.ASC"_s, "datos");
        Write(medium + u"/INSTANCIA.ASC"_s, "instancia");
    }
    void TearDown() override { PathResolver::ClearDriveRoots(); }

    QTemporaryDir temp;
    QString medium;
    CheckerOptions options;
    ScriptedTerminal terminal{QByteArray()};
};

// Fingerprint of the three files above, concatenated in deposit order.
const QString MediumFingerprint = u"1RJ86P81HD04K2GM438PB8MSZ3"_s;

} // namespace

TEST_F(CheckerTest, ParsesTheCommandLine)
{
    CheckerOptions parsed;
    bool help = false;
    QString error;
    EXPECT_TRUE(ParseCheckerArguments({u"vk7check"_s, u"--root"_s, u"/r"_s, u"--diskettes"_s,
                                       u"3"_s, u"--json"_s, u"--drive-a"_s, u"/mnt/a"_s,
                                       u"A:\\FICHERO.TXT"_s, u"HUELLA"_s},
                                      parsed, help, error));
    EXPECT_EQ(parsed.root, u"/r"_s);
    EXPECT_EQ(parsed.diskettes, u"3"_s);
    EXPECT_EQ(parsed.driveA, u"/mnt/a"_s);
    EXPECT_TRUE(parsed.json);
    EXPECT_EQ(parsed.medium, u"A:\\FICHERO.TXT"_s);
    EXPECT_EQ(parsed.fingerprint, u"HUELLA"_s);

    EXPECT_FALSE(ParseCheckerArguments({u"vk7check"_s, u"solo-uno"_s}, parsed, help, error));
    EXPECT_FALSE(help);
    EXPECT_FALSE(
        ParseCheckerArguments({u"vk7check"_s, u"--nada"_s, u"a"_s, u"b"_s}, parsed, help, error));
    EXPECT_FALSE(ParseCheckerArguments({u"vk7check"_s, u"--help"_s}, parsed, help, error));
    EXPECT_TRUE(help);
    EXPECT_TRUE(error.contains(u"--drive-a"_s));
}

TEST_F(CheckerTest, ChecksAFolderMedium)
{
    options.medium = medium;
    options.fingerprint = MediumFingerprint;
    CheckerReport report;
    QString error;
    DepositChecker checker(options, terminal.ui);
    ASSERT_EQ(checker.Run(report, error), DepositChecker::Result::Checked) << error.toStdString();
    EXPECT_EQ(report.structureStatus, u"1"_s);
    EXPECT_EQ(report.completenessStatus, u"1"_s);
    EXPECT_EQ(report.computedFingerprint, MediumFingerprint);
    EXPECT_EQ(report.fingerprintVerdict, u"CORRECTA"_s);
    EXPECT_EQ(report.workFolderHost, options.root + u"/TMP_VK7"_s);
    EXPECT_TRUE(QFile::exists(options.root + u"/TMP_VK7/DATOS.ASC"_s));
    EXPECT_EQ(QFile(options.root).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);

    const QJsonObject json =
        QJsonDocument::fromJson(QJsonDocument(report.ToJson()).toJson()).object();
    EXPECT_EQ(json.value(u"structureStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"completenessStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"computedFingerprint"_s).toString(), MediumFingerprint);
    EXPECT_TRUE(report.ToText().contains(u"Estructura : 1\n"_s));
}

TEST_F(CheckerTest, WrongFingerprintAndIncompleteDeposit)
{
    QFile::remove(medium + u"/INSTANCIA.ASC"_s);
    options.medium = medium + u"/fichero.txt"_s;
    options.fingerprint = MediumFingerprint.toLower();
    CheckerReport report;
    QString error;
    DepositChecker checker(options, terminal.ui);
    ASSERT_EQ(checker.Run(report, error), DepositChecker::Result::Checked);
    EXPECT_EQ(report.structureStatus, u"1"_s);
    EXPECT_EQ(report.completenessStatus, u"0"_s);
    EXPECT_EQ(report.fingerprintVerdict, u"ERRONEA"_s);
}

TEST_F(CheckerTest, FailedValidationGivesTheStatusText)
{
    options.medium = medium;
    options.fingerprint = u"CORTA"_s;
    CheckerReport report;
    QString error;
    DepositChecker checker(options, terminal.ui);
    EXPECT_EQ(checker.Run(report, error), DepositChecker::Result::OpenFailed);
    EXPECT_EQ(error, u"ERROR. Longitud Huella Digital. (Obligado : 26)"_s);

    // A diskette location without a drive A: is simply not found.
    options.medium = u"A:\\FICHERO.TXT"_s;
    options.fingerprint = MediumFingerprint;
    DepositChecker diskette(options, terminal.ui);
    EXPECT_EQ(diskette.Run(report, error), DepositChecker::Result::OpenFailed);
    EXPECT_EQ(error, u"ERROR. Fichero incorrecto. (No encontrado : FICHERO.TXT)"_s);
}

TEST_F(CheckerTest, DisketteWithoutAnswersIsCancelledNotAwaited)
{
    // No input: the first diskette prompt is answered Cancel and nothing is copied.
    options.driveA = medium;
    options.medium = u"A:\\"_s;
    options.diskettes = u"2"_s;
    options.fingerprint = MediumFingerprint;
    CheckerReport report;
    QString error;
    DepositChecker checker(options, terminal.ui);
    ASSERT_EQ(checker.Run(report, error), DepositChecker::Result::Checked);
    EXPECT_TRUE(terminal.Output().contains(u"[AVISO] Introducir disquete nº : 1"_s));
    EXPECT_EQ(report.structureStatus, u"0"_s);
    EXPECT_EQ(report.completenessStatus, u"0"_s);
    EXPECT_EQ(report.computedFingerprint, QString());
}

TEST_F(CheckerTest, DisketteAnsweredOnTheTerminal)
{
    ScriptedTerminal answering("\n\n");
    options.driveA = medium;
    options.medium = u"A:\\FICHERO.TXT"_s;
    options.diskettes = u"2"_s;
    options.fingerprint = MediumFingerprint;
    CheckerReport report;
    QString error;
    DepositChecker checker(options, answering.ui);
    ASSERT_EQ(checker.Run(report, error), DepositChecker::Result::Checked);
    EXPECT_TRUE(answering.Output().contains(u"Introducir disquete nº : 2"_s));
    EXPECT_EQ(report.fingerprintVerdict, u"CORRECTA"_s);
}

TEST(TerminalUserInterfaceTest, AnswersFromTheInput)
{
    ScriptedTerminal terminal("s\nno\nc\n\n");
    using A = IUserInterface::Answer;
    using B = IUserInterface::Buttons;
    auto &ui = terminal.ui;
    EXPECT_EQ(ui.ShowMessage(u"¿ Reintentar ?"_s, u"AVISO"_s, B::YesNo, IUserInterface::Icon::Stop),
              A::Yes);
    EXPECT_EQ(ui.ShowMessage(u"¿ Reintentar ?"_s, u"AVISO"_s, B::YesNo, IUserInterface::Icon::Stop),
              A::No);
    EXPECT_EQ(ui.ShowMessage(u"Disco"_s, u"AVISO"_s, B::OkCancel, IUserInterface::Icon::None),
              A::Cancel);
    EXPECT_EQ(ui.ShowMessage(u"Disco"_s, u"AVISO"_s, B::OkCancel, IUserInterface::Icon::None),
              A::Ok);
    // The input is used up: questions are refused, notices still pass.
    EXPECT_EQ(ui.ShowMessage(u"Disco"_s, u"AVISO"_s, B::OkCancel, IUserInterface::Icon::None),
              A::Cancel);
    EXPECT_EQ(ui.ShowMessage(u"x"_s, u"AVISO"_s, B::YesNo, IUserInterface::Icon::None), A::No);
    EXPECT_EQ(ui.ShowMessage(u"Aviso"_s, u"VK7"_s, B::Ok, IUserInterface::Icon::None), A::Ok);
    EXPECT_TRUE(terminal.Output().contains(u"[VK7] Aviso"_s));
}
