#include <cstdio>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "checker/depositchecker.h"
#include "checker/terminaluserinterface.h"
#include "reception/paths.h"
#include "testing/guiapplication.h"
#include "testing/hostfiles.h"

using namespace vk7;
using namespace Qt::StringLiterals;
using vk7::testing::WriteHostFile;

// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// Questions read their answers from a file, as from a pipe; what the
// terminal prints is kept for inspection.
class ScriptedTerminal
{
public:
    explicit ScriptedTerminal(const QByteArray &input)
        : in_(std::tmpfile()), out_(std::tmpfile()), ui(in_, out_)
    {
        std::fwrite(input.constData(), 1, size_t(input.size()), in_);
        std::rewind(in_);
    }
    ~ScriptedTerminal()
    {
        std::fclose(in_);
        std::fclose(out_);
    }
    QString Output()
    {
        std::fflush(out_);
        std::rewind(out_);
        QByteArray bytes;
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, out_)) > 0)
            bytes.append(chunk, qsizetype(got));
        return QString::fromUtf8(bytes);
    }

private:
    FILE *in_;
    FILE *out_;

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
        WriteHostFile(medium + u"/FICHERO.TXT"_s, "FICHERO.TXT\r\nDATOS.ASC\r\nINSTANCIA.ASC\r\n");
        WriteHostFile(medium + u"/DATOS.ASC"_s, "datos");
        WriteHostFile(medium + u"/INSTANCIA.ASC"_s, "instancia");
    }
    void TearDown() override { PathResolver::ClearDriveRoots(); }

    QTemporaryDir temp;
    QString medium;
    CheckerOptions options = [] {
        CheckerOptions options;
        options.appFolder = QStringLiteral(VK7_BIN_DIR) + u"\\"_s;
        return options;
    }();
    ScriptedTerminal terminal{QByteArray()};
};

// The bundled sample: a valid euro ordinary deposit and its fingerprint.
const QString kSampleDeposit = vk7::testing::SampleDepositFolder();

using vk7::testing::SampleFingerprint;

QJsonObject RunForJson(const CheckerOptions &options, IUserInterface &ui,
                       DepositChecker::Result *result)
{
    CheckerOptions withJson = options;
    withJson.json = true;
    QByteArray output;
    QByteArray errors;
    DepositChecker checker(withJson, ui);
    *result = checker.Run(output, errors);
    return QJsonDocument::fromJson(output).object();
}

} // namespace

TEST_F(CheckerTest, ParsesTheCommandLine)
{
    CheckerOptions parsed;
    const auto parse = [&parsed](const QStringList &arguments) {
        return ParseCheckerArguments(arguments, parsed);
    };
    const CheckerArguments run =
        parse({u"vk7check"_s, u"--root"_s, u"/r"_s, u"--diskettes"_s, u"3"_s, u"--json"_s,
               u"--drive-a"_s, u"/mnt/a"_s, u"A:\\FICHERO.TXT"_s, u"HUELLA"_s});
    EXPECT_TRUE(run.shown.isEmpty());
    EXPECT_FALSE(run.failure.Failed());
    EXPECT_EQ(parsed.root, u"/r"_s);
    EXPECT_EQ(parsed.diskettes, u"3"_s);
    EXPECT_EQ(parsed.driveA, u"/mnt/a"_s);
    EXPECT_TRUE(parsed.json);
    EXPECT_EQ(parsed.medium, u"A:\\FICHERO.TXT"_s);
    EXPECT_EQ(parsed.fingerprint, u"HUELLA"_s);

    const CheckerArguments wrong = parse({u"vk7check"_s, u"solo-uno"_s});
    EXPECT_TRUE(wrong.failure.Failed());
    EXPECT_TRUE(wrong.shown.isEmpty());
    EXPECT_TRUE(parse({u"vk7check"_s, u"--nada"_s, u"a"_s, u"b"_s}).failure.Failed());
    const QString batch =
        parse({u"vk7check"_s, u"--batch"_s, u"lista.txt"_s, u"--diskettes"_s, u"2"_s}).failure.text;
    EXPECT_TRUE(batch.startsWith(u"--diskettes no se usa con --batch"_s)) << batch.toStdString();
    // Help is a text to show, not a failure.
    const CheckerArguments help = parse({u"vk7check"_s, u"--help"_s});
    EXPECT_FALSE(help.failure.Failed());
    EXPECT_TRUE(help.shown.contains(u"--drive-a"_s));
}

TEST_F(CheckerTest, ValidSampleGivesItsSheetAndPages)
{
    options.medium = kSampleDeposit;
    options.fingerprint = SampleFingerprint();
    QByteArray output;
    QByteArray errors;
    DepositChecker checker(options, terminal.ui);
    EXPECT_EQ(checker.Run(output, errors), DepositChecker::Result::Valid) << errors.toStdString();
    const QString sheet = QString::fromUtf8(output);
    EXPECT_TRUE(sheet.startsWith(u"HOJA DE DIAGNOSTICO para el Depósito Digital ("_s +
                                 options.fingerprint + u")\r\n\r\n"_s));
    EXPECT_TRUE(sheet.contains(u"Formulario : ORDINARIO       Moneda : EUROS\r\n\r\n"
                               u"Huella Digital : CORRECTA\r\n\r\n"_s));
    EXPECT_TRUE(QFile::exists(options.root + u"/TMP_VK7/K7.D01"_s));
    EXPECT_FALSE(QFile::exists(options.root + u"/TMP_VK7/K7.001"_s));
    EXPECT_EQ(QFile(options.root).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);

    DepositChecker::Result result;
    options.formPages = true;
    const QJsonObject json = RunForJson(options, terminal.ui, &result);
    EXPECT_EQ(result, DepositChecker::Result::Valid);
    EXPECT_EQ(json.value(u"computedFingerprint"_s).toString(), options.fingerprint);
    EXPECT_EQ(json.value(u"formName"_s).toString(), u"K7NE"_s);
    EXPECT_EQ(json.value(u"diagnosticSheet"_s).toString(), sheet);
    EXPECT_EQ(json.value(u"workFolder"_s).toString(), options.root + u"/TMP_VK7"_s);
    EXPECT_TRUE(QFile::exists(options.root + u"/TMP_VK7/K7.001"_s));
}

