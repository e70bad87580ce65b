#include "depositchecker.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/checkreport.h"
#include "app/depositcheck.h"
#include "checker/batch.h"
#include "checker/registercommands.h"
#include "components/cupsprintdevice.h"
#include "reception/driveroots.h"
#include "reception/failure.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/plaintext.h"
#include "reception/userinterface.h"
#include "reception/worklock.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

void Print(FILE *stream, QByteArrayView bytes)
{
    // An empty view may hold no pointer at all, which fwrite must not get.
    if (!bytes.isEmpty())
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

Failure ParsePrintList(const QString &list, OutputTicks &ticks)
{
    // In the order of the state window's boxes.
    static const QStringList names = [] {
        QStringList words;
        for (const PrintChoiceInfo &choice : PrintChoiceTable())
            words.append(choice.printWord);
        return words;
    }();
    ticks.fill(false);
    const QStringList items = list.split(u',', Qt::SkipEmptyParts);
    if (items.isEmpty()) {
        return Failure::Data(u"--print necesita una lista: %1 o todo"_s.arg(names.join(u", "_s)));
    }
    for (const QString &item : items) {
        const QString name = item.trimmed().toLower();
        if (name == u"todo"_s) {
            ticks.fill(true);
            continue;
        }
        const qsizetype index = names.indexOf(name);
        if (index < 0) {
            return Failure::Data(u"--print: \"%1\" no es ninguno de %2 o todo"_s.arg(
                item.trimmed(), names.join(u", "_s)));
        }
        ticks[size_t(index)] = true;
    }
    return {};
}

CheckerArguments ParseCheckerArguments(const QStringList &arguments, CheckerOptions &options)
{
    const auto wrong = [](const QString &text) {
        return CheckerArguments{.shown = {}, .failure = Failure::Data(text)};
    };
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Comprueba un Depósito Digital como lo recibe el programa: lo copia a la carpeta "
        u"de trabajo, revisa su FICHERO.TXT, lee sus ficheros, identifica el formulario, "
        u"calcula su Huella Digital, aplica las reglas de coherencia y escribe la Hoja de "
        u"Diagnóstico (y sus páginas K7.D01... en la carpeta de trabajo). Con --print o --pdf "
        u"imprime después lo que se elija, como el botón \"Imprimir\" de la ventana de estado. "
        u"Sale con 0 si el depósito es válido, 1 si no lo es, 2 si no se ha podido abrir y 3 si "
        u"la impresión se ha detenido por un error."_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, u"Muestra esta ayuda."_s);
    const QCommandLineOption root(u"root"_s, DriveCRootHelp(), u"DIR"_s);
    const QCommandLineOption driveA(u"drive-a"_s,
                                    u"Carpeta que hace de unidad A: (punto de montaje del "
                                    u"disquete), necesaria cuando MEDIO empieza por \"A:\"."_s,
                                    u"DIR"_s);
    const QCommandLineOption diskettes(u"diskettes"_s,
                                       u"Número de disquetes (sólo para \"A:\"; por omisión 1)."_s,
                                       u"N"_s, u"1"_s);
    const QCommandLineOption json(u"json"_s, u"Escribe el resultado como un objeto JSON."_s);
    const QCommandLineOption noTexts(
        QStringList{u"sin-textos"_s, u"no-texts"_s},
        u"Con --json, deja fuera los textos de los documentos (el miembro \"texts\")."_s);
    const QCommandLineOption formPages(
        u"form-pages"_s,
        u"Deja también las páginas del formulario relleno (K7.001...) en la carpeta de "
        u"trabajo."_s);
    const QCommandLineOption version(u"version"_s, u"Muestra la versión del programa."_s);
    const QCommandLineOption batch(u"batch"_s,
                                   u"Comprueba los depósitos de LISTA (texto UTF-8, una línea "
                                   u"MEDIO<TAB>HUELLA por depósito, # comentarios) y escribe un "
                                   u"objeto JSON por línea."_s,
                                   u"LISTA"_s);
    const QCommandLineOption jobs(u"jobs"_s,
                                  u"Con --batch, depósitos comprobados a la vez (por omisión 1)."_s,
                                  u"N"_s, u"1"_s);
    const QCommandLineOption jsonLines(
        u"json-lines"_s,
        u"Con --batch, el fichero donde se escriben los objetos (por omisión, la salida "
        u"estándar)."_s,
        u"FICHERO"_s);
    QCommandLineOption worker(u"batch-worker"_s, u"Un trabajo de --batch."_s);
    worker.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption print(
        u"print"_s,
        u"Imprime lo marcado en LISTA, separado por comas: diagnostico, balance, memoria, "
        u"gestion, autocartera, medioambiental, auditoria, simcav, anuncios, certificacion, o "
        u"todo. Lo que el depósito no tiene no se imprime."_s,
        u"LISTA"_s);
    const QCommandLineOption printer(
        u"printer"_s,
        u"Cola de CUPS en la que se imprime (por omisión, la impresora por defecto)."_s,
        u"NOMBRE"_s);
    const QCommandLineOption copies(
        u"copies"_s, u"Con --print, copias de cada trabajo (por omisión 1), como lp -n."_s, u"N"_s,
        u"1"_s);
    const QCommandLineOption jobOption(
        QStringList{u"o"_s, u"option"_s},
        u"Con --print, opción de CUPS para cada trabajo, como lp -o (por ejemplo "
        u"-o media=A4 -o sides=two-sided-long-edge); se puede repetir."_s,
        u"NOMBRE=VALOR"_s);
    const QCommandLineOption pdf(
        u"pdf"_s,
        u"Pone las mismas páginas, en el mismo orden, en un solo PDF en lugar de imprimirlas. "
        u"Sin --print, lo que la ventana de estado marcaría."_s,
        u"FICHERO"_s);
    const QCommandLineOption noRegister(
        u"sin-registro"_s, u"No deja registro de la recepción (también VK7_REGISTRO=off)."_s);
    const QCommandLineOption registerVerify(
        u"registro-verificar"_s,
        u"Recorre la cadena del registro de recepciones: sale con 0 si está entera y con 1, "
        u"diciendo cuál, si un registro no corresponde."_s);
    const QCommandLineOption registerList(
        u"registro-listar"_s,
        u"Escribe las recepciones del registro, de la más antigua a la más reciente, una línea "
        u"JSON por recepción."_s);
    const QCommandLineOption listFrom(
        u"desde"_s, u"Con --registro-listar o --informe, recepciones desde ese día."_s,
        u"AAAA-MM-DD"_s);
    const QCommandLineOption listTo(
        u"hasta"_s, u"Con --registro-listar o --informe, recepciones hasta ese día."_s,
        u"AAAA-MM-DD"_s);
    const QCommandLineOption listNif(u"nif"_s, u"Con --registro-listar, sólo las de ese NIF."_s,
                                     u"NIF"_s);
    const QCommandLineOption listCsv(u"csv"_s,
                                     u"Con --registro-listar, en CSV para una hoja de cálculo."_s);
    const QCommandLineOption report(
        u"informe"_s,
        u"Escribe el informe de las recepciones del registro de un periodo (--desde, --hasta; "
        u"por omisión, hoy) en --pdf FICHERO y/o --html FICHERO."_s);
    const QCommandLineOption html(u"html"_s, u"Con --informe, el informe como página HTML."_s,
                                  u"FICHERO"_s);
    parser.addOptions(
        {help,   version,    root,           driveA,       diskettes, json,   noTexts, formPages,
         print,  printer,    copies,         jobOption,    pdf,       batch,  jobs,    jsonLines,
         worker, noRegister, registerVerify, registerList, listFrom,  listTo, listNif, listCsv,
         report, html});
    parser.addPositionalArgument(u"MEDIO"_s,
                                 u"Ruta del FICHERO.TXT o de la carpeta que lo contiene."_s);
    parser.addPositionalArgument(u"HUELLA"_s, u"Huella Digital del Depósito (26 caracteres)."_s);

    if (!parser.parse(arguments)) {
        return wrong(parser.errorText());
    }
    if (parser.isSet(help)) {
        const QString usage =
            u"Uso: vk7check [--root DIR] [--drive-a DIR] [--diskettes N] [--json [--sin-textos]] "
            u"[--form-pages] [--print LISTA [--printer NOMBRE] [--copies N] [-o NOMBRE=VALOR]... | "
            u"--pdf FICHERO [--print LISTA]] [--sin-registro] MEDIO HUELLA\n"
            u"     vk7check --batch LISTA [--jobs N] [--json-lines FICHERO] [--sin-textos] "
            u"[--sin-registro]\n"
            u"     vk7check --registro-listar [--desde AAAA-MM-DD] [--hasta AAAA-MM-DD] "
            u"[--nif NIF] [--csv]\n"
            u"     vk7check --informe [--desde AAAA-MM-DD] [--hasta AAAA-MM-DD] [--pdf FICHERO] "
            u"[--html FICHERO]\n"
            u"     vk7check --registro-verificar\n\n"_s;
        return CheckerArguments{.shown = usage + parser.helpText().section(u'\n', 1),
                                .failure = {}};
    }
    if (parser.isSet(version)) {
        return CheckerArguments{.shown = u"vk7check "_s + QCoreApplication::applicationVersion(),
                                .failure = {}};
    }
    // A whole number of at least 1, written in plain digits.
    const auto wholeNumber = [](const QString &text, int &value) {
        static const QRegularExpression digits(u"^[0-9]{1,6}$"_s);
        value = CAtoi(text);
        return digits.match(text).hasMatch() && value >= 1;
    };
    int count = 0;
    if (!wholeNumber(parser.value(diskettes), count)) {
        return wrong(u"--diskettes: se espera un número entero mayor o igual que 1 (\"%1\")."_s.arg(
            parser.value(diskettes)));
    }
    if (!wholeNumber(parser.value(jobs), options.jobs)) {
        return wrong(u"--jobs: se espera un número entero mayor o igual que 1 (\"%1\")."_s.arg(
            parser.value(jobs)));
    }
    const QStringList positional = parser.positionalArguments();
    options.noRegister = parser.isSet(noRegister);
    if (parser.isSet(report)) {
        if (parser.isSet(registerVerify) || parser.isSet(registerList))
            return wrong(u"--informe no va junto con --registro-verificar ni --registro-listar."_s);
        if (!positional.isEmpty() || parser.isSet(batch) || parser.isSet(noRegister) ||
            parser.isSet(print) || parser.isSet(printer) || parser.isSet(copies) ||
            parser.isSet(jobOption) || parser.isSet(json) || parser.isSet(listNif) ||
            parser.isSet(listCsv))
            return wrong(u"--informe lee el registro: no lleva MEDIO, HUELLA, --batch, "
                         u"--sin-registro, --print, --printer, --copies, -o, --json, --nif ni "
                         u"--csv."_s);
        if (parser.value(pdf).isEmpty() && parser.value(html).isEmpty())
            return wrong(u"--informe necesita --pdf FICHERO o --html FICHERO."_s);
        options.registerCommand = CheckerOptions::RegisterCommand::Report;
        if (!parser.value(pdf).isEmpty())
            options.reportPdf = QFileInfo(parser.value(pdf)).absoluteFilePath();
        if (!parser.value(html).isEmpty())
            options.reportHtml = QFileInfo(parser.value(html)).absoluteFilePath();
    } else if (parser.isSet(html)) {
        return wrong(u"--html necesita --informe."_s);
    }
    if (parser.isSet(registerVerify) || parser.isSet(registerList)) {
        if (parser.isSet(registerVerify) && parser.isSet(registerList))
            return wrong(u"--registro-verificar y --registro-listar no van juntos."_s);
        if (!positional.isEmpty() || parser.isSet(batch) || parser.isSet(noRegister))
            return wrong(u"--registro-verificar y --registro-listar no comprueban ningún "
                         u"depósito: no llevan MEDIO, HUELLA, --batch ni --sin-registro."_s);
        options.registerCommand = parser.isSet(registerList)
                                      ? CheckerOptions::RegisterCommand::List
                                      : CheckerOptions::RegisterCommand::Verify;
    }
    const bool listing = options.registerCommand == CheckerOptions::RegisterCommand::List ||
                         options.registerCommand == CheckerOptions::RegisterCommand::Report;
    for (const QCommandLineOption *day : {&listFrom, &listTo}) {
        if (!parser.isSet(*day))
            continue;
        const QDate date = QDate::fromString(parser.value(*day), u"yyyy-MM-dd"_s);
        if (!date.isValid()) {
            return wrong(u"--%1: se espera una fecha AAAA-MM-DD (\"%2\")."_s.arg(
                day->names().constFirst(), parser.value(*day)));
        }
        (day == &listFrom ? options.listFrom : options.listTo) = date;
    }
    options.listNif = parser.value(listNif);
    options.listCsv = parser.isSet(listCsv);
    if (!listing && (parser.isSet(listFrom) || parser.isSet(listTo) || parser.isSet(listNif) ||
                     options.listCsv))
        return wrong(u"--desde, --hasta, --nif y --csv necesitan --registro-listar."_s);
    if (options.registerCommand != CheckerOptions::RegisterCommand::None)
        return {};
    options.batchWorker = parser.isSet(worker);
    options.batchList = parser.value(batch);
    if (parser.isSet(batch) && options.batchList.isEmpty()) {
        return wrong(u"--batch necesita el nombre de la lista."_s);
    }
    if (parser.isSet(batch) || options.batchWorker) {
        if (!positional.isEmpty()) {
            return wrong(u"Con --batch, los depósitos se dan en LISTA, no como argumentos."_s);
        }
        if (parser.isSet(print) || parser.isSet(pdf)) {
            return wrong(u"--print y --pdf no se usan con --batch."_s);
        }
        // Nobody answers a batch's prompts to change diskettes.
        if (parser.isSet(diskettes)) {
            return wrong(u"--diskettes no se usa con --batch: un lote no puede pedir el cambio de "
                         u"disquete; copie los disquetes a una carpeta."_s);
        }
    } else if (positional.size() != 2) {
        return wrong(u"Se esperan dos argumentos: MEDIO y HUELLA (véase --help)."_s);
    }
    options.root = parser.value(root);
    options.driveA = parser.value(driveA);
    options.diskettes = parser.value(diskettes);
    options.json = parser.isSet(json);
    options.texts = !parser.isSet(noTexts);
    options.formPages = parser.isSet(formPages);
    if (parser.isSet(print)) {
        OutputTicks ticks{};
        if (const Failure failure = ParsePrintList(parser.value(print), ticks); failure.Failed())
            return CheckerArguments{.shown = {}, .failure = failure};
        options.printTicks = ticks;
    }
    if (!wholeNumber(parser.value(copies), options.copies)) {
        return wrong(u"--copies: se espera un número entero mayor o igual que 1 (\"%1\")."_s.arg(
            parser.value(copies)));
    }
    options.jobOptions = parser.values(jobOption);
    for (const QString &text : std::as_const(options.jobOptions)) {
        if (CountJobOptions(text) == 0) {
            return wrong(u"-o: se espera NOMBRE=VALOR (\"%1\")."_s.arg(text));
        }
    }
    if ((parser.isSet(copies) || parser.isSet(jobOption)) && !parser.isSet(print)) {
        return wrong(u"--copies y -o necesitan --print"_s);
    }
    if (parser.isSet(pdf)) {
        if (parser.isSet(printer)) {
            return wrong(u"--printer no se usa con --pdf"_s);
        }
        if (parser.isSet(copies) || parser.isSet(jobOption)) {
            return wrong(u"--copies y -o no se usan con --pdf"_s);
        }
        if (parser.value(pdf).isEmpty()) {
            return wrong(u"--pdf necesita el nombre del fichero"_s);
        }
        options.pdfPath = QFileInfo(parser.value(pdf)).absoluteFilePath();
    } else if (parser.isSet(printer) && !parser.isSet(print)) {
        return wrong(u"--printer necesita --print"_s);
    }
    options.print = parser.isSet(print) || parser.isSet(pdf);
    options.printer = parser.value(printer);
    options.jsonLines = parser.value(jsonLines);
    if (positional.size() == 2) {
        options.medium = positional.at(0);
        options.fingerprint = positional.at(1);
    }
    return {};
}

