// The vk7check program as a batch job runs it: exit codes, standard output
// and standard error, no waiting for input.
#include <csignal>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "testing/cupsserver.h"
#include "testing/hostfiles.h"

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QString kSample = vk7::testing::SampleDepositFolder();

struct ProgramRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramRun RunChecker(const QStringList &arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(kProgram, arguments);
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

using vk7::testing::SampleFingerprint;

} // namespace

TEST(Vk7CheckProgramTest, ChecksTheSampleDepositAsJson)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const ProgramRun run =
        RunChecker({u"--root"_s, root.path(), u"--json"_s, kSample, SampleFingerprint()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(json.value(u"structureStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"completenessStatus"_s).toString(), u"1"_s);
    EXPECT_EQ(json.value(u"computedFingerprint"_s).toString(), SampleFingerprint());
    EXPECT_EQ(json.value(u"valid"_s).toBool(), true);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(root.path() + u"/TMP_VK7/K7.D01"_s));
}

TEST(Vk7CheckProgramTest, FailedValidationGoesToStandardErrorWithCodeTwo)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ProgramRun run = RunChecker({u"--root"_s, root.path(), kSample, u"CORTA"_s});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(QString::fromUtf8(run.err), u"ERROR. Longitud Huella Digital. (Obligado : 26)\n"_s);

    run = RunChecker({u"--root"_s, root.path(), kSample + u"/DATOS.ASC"_s, SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(QString::fromUtf8(run.err),
              u"ERROR. Fichero incorrecto. (Obligado : FICHERO.TXT)\n"_s);

    // Wrong arguments are a failure too, never a verdict.
    run = RunChecker({u"--root"_s, root.path(), u"solo-un-argumento"_s});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(run.err.isEmpty());

    // The help is Spanish throughout, Qt's own headings included, in any locale.
    QProcess help;
    QProcessEnvironment english = QProcessEnvironment::systemEnvironment();
    english.insert(u"LANG"_s, u"C"_s);
    english.insert(u"LC_ALL"_s, u"C"_s);
    help.setProcessEnvironment(english);
    help.start(kProgram, {u"--help"_s});
    ASSERT_TRUE(help.waitForFinished(60000));
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(text.contains(u"\nOpciones:\n"_s) && text.contains(u"\nArgumentos:\n"_s))
        << text.toStdString();
}

TEST(Vk7CheckProgramTest, WithoutATerminalOneDisketteIsTakenAndMoreAreRefused)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ProgramRun run =
        RunChecker({u"--root"_s, root.path(), u"--drive-a"_s, kSample, u"--json"_s,
                    u"--diskettes"_s, u"3"_s, u"A:\\FICHERO.TXT"_s, SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(u"Sin un terminal"_s));
    EXPECT_FALSE(QString::fromUtf8(run.err).contains(u"Introducir disquete"_s));
    // The object comes on this exit too, with the reason.
    QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json.value(u"exitCode"_s).toInt(), 2);
    EXPECT_TRUE(json.value(u"openStatus"_s).toString().contains(u"Sin un terminal"_s));

    run = RunChecker({u"--root"_s, root.path(), u"--drive-a"_s, kSample, u"A:\\FICHERO.TXT"_s,
                      SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(u"Introducir disquete nº : 1"_s));

    // A count that is not a whole number of at least 1 is a wrong command line.
    for (const QString &count : {u"0"_s, u"-1"_s, u"dos"_s, u"1.5"_s, u""_s}) {
        run = RunChecker({u"--root"_s, root.path(), u"--json"_s, u"--diskettes"_s, count, kSample,
                          SampleFingerprint()});
        EXPECT_EQ(run.exitCode, 2) << count.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(run.out).object().value(u"exitCode"_s).toInt(), 2)
            << count.toStdString();
    }
}

TEST(Vk7CheckProgramTest, JsonForScriptsNamesTheManifestFilesAndCanLeaveTheTextsOut)
{
    QTemporaryDir root;
    QTemporaryDir medium;
    ASSERT_TRUE(root.isValid() && medium.isValid());
    for (const QString &name : QDir(kSample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, medium.path() + u'/' + name));
    ASSERT_TRUE(QFile::remove(medium.path() + u"/INSTANCIA.ASC"_s));
    QFile extra(medium.path() + u"/Nota.doc"_s);
    ASSERT_TRUE(extra.open(QIODevice::WriteOnly));
    extra.close();

    ProgramRun run = RunChecker({u"--root"_s, root.path(), u"--json"_s, u"--sin-textos"_s,
                                 medium.path(), SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 1);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json.value(u"missingFiles"_s).toArray(), QJsonArray{u"INSTANCIA.ASC"_s});
    EXPECT_EQ(json.value(u"unlistedFiles"_s).toArray(), QJsonArray{u"Nota.doc"_s});
    EXPECT_FALSE(json.contains(u"texts"_s));
    EXPECT_TRUE(json.contains(u"fields"_s));
    EXPECT_EQ(json.value(u"exitCode"_s).toInt(), 1);

    // The sheet is the same with or without the lists.
    run = RunChecker({u"--root"_s, root.path(), medium.path(), SampleFingerprint()});
    EXPECT_EQ(QString::fromUtf8(run.out), json.value(u"diagnosticSheet"_s).toString());

    run = RunChecker({u"--version"_s});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("vk7check " VK7_VERSION)) << run.out.toStdString();
}

// Opening empties the work folder first, so a deposit stored inside it (or
// in one of its folders) is refused before anything is deleted.
TEST(Vk7CheckProgramTest, AWriteTheMachineRefusesStopsTheCheckWithoutAVerdict)
{
    // Files of at most 8 KB: each of the sample's files is copied, but the
    // fingerprint's concatenation of the whole deposit (23 KB) is cut short.
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(kProgram, {u"--root"_s, root.path(), u"--json"_s, u"--sin-textos"_s, kSample,
                             SampleFingerprint()});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QByteArray err = process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 2) << err.toStdString();
    QJsonParseError error;
    const QJsonObject json =
        QJsonDocument::fromJson(process.readAllStandardOutput(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    for (const QString &verdict : {u"valid"_s, u"fingerprintVerdict"_s, u"structureStatus"_s})
        EXPECT_FALSE(json.contains(verdict)) << verdict.toStdString();
    const QJsonObject failure = json.value(u"ioFailure"_s).toObject();
    EXPECT_TRUE(failure.value(u"file"_s).toString().endsWith(u"/TMP_VK7/MD5.TXT"_s));
    EXPECT_EQ(failure.value(u"text"_s).toString(), u"El archivo es demasiado grande"_s);
    EXPECT_TRUE(QString::fromUtf8(err).contains(
        u"ERROR de lectura o escritura en el archivo %1/TMP_VK7/MD5.TXT: El archivo es "
        u"demasiado grande"_s.arg(root.path())))
        << err.toStdString();
}

TEST(Vk7CheckProgramTest, RefusesADepositInsideTheWorkFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString work = root.path() + u"/TMP_VK7"_s;
    ASSERT_TRUE(QDir().mkpath(work + u"/SUB"_s));
    QStringList names = QDir(kSample).entryList(QDir::Files);
    for (const QString &name : std::as_const(names)) {
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, work + u'/' + name));
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, work + u"/SUB/"_s + name));
    }
    ASSERT_TRUE(QFile::link(work, root.path() + u"/enlace"_s));
    const QStringList media = {work + u"/FICHERO.TXT"_s, root.path() + u"/tmp_vk7"_s,
                               work + u"/SUB/FICHERO.TXT"_s,
                               root.path() + u"/enlace/FICHERO.TXT"_s};
    for (const QString &medium : media) {
        const ProgramRun run = RunChecker({u"--root"_s, root.path(), medium, SampleFingerprint()});
        EXPECT_EQ(run.exitCode, 2) << medium.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(
            run.err.startsWith("ERROR. El Dep\xc3\xb3sito Digital est\xc3\xa1 en la carpeta "
                               "de trabajo"))
            << run.err.toStdString();
        EXPECT_EQ(QDir(work).entryList(QDir::Files).join(u' ').toStdString(),
                  names.join(u' ').toStdString());
        EXPECT_EQ(QDir(work + u"/SUB"_s).entryList(QDir::Files).join(u' ').toStdString(),
                  names.join(u' ').toStdString());
    }
}