TEST_F(CheckerTest, UnreadableDepositIsNotValid)
{
    // The files are there, but the data say nothing about the form.
    options.medium = medium;
    options.fingerprint = u"ABCDEFGHJKMNPQRSTUVXYZ0123"_s;
    DepositChecker::Result result;
    QJsonObject json = RunForJson(options, terminal.ui, &result);
    EXPECT_EQ(result, DepositChecker::Result::NotValid);
    EXPECT_EQ(json.value(u"structureStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"completenessStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"formError"_s).toString(),
              u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)"_s);
    EXPECT_EQ(json.value(u"fingerprintVerdict"_s).toString(), u"¿?"_s);
    EXPECT_TRUE(json.value(u"computedFingerprint"_s).isNull());

    QFile::remove(medium + u"/INSTANCIA.ASC"_s);
    options.medium = medium + u"/fichero.txt"_s;
    json = RunForJson(options, terminal.ui, &result);
    EXPECT_EQ(result, DepositChecker::Result::NotValid);
    EXPECT_EQ(json.value(u"completenessStatus"_s).toString(), u"0"_s);
    EXPECT_EQ(json.value(u"formError"_s).toString(), QString());
}

TEST_F(CheckerTest, FailedValidationGivesTheStatusText)
{
    options.medium = medium;
    options.fingerprint = u"CORTA"_s;
    QByteArray output;
    QByteArray errors;
    DepositChecker checker(options, terminal.ui);
    EXPECT_EQ(checker.Run(output, errors), DepositChecker::Result::OpenFailed);
    EXPECT_EQ(errors, "ERROR. Longitud Huella Digital. (Obligado : 26)\n");
    EXPECT_TRUE(output.isEmpty());

    // A diskette location without a drive A: is simply not found.
    options.medium = u"A:\\FICHERO.TXT"_s;
    options.fingerprint = SampleFingerprint();
    DepositChecker diskette(options, terminal.ui);
    EXPECT_EQ(diskette.Run(output, errors), DepositChecker::Result::OpenFailed);
    EXPECT_EQ(errors, "ERROR. Fichero incorrecto. (No encontrado : FICHERO.TXT)\n");
}

TEST_F(CheckerTest, DisketteWithoutAnswersIsCancelledNotAwaited)
{
    // No input: the first diskette prompt is answered Cancel, which ends the
    // reception with nothing copied and no verdict.
    options.driveA = kSampleDeposit;
    options.medium = u"A:\\"_s;
    options.diskettes = u"2"_s;
    options.fingerprint = SampleFingerprint();
    DepositChecker::Result result;
    const QJsonObject json = RunForJson(options, terminal.ui, &result);
    EXPECT_EQ(result, DepositChecker::Result::OpenFailed);
    EXPECT_TRUE(terminal.Output().contains(u"[AVISO] Introducir disquete nº : 1"_s));
    EXPECT_EQ(json.value(u"openStatus"_s).toString(), u"Recepción cancelada"_s);
    EXPECT_FALSE(json.contains(u"structureStatus"_s));
}

TEST_F(CheckerTest, DisketteAnsweredOnTheTerminal)
{
    ScriptedTerminal answering("\n\n");
    options.driveA = kSampleDeposit;
    options.medium = u"A:\\FICHERO.TXT"_s;
    options.diskettes = u"2"_s;
    options.fingerprint = SampleFingerprint();
    DepositChecker::Result result;
    const QJsonObject json = RunForJson(options, answering.ui, &result);
    EXPECT_EQ(result, DepositChecker::Result::Valid);
    EXPECT_TRUE(answering.Output().contains(u"Introducir disquete nº : 2"_s));
    EXPECT_EQ(json.value(u"fingerprintVerdict"_s).toString(), u"CORRECTA"_s);
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

TEST(TerminalUserInterfaceTest, TheStatusLineIsRewrittenInPlaceAndClearedBeforeAMessage)
{
    FILE *out = std::tmpfile();
    {
        TerminalUserInterface ui(nullptr, out, TerminalUserInterface::StatusLine::Shown);
        ui.ShowStatus(u"Copiando fichero A\nB"_s);
        ui.ShowStatus(u"Leyendo datos. Esperar ..."_s);
        ui.ShowMessage(u"Aviso"_s, u"VK7"_s, IUserInterface::Buttons::Ok,
                       IUserInterface::Icon::None);
        ui.ShowStatus(QString());
        TerminalUserInterface hidden(nullptr, out, TerminalUserInterface::StatusLine::Hidden);
        hidden.ShowStatus(u"nada"_s);
    }
    std::rewind(out);
    char buffer[256] = {};
    const size_t got = std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    EXPECT_EQ(QByteArray(buffer, qsizetype(got)),
              "Copiando fichero A B\r\x1b[KLeyendo datos. Esperar ...\r\x1b[K[VK7] Aviso\n");
}

namespace {

// Page rendering needs fonts, so the whole run has a GUI application.
const auto *const kGui = vk7::testing::AddGuiApplicationEnvironment();

} // namespace
