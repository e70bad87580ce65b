// The report of the reception register as the built vk7check writes it: a
// register filled by a batch of the test deposits, its PDF read back with
// pdftotext against the batch's own tally and against --registro-listar for
// the same span, and its HTML page opened by a headless Chromium with
// nothing said on the page's console.
#include <algorithm>
#include <sys/stat.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "testing/hostfiles.h"
#include "testing/programrun.h"

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");

using Ran = vk7::testing::ProgramRun;
using vk7::testing::RunProgram;

// The test deposits of the app's cases and the sample, one list line each.
QByteArray CaseList()
{
    QByteArray lines;
    const QDir cases(QStringLiteral(VK7_SOURCE_DIR) + u"/app/tests/cases"_s);
    for (const QString &name : cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QJsonObject caseFile =
            QJsonDocument::fromJson(
                vk7::testing::ReadHostFile(cases.filePath(name) + u"/case.json"_s))
                .object();
        lines += (cases.filePath(name) + u"/deposit\t"_s +
                  caseFile.value(u"fingerprint"_s).toString() + u'\n')
                     .toUtf8();
    }
    lines +=
        (vk7::testing::SampleDepositFolder() + u'\t' + vk7::testing::SampleFingerprint() + u'\n')
            .toUtf8();
    return lines;
}

QList<QJsonObject> JsonLines(const QByteArray &text)
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.isEmpty())
            objects.append(QJsonDocument::fromJson(line).object());
    }
    return objects;
}

// A line of the PDF's text (pdftotext -layout) that reads NAME then NUMBER.
bool HasFigure(const QString &text, const QString &name, qint64 number)
{
    const QRegularExpression line(
        u"^\\s*%1\\s+%2\\s*$"_s.arg(QRegularExpression::escape(name)).arg(number),
        QRegularExpression::MultilineOption);
    return line.match(text).hasMatch();
}

QString Known(const QString &value)
{
    return value.isEmpty() || value == u"¿?"_s ? u"Sin identificar"_s : value;
}

