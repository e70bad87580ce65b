#include "depositchecker.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QFileInfo>

#include "app/depositcheck.h"
#include "reception/driveroots.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/userinterface.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

void Print(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

bool ParseCheckerArguments(const QStringList &arguments, CheckerOptions &options,
                           bool &helpRequested, QString &error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Comprueba un Depósito Digital como lo recibe el programa: lo copia a la carpeta "
        u"de trabajo, revisa su FICHERO.TXT, lee sus ficheros, identifica el formulario, "
        u"calcula su Huella Digital, aplica las reglas de coherencia y escribe la Hoja de "
        u"Diagnóstico (y sus páginas K7.D01... en la carpeta de trabajo). Sale con 0 si el "
        u"depósito es válido, 1 si no lo es y 2 si no se ha podido abrir."_s);
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s}, u"Muestra esta ayuda."_s);
    const QCommandLineOption root(u"root"_s,
                                  u"Carpeta que hace de unidad C: (por omisión, una carpeta "
                                  u"privada del usuario: %1)."_s.arg(DefaultDriveCRoot()),
                                  u"DIR"_s);
    const QCommandLineOption driveA(u"drive-a"_s,
                                    u"Carpeta que hace de unidad A: (punto de montaje del "
                                    u"disquete), necesaria cuando MEDIO empieza por \"A:\"."_s,
                                    u"DIR"_s);
    const QCommandLineOption diskettes(u"diskettes"_s,
                                       u"Número de disquetes (sólo para \"A:\"; por omisión 1)."_s,
                                       u"N"_s, u"1"_s);
    const QCommandLineOption json(u"json"_s, u"Escribe el resultado como un objeto JSON."_s);
    const QCommandLineOption formPages(
        u"form-pages"_s,
        u"Deja también las páginas del formulario relleno (K7.001...) en la carpeta de "
        u"trabajo."_s);
    parser.addOptions({help, root, driveA, diskettes, json, formPages});
    parser.addPositionalArgument(u"MEDIO"_s,
                                 u"Ruta del FICHERO.TXT o de la carpeta que lo contiene."_s);
    parser.addPositionalArgument(u"HUELLA"_s, u"Huella Digital del Depósito (26 caracteres)."_s);

    helpRequested = false;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        helpRequested = true;
        error =
            u"Uso: vk7check [--root DIR] [--drive-a DIR] [--diskettes N] [--json] [--form-pages] "
            u"MEDIO HUELLA\n\n"_s +
            parser.helpText().section(u'\n', 1);
        return false;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        error = u"Se esperan dos argumentos: MEDIO y HUELLA (véase --help)."_s;
        return false;
    }
    options.root = parser.value(root);
    options.driveA = parser.value(driveA);
    options.diskettes = parser.value(diskettes);
    options.json = parser.isSet(json);
    options.formPages = parser.isSet(formPages);
    options.medium = positional.at(0);
    options.fingerprint = positional.at(1);
    return true;
}

DepositChecker::DepositChecker(const CheckerOptions &options, IUserInterface &ui)
    : m_options(options), m_ui(ui)
{
}

bool DepositChecker::SetUpDrives(QString &error)
{
    const bool useDefault = m_options.root.isEmpty();
    const QString root =
        useDefault ? DefaultDriveCRoot() : QFileInfo(m_options.root).absoluteFilePath();
    if (!PrepareDriveRoot(root, useDefault)) {
        error = u"ERROR. No se puede crear la carpeta de la unidad C: (%1)"_s.arg(root);
        return false;
    }
    PathResolver::SetDriveRoot(u'C', root);
    if (!m_options.driveA.isEmpty())
        PathResolver::SetDriveRoot(u'A', QFileInfo(m_options.driveA).absoluteFilePath());
    return true;
}

DepositChecker::Result DepositChecker::Run(QByteArray &output, QByteArray &errors)
{
    QString error;
    if (!SetUpDrives(error)) {
        errors = error.toUtf8() + '\n';
        return Result::OpenFailed;
    }
    DepositCheckOptions check;
    check.medium = m_options.medium;
    check.diskettes = m_options.diskettes;
    check.fingerprint = m_options.fingerprint;
    check.appFolder = m_options.appFolder;
    check.json = m_options.json;
    check.formPages = m_options.formPages;
    const DepositCheckOutput result = RunDepositCheck(check, m_ui, DefaultClock());
    output = result.standardOutput;
    errors = result.standardError;
    return Result(result.exitCode);
}

int RunCheckerProgram(const QStringList &arguments, IUserInterface &ui, const QString &appFolder)
{
    CheckerOptions options;
    bool helpRequested = false;
    QString error;
    if (!ParseCheckerArguments(arguments, options, helpRequested, error)) {
        Print(helpRequested ? stdout : stderr, (error + u'\n').toUtf8());
        return helpRequested ? 0 : int(DepositChecker::Result::OpenFailed);
    }
    options.appFolder = appFolder;
    QByteArray output;
    QByteArray errors;
    DepositChecker checker(options, ui);
    const DepositChecker::Result result = checker.Run(output, errors);
    ui.ShowStatus(QString());
    Print(stderr, errors);
    Print(stdout, output);
    return int(result);
}

} // namespace vk7