namespace {

// "Impreso NAME: N página(s) en WHERE" lines of standard error, as NAME -> N.
QList<std::pair<QString, int>> ReportedJobs(const QByteArray &err)
{
    QList<std::pair<QString, int>> jobs;
    const QRegularExpression line(u"^Impreso (\\S+): (\\d+) página\\(s\\) en "_s,
                                  QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromUtf8(err)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        jobs.append({match.captured(1), match.captured(2).toInt()});
    }
    return jobs;
}

} // namespace

TEST(Vk7CheckProgramTest, PrintsTheSampleOnCupsAndTheSamePagesIntoOnePdf)
{
    vk7::testing::CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());

    const ProgramRun printed = RunChecker(
        {u"--root"_s, root.path(), u"--print"_s, u"todo"_s, kSample, SampleFingerprint()});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    const QList<std::pair<QString, int>> reported = ReportedJobs(printed.err);
    const QStringList codes{u"DG"_s, u"K7NE"_s, u"M1"_s, u"M2"_s, u"G2"_s, u"AD"_s};
    ASSERT_EQ(reported.size(), codes.size()) << printed.err.toStdString();
    const QList<vk7::testing::CupsTestServer::Job> jobs = server.WaitForJobs(int(codes.size()));
    ASSERT_EQ(jobs.size(), codes.size());
    int pages = 0;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        EXPECT_TRUE(jobs.at(i).name.startsWith(u"VK7_"_s + codes.at(i) + u'_'))
            << jobs.at(i).name.toStdString();
        EXPECT_EQ(jobs.at(i).name, reported.at(i).first);
        EXPECT_EQ(vk7::testing::PdfPageCount(jobs.at(i).pdfPath), reported.at(i).second)
            << jobs.at(i).name.toStdString();
        pages += reported.at(i).second;
    }
    EXPECT_EQ(reported.at(0).second, 1);  // the sheet
    EXPECT_EQ(reported.at(1).second, 10); // the form's first block

    // The same pages in one PDF, every one a 1-bit Group 4 image as stored.
    const QString pdf = root.filePath(u"deposito.pdf"_s);
    const ProgramRun written = RunChecker({u"--root"_s, root.path(), u"--pdf"_s, pdf, u"--print"_s,
                                           u"todo"_s, kSample, SampleFingerprint()});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_EQ(vk7::testing::PdfPageCount(pdf), pages);
    const QStringList images = vk7::testing::PdfImages(pdf);
    ASSERT_EQ(images.size(), pages);
    for (const QString &image : images)
        EXPECT_TRUE(image.endsWith(u" 1 ccitt"_s)) << image.toStdString();
}