DepositChecker::DepositChecker(const CheckerOptions &options, IUserInterface &ui)
    : options_(options), ui_(ui),
      record_(QCoreApplication::applicationName(), QCoreApplication::applicationVersion())
{
}

Failure DepositChecker::SetUpDrives()
{
    if (const Failure failure = SetUpDriveC(options_.root); failure.Failed())
        return failure;
    if (!options_.driveA.isEmpty())
        PathResolver::SetDriveRoot(u'A', QFileInfo(options_.driveA).absoluteFilePath());
    return {};
}

DepositChecker::Result DepositChecker::Run(QByteArray &output, QByteArray &errors)
{
    CheckJsonOptions jsonOptions;
    jsonOptions.texts = options_.texts;
    return Run(output, errors, jsonOptions);
}

DepositChecker::Result DepositChecker::Run(QByteArray &output, QByteArray &errors,
                                           const CheckJsonOptions &jsonOptions)
{
    output.clear();
    errors.clear();
    DepositCheckStreams streams;
    streams.error = [&errors](QByteArrayView piece) { errors += piece; };
    streams.output = [&output](QByteArrayView piece) {
        output += piece;
        return true;
    };
    return Run(streams, jsonOptions);
}

DepositChecker::Result DepositChecker::Run(const DepositCheckStreams &streams,
                                           const CheckJsonOptions &jsonOptions)
{
    lastRecord_ = QJsonObject();
    lastIoFailure_ = Failure();
    if (options_.keepRecord)
        record_.Begin(options_.medium, options_.diskettes, options_.fingerprint);
    const auto fail = [&](const QString &error) {
        streams.error(QByteArray(error.toUtf8() + '\n'));
        if (options_.json)
            streams.output(BuildOpenFailureJson(error, jsonOptions));
        if (options_.keepRecord) {
            record_.SetDeposit(OpenFailureRecordMembers(error));
            lastRecord_ = record_.Finish();
        }
        return Result::OpenFailed;
    };
    if (const Failure failure = SetUpDrives(); failure.Failed())
        return fail(failure.text);
    // Nobody is there to change the diskette between prompts (a location on
    // the folder of drive A: is a location on A:).
    if (!options_.interactive && PathResolver::OnDrive(u'A', options_.medium).startsWith(u"A:"_s) &&
        CAtoi(options_.diskettes) > 1)
        return fail(u"ERROR. Sin un terminal no se puede pedir el cambio de disquete "
                    u"(--diskettes %1): copie los disquetes a una carpeta y compruebe esa "
                    u"carpeta."_s.arg(options_.diskettes));
    WorkFolderLock lock;
    if (const Failure failure = lock.Acquire(); failure.Failed())
        return fail(failure.text);
    DepositCheckOptions check = options_;
    check.jsonOptions = jsonOptions;
    const DepositCheckOutput result = RunDepositCheck(check, ui_, DefaultClock(), &streams);
    lastIoFailure_ = result.ioFailure;
    if (options_.keepRecord) {
        record_.SetDeposit(result.recordMembers);
        for (const PrintedJob &job : result.printedJobs)
            record_.AddPrintJob(result.printQueue, options_.copies, job.name, job.pages);
        lastRecord_ = record_.Finish();
    }
    return Result(result.exitCode);
}