TEST(ReportTest, ReportOfABatchEqualsItsTallyAndTheListingAndOpensInABrowser)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, folder + u"/home"_s);
    environment.insert(u"XDG_DATA_HOME"_s, folder + u"/home/data"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, folder + u"/home/config"_s);
    environment.insert(u"VK7_REGISTRO"_s, u"sqlite:"_s + folder + u"/registro.sqlite"_s);

    const QString list = folder + u"/lista.txt"_s;
    vk7::testing::WriteHostFile(list, CaseList());
    const QDate first = QDate::currentDate();
    const Ran batch = RunProgram(
        kProgram, {u"--batch"_s, list, u"--jobs"_s, u"2"_s, u"--sin-textos"_s}, environment);
    const QDate last = QDate::currentDate();
    const QList<QJsonObject> deposits = JsonLines(batch.out);
    ASSERT_GE(deposits.size(), 19) << batch.err.constData();

    // The batch's own tally.
    qint64 valid = 0;
    QMap<QString, qint64> forms, currencies, errors;
    for (const QJsonObject &deposit : deposits) {
        valid += deposit.value(u"valid"_s).toBool() ? 1 : 0;
        ++forms[Known(deposit.value(u"form"_s).toString())];
        ++currencies[Known(deposit.value(u"currency"_s).toString())];
        for (const QJsonValue &error : deposit.value(u"primaryErrors"_s).toArray())
            ++errors[error.toString()];
    }
    const qint64 notValid = deposits.size() - valid;
    ASSERT_GT(valid, 0) << batch.out.constData() << batch.err.constData();
    ASSERT_GT(notValid, 0);

    const QStringList span = {u"--desde"_s, first.toString(Qt::ISODate), u"--hasta"_s,
                              last.toString(Qt::ISODate)};
    const QString pdf = folder + u"/informe.pdf"_s, html = folder + u"/informe.html"_s;
    const Ran report =
        RunProgram(kProgram, QStringList{u"--informe"_s, u"--pdf"_s, pdf, u"--html"_s, html} + span,
                   environment);
    ASSERT_EQ(report.exitCode, 0) << report.err.constData();

    // Never renamed over what is not a file (a device, a pipe).
    const QString pipe = folder + u"/tuberia"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const Ran onPipe = RunProgram(kProgram, {u"--informe"_s, u"--pdf"_s, pipe}, environment);
    EXPECT_EQ(onPipe.exitCode, 2);
    EXPECT_TRUE(onPipe.err.contains("no es un fichero")) << onPipe.err.constData();
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    // The register's listing of the same span.
    const Ran listing =
        RunProgram(kProgram, QStringList{u"--registro-listar"_s} + span, environment);
    ASSERT_EQ(listing.exitCode, 0) << listing.err.constData();
    const QList<QJsonObject> listed = JsonLines(listing.out);
    qint64 listedValid = 0, listedNotValid = 0, listedFailed = 0;
    for (const QJsonObject &line : listed) {
        const QString result =
            line.value(u"registro"_s).toObject().value(u"resultado"_s).toString();
        (result == u"Válido"_s      ? listedValid
         : result == u"No válido"_s ? listedNotValid
                                    : listedFailed)++;
    }
    EXPECT_EQ(listed.size(), deposits.size());
    EXPECT_EQ(listedValid, valid);

    const Ran text = RunProgram(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    ASSERT_EQ(text.exitCode, 0) << "pdftotext: " << text.err.constData();
    const QString pdfText = QString::fromUtf8(text.out);
    EXPECT_TRUE(HasFigure(pdfText, u"Recibidas"_s, listed.size())) << pdfText.toStdString();
    EXPECT_TRUE(HasFigure(pdfText, u"Válidas"_s, valid));
    EXPECT_TRUE(HasFigure(pdfText, u"No válidas"_s, listedNotValid));
    EXPECT_TRUE(HasFigure(pdfText, u"No abiertas o fallidas"_s, listedFailed));
    EXPECT_EQ(listedNotValid + listedFailed, notValid);
    for (auto it = forms.cbegin(); it != forms.cend(); ++it)
        EXPECT_TRUE(HasFigure(pdfText, it.key(), it.value()))
            << "formulario " << it.key().toStdString();
    for (auto it = currencies.cbegin(); it != currencies.cend(); ++it)
        EXPECT_TRUE(HasFigure(pdfText, it.key(), it.value()))
            << "moneda " << it.key().toStdString();
    // The ten errors met most often (ties by name), each short one (one line
    // in the chart) with its count.
    QList<std::pair<qint64, QString>> ranked;
    for (auto it = errors.cbegin(); it != errors.cend(); ++it)
        ranked.append({-it.value(), it.key()});
    std::sort(ranked.begin(), ranked.end());
    ASSERT_GE(ranked.size(), 3);
    for (qsizetype i = 0; i < std::min<qsizetype>(ranked.size(), 10); ++i) {
        if (ranked[i].second.size() < 40) {
            EXPECT_TRUE(HasFigure(pdfText, ranked[i].second, -ranked[i].first))
                << ranked[i].second.toStdString();
        }
    }
    EXPECT_TRUE(pdfText.contains(u"Recepciones no válidas y fallidas (%1)"_s.arg(notValid)));
    // Every not-valid reception is a row of the list, with its first reason.
    const qsizetype rows = pdfText.count(QRegularExpression(
        u"^\\s*(\\d\\d/\\d\\d/\\d{4} )?\\d\\d:\\d\\d:\\d\\d\\s.*\\s{2}No válido\\s{2}"_s,
        QRegularExpression::MultilineOption));
    EXPECT_EQ(rows, listedNotValid);
    EXPECT_TRUE(pdfText.contains(u"Huella Digital errónea"_s));

    // The page in a real browser engine: its DOM whole, its console silent.
    const QString profile = folder + u"/chromium"_s;
    const Ran browser = RunProgram(
        u"chromium"_s,
        {u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s,
         u"--disable-background-networking"_s, u"--disable-component-update"_s, u"--disable-sync"_s,
         u"--no-first-run"_s, u"--user-data-dir="_s + profile, u"--enable-logging=stderr"_s,
         u"--v=0"_s, u"--dump-dom"_s, u"file://"_s + html});
    ASSERT_EQ(browser.exitCode, 0) << browser.err.constData();
    const QString dom = QString::fromUtf8(browser.out);
    EXPECT_EQ(dom.count(u"<svg"_s), 4) << dom.toStdString();
    EXPECT_TRUE(dom.contains(u"<td>Recibidas</td><td class=\"n\">%1</td>"_s.arg(listed.size())));
    EXPECT_FALSE(dom.contains(u"<script"_s));
    for (const QByteArray &line : browser.err.split('\n'))
        EXPECT_FALSE(line.contains(":CONSOLE")) << line.constData();
}

} // namespace
