#include "depositchecker.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonDocument>

#include "reception/cfiletools.h"
#include "reception/driveroots.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool IsDrivePath(const QString &path)
{
    return path.size() >= 2 && path.at(1) == u':' && path.at(0).unicode() < 128 &&
           path.at(0).isLetter();
}

} // namespace

QJsonObject CheckerReport::ToJson() const
{
    QJsonObject object;
    object.insert(u"workFolder"_s, workFolderHost);
    object.insert(u"structureStatus"_s, structureStatus);
    object.insert(u"completenessStatus"_s, completenessStatus);
    object.insert(u"typedFingerprint"_s, typedFingerprint);
    object.insert(u"computedFingerprint"_s, computedFingerprint);
    object.insert(u"fingerprintVerdict"_s, fingerprintVerdict);
    return object;
}

QString CheckerReport::ToText() const
{
    QString text;
    text += u"Estructura : %1\n"_s.arg(structureStatus);
    text += u"Completitud : %1\n"_s.arg(completenessStatus);
    text += u"Huella Digital calculada : %1\n"_s.arg(computedFingerprint);
    text += u"Huella Digital : %1\n"_s.arg(fingerprintVerdict);
    return text;
}

bool ParseCheckerArguments(const QStringList &arguments, CheckerOptions &options,
                           bool &helpRequested, QString &error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Comprueba un Depósito Digital: lo copia a la carpeta de trabajo, revisa su "
        u"FICHERO.TXT y calcula su Huella Digital."_s);
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
    parser.addOptions({help, root, driveA, diskettes, json});
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
            u"Uso: vk7check [--root DIR] [--drive-a DIR] [--diskettes N] [--json] MEDIO HUELLA\n\n"_s +
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

QString DepositChecker::ManifestLocation() const
{
    // A folder stands for the FICHERO.TXT it holds.
    const QString medium = m_options.medium;
    PathResolver::EntryKind kind;
    if (!PathResolver::Lookup(medium, &kind) || kind != PathResolver::EntryKind::Folder)
        return medium;
    if (medium.endsWith(u'\\') || medium.endsWith(u'/'))
        return medium + OpenDepositLogic::ManifestName();
    const QChar separator = IsDrivePath(medium) ? u'\\' : u'/';
    return medium + separator + OpenDepositLogic::ManifestName();
}

DepositChecker::Result DepositChecker::Run(CheckerReport &report, QString &error)
{
    if (!SetUpDrives(error))
        return Result::Usage;

    // The Open dialog, driven from here.
    OpenDepositLogic open(m_ui);
    open.Initialize();
    open.location = ManifestLocation();
    open.diskettes = m_options.diskettes;
    open.fingerprint = m_options.fingerprint;
    if (open.Accept() != OpenDepositLogic::Outcome::Accepted) {
        error = open.status();
        return Result::OpenFailed;
    }
    m_workFolder = open.location;
    if (m_workFolder.endsWith(u'\\'))
        m_workFolder.chop(1);
    report.workFolderHost = PathResolver::Resolve(m_workFolder);
    report.typedFingerprint = open.fingerprint;

    CheckManifest(report);
    CheckFingerprint(report);
    return Result::Checked;
}

void DepositChecker::CheckManifest(CheckerReport &report)
{
    CFileTools tools;
    tools.CheckDepositFiles(m_workFolder, report.structureStatus, report.completenessStatus);
}

void DepositChecker::CheckFingerprint(CheckerReport &report)
{
    CFileTools tools(&m_ui);
    tools.ComputeDepositFingerprint(m_workFolder, report.computedFingerprint);
    report.fingerprintVerdict =
        report.computedFingerprint == report.typedFingerprint ? u"CORRECTA"_s : u"ERRONEA"_s;
}

int RunCheckerProgram(const QStringList &arguments, IUserInterface &ui)
{
    CheckerOptions options;
    bool helpRequested = false;
    QString error;
    if (!ParseCheckerArguments(arguments, options, helpRequested, error)) {
        Print(helpRequested ? stdout : stderr, error + u'\n');
        return helpRequested ? 0 : int(DepositChecker::Result::Usage);
    }
    CheckerReport report;
    DepositChecker checker(options, ui);
    const DepositChecker::Result result = checker.Run(report, error);
    if (result != DepositChecker::Result::Checked) {
        Print(stderr, error + u'\n');
        return int(result);
    }
    if (options.json)
        Print(stdout,
              QString::fromUtf8(QJsonDocument(report.ToJson()).toJson(QJsonDocument::Indented)));
    else
        Print(stdout, report.ToText());
    return int(result);
}

} // namespace vk7
