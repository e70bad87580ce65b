// How long the report of a busy month takes: an SQLite register filled with
// COUNT receptions (default 20,000) spread over the thirty days of a month,
// each a copy of a real record of the sample deposit with its own id, time,
// workstation, clerk and outcome (80 % valid, 15 % not valid with one or two
// of twelve primary errors, 5 % not opened); then the report of that month
// timed step by step in this process (reading and tallying, the document,
// the PDF, the HTML) and whole, as `vk7check --informe --pdf --html` runs it,
// with the files' sizes.
//   checker_report_bench [COUNT [TURNS [FOLDER]]]   (default 20000 3; FOLDER keeps
//   the last PDF and HTML to look at)
#include <algorithm>
#include <cstdio>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUuid>

#include "registry/receptionreportdocument.h"
#include "registry/registerlocation.h"
#include "registry/registerstore.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const QString kProgram = QStringLiteral(VK7_BIN_DIR "/vk7check");
const QString kSample = QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit");

QProcessEnvironment Environment(const QString &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, folder + u"/home"_s);
    environment.insert(u"XDG_DATA_HOME"_s, folder + u"/home/data"_s);
    environment.insert(u"XDG_CONFIG_HOME"_s, folder + u"/home/config"_s);
    environment.insert(u"VK7_REGISTRO"_s, u"sqlite:"_s + folder + u"/registro.sqlite"_s);
    return environment;
}

int Run(const QString &folder, const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(Environment(folder));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(kProgram, arguments);
    process.waitForFinished(-1);
    return process.exitCode();
}

QString Time(const QDateTime &time)
{
    return time.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzzZ"_s);
}