int RunCheckerProgram(const QStringList &arguments, IUserInterface &ui, const QString &appFolder)
{
    CheckerOptions options;
    const CheckerArguments parsed = ParseCheckerArguments(arguments, options);
    if (!parsed.shown.isEmpty()) {
        Print(stdout, (parsed.shown + u'\n').toUtf8());
        return 0;
    }
    if (parsed.failure.Failed()) {
        const QString &error = parsed.failure.text;
        Print(stderr, (error + u'\n').toUtf8());
        // A script that asked for JSON gets its object on every exit.
        if (arguments.contains(u"--json"_s))
            Print(stdout, BuildOpenFailureJson(error));
        return int(DepositChecker::Result::OpenFailed);
    }
    options.appFolder = appFolder;
    options.interactive = ::isatty(STDIN_FILENO) == 1;
    if (options.registerCommand != CheckerOptions::RegisterCommand::None)
        return RunRegisterCommand(options);
    if (options.batchWorker)
        return RunBatchWorker(options, ui);
    if (!options.batchList.isEmpty())
        return RunBatch(options, QCoreApplication::applicationFilePath());
    // The register is a side effect: whatever becomes of the record, the
    // reception, its output and its exit code are the same.
    const std::unique_ptr<ReceptionRegister> receptionRegister = OpenConfiguredRegister(options);
    options.keepRecord = receptionRegister != nullptr;
    // Written as the check makes it: the JSON object of a deposit with a long
    // text is never held whole.
    DepositCheckStreams streams;
    streams.error = [&ui](QByteArrayView piece) {
        ui.ShowStatus(QString());
        Print(stderr, piece);
    };
    bool outputFailed = false;
    streams.output = [&outputFailed](QByteArrayView piece) {
        if (!outputFailed && !piece.isEmpty() &&
            std::fwrite(piece.data(), 1, size_t(piece.size()), stdout) != size_t(piece.size()))
            outputFailed = true;
        return !outputFailed;
    };
    CheckJsonOptions jsonOptions;
    jsonOptions.texts = options.texts;
    DepositChecker checker(options, ui);
    DepositChecker::Result result = checker.Run(streams, jsonOptions);
    if (std::fflush(stdout) != 0)
        outputFailed = true;
    ui.ShowStatus(QString());
    // A result that did not reach its reader whole is no result: a script
    // must not take a cut-short sheet or object for the deposit's.
    if (outputFailed && result != DepositChecker::Result::OutputStopped) {
        Print(stderr, (Failure::Io(u"(salida estándar)"_s, errno).Message() + u'\n').toUtf8());
        result = DepositChecker::Result::OpenFailed;
    }
    if (receptionRegister)
        KeepRecord(*receptionRegister, checker.LastRecord());
    return int(result);
}

} // namespace vk7