// A printer that cannot print the outer 5 mm of the paper gets the sheet
// inside them, its first line (the fingerprint's) whole; a queue without
// margins gets the sheet as it is, that line within the top 5 mm.
TEST(Vk7CheckProgramTest, OnPaperTheSheetKeepsOutOfThePrintersEdge)
{
    vk7::testing::CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    ASSERT_TRUE(server.AddQueue(u"VK7_MARGEN5"_s, false, &error, 5)) << error.toStdString();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());

    QList<QImage> pages;
    for (const QString &queue : {server.Queue(), u"VK7_MARGEN5"_s}) {
        const ProgramRun printed =
            RunChecker({u"--root"_s, root.path(), u"--printer"_s, queue, u"--print"_s,
                        u"diagnostico"_s, kSample, SampleFingerprint()});
        ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
        const auto jobs = server.WaitForJobs(int(pages.size()) + 1);
        ASSERT_EQ(jobs.size(), pages.size() + 1);
        pages.append(vk7::testing::PdfFirstPage(jobs.constLast().pdfPath, 150));
        ASSERT_FALSE(pages.constLast().isNull());
    }
    // Ink in the outer band of 5 mm (29.5 pixels at 150 dpi), and within 10 mm of the top.
    const auto inked = [](const QImage &page, int band, bool topOnly) {
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const bool inBand =
                    y < band || (!topOnly && (x < band || x >= page.width() - band ||
                                              y >= page.height() - band));
                if (inBand && qGray(page.pixel(x, y)) < 128)
                    return true;
            }
        return false;
    };
    EXPECT_EQ(pages.at(0).size(), pages.at(1).size());
    EXPECT_TRUE(inked(pages.at(0), 29, false));
    EXPECT_FALSE(inked(pages.at(1), 29, false));
    EXPECT_TRUE(inked(pages.at(1), 59, true));
}

// --copies and -o go with every job as lp's -n and -o do; wrong ones are
// usage errors.
TEST(Vk7CheckProgramTest, CopiesAndJobOptionsGoWithEveryJob)
{
    vk7::testing::CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());

    const ProgramRun printed =
        RunChecker({u"--root"_s, root.path(), u"--print"_s, u"diagnostico,memoria"_s, u"--copies"_s,
                    u"2"_s, u"-o"_s, u"sides=two-sided-long-edge"_s, kSample, SampleFingerprint()});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    // The sheet, and the notes' images and text.
    ASSERT_EQ(server.WaitForJobs(3).size(), 3);
    const auto jobs = server.QueuedJobs();
    ASSERT_EQ(jobs.size(), 3);
    for (const auto &job : jobs)
        EXPECT_EQ(job.copies, 2) << job.name.toStdString();

    for (const QStringList &wrong :
         {QStringList{u"--copies"_s, u"0"_s, u"--print"_s, u"diagnostico"_s},
          QStringList{u"-o"_s, u"=A4"_s, u"--print"_s, u"diagnostico"_s},
          QStringList{u"--copies"_s, u"2"_s}}) {
        const ProgramRun run = RunChecker(QStringList{u"--root"_s, root.path()} + wrong +
                                          QStringList{kSample, SampleFingerprint()});
        EXPECT_EQ(run.exitCode, 2) << wrong.join(u' ').toStdString();
    }
}

TEST(Vk7CheckProgramTest, OutputStoppedByThePrinterExitsThree)
{
    vk7::testing::CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    ASSERT_TRUE(server.SetQueueStopped(true));
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());

    ProgramRun run = RunChecker({u"--root"_s, root.path(), u"--print"_s, u"diagnostico,memoria"_s,
                                 kSample, SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(QString::fromUtf8(run.err), u"ERROR Imprimiendo DIAGNOSTICO\n"_s);
    EXPECT_FALSE(run.out.isEmpty()); // the sheet is still written
    // Documents on a stopped printer are skipped in silence.
    run = RunChecker(
        {u"--root"_s, root.path(), u"--print"_s, u"memoria"_s, kSample, SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    run = RunChecker({u"--root"_s, root.path(), u"--printer"_s, u"NO_EXISTE"_s, u"--print"_s,
                      u"todo"_s, kSample, SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 3);
    run = RunChecker(
        {u"--root"_s, root.path(), u"--print"_s, u"memoria,actas"_s, kSample, SampleFingerprint()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("\"actas\"")) << run.err.toStdString();
}