double Seconds(QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int count = arguments.size() > 1 ? arguments[1].toInt() : 20000;
    const int turns = arguments.size() > 2 ? arguments[2].toInt() : 3;
    QTemporaryDir dir;
    const QString folder = dir.path();
    QFile fingerprint(kSample + u".fingerprint"_s);
    if (!fingerprint.open(QIODevice::ReadOnly) ||
        Run(folder, {u"--sin-textos"_s, kSample,
                     QString::fromLatin1(fingerprint.readAll().trimmed())}) != 0) {
        std::fprintf(stderr, "No se ha podido comprobar el depósito de ejemplo.\n");
        return 1;
    }
    RegisterLocation location;
    location.kind = RegisterLocation::Kind::Sqlite;
    location.path = folder + u"/registro.sqlite"_s;
    RegisterStore store(location);
    store.SetAsynchronousCommits(true);
    QList<StoredReception> sample;
    if (store.Open().Failed() || store.List(RegisterQuery{}, &sample).Failed() ||
        sample.isEmpty()) {
        std::fprintf(stderr, "No se lee el registro de la recepción de ejemplo.\n");
        return 1;
    }
    const QJsonObject model = sample.constFirst().Record();

    // A month ending yesterday, receptions at the counter's hours.
    const QDate last = QDate::currentDate().addDays(-1), first = last.addDays(-29);
    QRandomGenerator random(36);
    static const QString errors[] = {
        u"Falta rellenar : Denominación social"_s,
        u"Fecha inicio no válida."_s,
        u"Número de Otros Documentos no válido."_s,
        u"Fecha no válida."_s,
        u"Memoria existente para las cuentas anuales activas."_s,
        u"Informe de Gestión existente para las cuentas anuales activas."_s,
        u"Falta rellenar : Domicilio social"_s,
        u"Total activo distinto de total pasivo."_s,
        u"Falta rellenar : NIF"_s,
        u"Fecha solicitud no válida."_s,
        u"Informe SIMCAV existente para las cuentas anuales activas."_s,
        u"Modelo de Acciones Propias existente para las cuentas anuales activas."_s};
    static const QString forms[] = {u"NORMAL"_s, u"ABREVIADO"_s, u"ABREVIADO"_s, u"MIXTO"_s};
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        QJsonObject record = model;
        QJsonObject deposit = record.value(u"deposito"_s).toObject();
        const QDateTime start(first.addDays(random.bounded(30)),
                              QTime(8, 0).addSecs(random.bounded(7 * 3600)));
        record[u"id"_s] = QUuid::createUuid().toString(QUuid::WithoutBraces);
        record[u"inicio"_s] = Time(start);
        record[u"fin"_s] = Time(start.addSecs(40));
        record[u"puesto"_s] = u"mostrador-%1"_s.arg(1 + random.bounded(4));
        record[u"usuario"_s] = u"registrador%1"_s.arg(1 + random.bounded(6));
        deposit[u"nif"_s] = u"B%1"_s.arg(random.bounded(10000000, 99999999));
        deposit[u"form"_s] = forms[random.bounded(4)];
        deposit[u"currency"_s] = random.bounded(20) == 0 ? u"PESETAS"_s : u"EUROS"_s;
        const int roll = random.bounded(100);
        if (roll < 80) {
            record[u"resultado"_s] = u"Válido"_s;
        } else if (roll < 95) {
            QJsonArray primary{errors[random.bounded(12)]};
            if (random.bounded(3) == 0)
                primary.append(errors[random.bounded(12)]);
            deposit[u"valid"_s] = false;
            deposit[u"primaryErrors"_s] = primary;
            record[u"resultado"_s] = u"No válido"_s;
        } else {
            deposit =
                QJsonObject{{u"openStatus"_s, u"ERROR. No se encuentra el fichero FICHERO.TXT"_s},
                            {u"exitCode"_s, 2}};
            record[u"resultado"_s] = u"No abierto"_s;
        }
        record[u"deposito"_s] = deposit;
        if (store.Append(record).Failed()) {
            std::fprintf(stderr, "No se ha podido añadir el registro %d.\n", i);
            return 1;
        }
    }
    std::printf("Registro de %d recepciones (%lld bytes) llenado en %.1f s\n", count,
                QFileInfo(folder + u"/registro.sqlite"_s).size(), Seconds(timer));

    const ReportSpan span{first, last};
    const QString pdf = folder + u"/informe.pdf"_s, html = folder + u"/informe.html"_s;
    for (int turn = 1; turn <= turns; ++turn) {
        timer.restart();
        ReceptionTally tally(span);
        store.ForEach(RegisterQuery{span.from, span.to, QString()}, [&](const StoredReception &r) {
            tally.Add(r);
            return true;
        });
        const double read = Seconds(timer);
        timer.restart();
        const ReportDocument document =
            BuildReportDocument(tally, u"bench"_s, QDateTime::currentDateTime());
        const double built = Seconds(timer);
        timer.restart();
        WriteReportPdf(document, pdf);
        const double pdfTime = Seconds(timer);
        timer.restart();
        WriteReportHtml(document, html);
        const double htmlTime = Seconds(timer);
        timer.restart();
        const int code = Run(folder, {u"--informe"_s, u"--desde"_s, first.toString(Qt::ISODate),
                                      u"--hasta"_s, last.toString(Qt::ISODate), u"--pdf"_s, pdf});
        const double whole = Seconds(timer);
        std::printf(
            "turno %d: leer y contar %lld recepciones %.3f s, documento %.3f s, PDF %.3f s "
            "(%d páginas), HTML %.3f s; vk7check --informe --pdf entero %.3f s (salida %d); "
            "PDF %lld bytes, HTML %lld bytes\n",
            turn, tally.Received(), read, built, pdfTime, int(LayoutReportPages(document).size()),
            htmlTime, whole, code, QFileInfo(pdf).size(), QFileInfo(html).size());
    }
    if (arguments.size() > 3) {
        QFile::copy(pdf, arguments[3] + u"/informe.pdf"_s);
        QFile::copy(html, arguments[3] + u"/informe.html"_s);
    }
    return 0;
}
