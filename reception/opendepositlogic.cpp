#include "opendepositlogic.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QRegularExpression>

#include "codepages.h"
#include "failure.h"
#include "filetools.h"
#include "fingerprint.h"
#include "hostfiles.h"
#include "manifest.h"
#include "paths.h"
#include "plaintext.h"
#include "userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

QByteArray Join(const QByteArray &folder, const QByteArray &name)
{
    QByteArray path = folder;
    if (!path.endsWith('/'))
        path += '/';
    return path + name;
}

// Bytes a file takes on a file system of allocation unit `unit`.
qint64 Allocated(qint64 size, qint64 unit)
{
    return unit > 0 ? (size + unit - 1) / unit * unit : size;
}

// A medium's file name as text. One that is not UTF-8 is read in the
// deposits' own code page, Windows-1252, and the work copy gets that name in
// UTF-8, so that the manifest's entry finds it and every later step can
// name it.
QString DisplayName(const QByteArray &raw)
{
    const QString utf8 = QString::fromUtf8(raw);
    return utf8.toUtf8() == raw ? utf8 : DecodeWindows1252(raw);
}

} // namespace

OpenDepositLogic::OpenDepositLogic(IUserInterface &ui) : ui_(ui) {}

QString OpenDepositLogic::DefaultLocation()
{
    return u"A:\\FICHERO.TXT"_s;
}

QString OpenDepositLogic::ManifestName()
{
    return u"FICHERO.TXT"_s;
}

QString OpenDepositLogic::BrowseTitle()
{
    return u"Buscar la situación del FICHERO.TXT"_s;
}

QString OpenDepositLogic::DialogTitle()
{
    return u"Abrir un Depósito Digital"_s;
}

void OpenDepositLogic::SetStatus(const QString &text)
{
    status_ = text;
    ui_.ShowStatus(status_);
}

void OpenDepositLogic::TransferToControls()
{
    if (membersChanged)
        membersChanged();
}

void OpenDepositLogic::Initialize()
{
    location = DefaultLocation();
    diskettes = u"1"_s;
    CFileTools tools;
    tools.CreateFolderChain(WorkFolder());
    tools.DeleteMatchingFiles(WorkFolder() + u"*.*"_s, false);
    TransferToControls();
}

bool OpenDepositLogic::Validate()
{
    SetStatus(QString());
    focus_ = Focus::None;
    bool passed = true;
    // A location on the removable medium (what "&Buscar" returns) is a
    // location on A:, so the diskette rules apply to it.
    location = PathResolver::OnDrive(u'A', location);

    // A count of diskettes that is not a whole number of at least one copies
    // nothing: a typing mistake, never a reception of an empty deposit.
    if (!IsDisketteCount(diskettes)) {
        SetStatus(u"ERROR. Número de Disquetes. (Obligado : 1 o más)"_s);
        focus_ = Focus::Diskettes;
        passed = false;
    }
    if (fingerprint.toUcs4().size() != kFingerprintLength) {
        SetStatus(u"ERROR. Longitud Huella Digital. (Obligado : 26)"_s);
        focus_ = Focus::Fingerprint;
        passed = false;
    }
    if (AsciiUpper(location.right(ManifestName().size())) != ManifestName()) {
        SetStatus(u"ERROR. Fichero incorrecto. (Obligado : %1)"_s.arg(ManifestName()));
        focus_ = Focus::Location;
        passed = false;
    }
    PathResolver::EntryKind kind;
    if (!PathResolver::Lookup(location, &kind) || kind == PathResolver::EntryKind::Folder) {
        QString text = u"ERROR. Fichero incorrecto. (No encontrado : %1)"_s.arg(ManifestName());
        if (OnMediumDrive(location) && NoMediumIn())
            text += u" "_s + NoMediumText();
        SetStatus(text);
        focus_ = Focus::Location;
        passed = false;
    }
    if (passed)
        sourceFolder = location.left(location.size() - ManifestName().size());
    TransferToControls();
    return passed;
}

OpenDepositLogic::Outcome OpenDepositLogic::Accept(std::stop_token stop)
{
    stop_ = std::move(stop);
    stopped_ = false;
    failure_ = Failure();
    if (!Validate())
        return Outcome::StayOpen;
    notCopied.clear();

    const bool prompting = location.left(2) == u"A:"_s;
    if (!prompting)
        diskettes = u"1"_s;
    const int count = CAtoi(diskettes);
    copiedFiles.clear();
    QStringList copiedMedium; // what the last diskette held, to notice it again
    for (int i = 1; i <= count; ++i) {
        // Cancel at the first diskette ends the reception before anything
        // is copied; at a later one the deposit is what came so far.
        if (prompting && !AskForDiskette(i, copiedMedium)) {
            if (i == 1) {
                Stop();
                return Outcome::StayOpen;
            }
            break;
        }
        if (prompting)
            copiedMedium = MediumContents();
        if (!CopyMediumToWorkFolder())
            return Outcome::StayOpen;
    }
    location = WorkFolder();
    TransferToControls();
    return Outcome::Accepted;
}

bool OpenDepositLogic::AskForDiskette(int number, const QStringList &previous)
{
    QString text = u"Introducir disquete nº : %1"_s.arg(number);
    for (;;) {
        SetStatus(text);
        const IUserInterface::Answer answer =
            ui_.ShowMessage(status_, u"AVISO"_s, IUserInterface::Buttons::OkCancel,
                            IUserInterface::Icon::Information);
        if (answer == IUserInterface::Answer::Cancel)
            return false;
        // The clerk may answer before the swap is done: the old diskette
        // still in, or the new one not mounted yet. Asked again until it is.
        const QString prompt = u"Introducir disquete nº : %1"_s.arg(number);
        if (number > 1 && NoMediumIn())
            text = NoMediumText() + u" "_s + prompt;
        else if (number > 1 && !previous.isEmpty() && MediumContents() == previous)
            text = u"El disquete de la unidad A: es el nº : %1. "_s.arg(number - 1) + prompt;
        else
            return true;
    }
}

bool OpenDepositLogic::OnMediumDrive(const QString &path)
{
    return AsciiUpper(path.left(2)) == u"A:"_s;
}

bool OpenDepositLogic::NoMediumIn()
{
    const QString root = PathResolver::DriveRoot(u'A');
    // Without any drive A: (a checker with no --drive-a) a location on it is
    // simply not found.
    if (root.isEmpty())
        return PathResolver::HasDriveRootSource(u'A');
    return !QFileInfo(root).isDir();
}

bool OpenDepositLogic::IsDisketteCount(const QString &text)
{
    // Plain digits, as few as a clerk types; atoi reads them whole.
    static const QRegularExpression digits(u"^[0-9]{1,6}$"_s);
    return digits.match(text).hasMatch() && CAtoi(text) >= 1;
}

QString OpenDepositLogic::NoMediumText()
{
    return u"No hay ningún disquete en la unidad A:."_s;
}

QStringList OpenDepositLogic::MediumContents() const
{
    // The names, sizes and times of the source folder's entries: a diskette
    // put in again shows the same, the next one of a deposit does not.
    const QString host =
        sourceFolder.isEmpty() ? QDir::currentPath() : PathResolver::Resolve(sourceFolder);
    QStringList contents;
    if (host.isEmpty())
        return contents;
    const QFileInfoList entries = QDir(host).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries)
        contents.append(u"%1|%2|%3"_s.arg(entry.fileName())
                            .arg(entry.size())
                            .arg(entry.lastModified().toMSecsSinceEpoch()));
    return contents;
}

bool OpenDepositLogic::Stop()
{
    // What was copied goes: a deposit in pieces must not stay in the work
    // folder. The medium is never written.
    stopped_ = true;
    failure_ = Failure::Stopped();
    CFileTools().DeleteMatchingFiles(WorkFolder() + u"*.*"_s, false);
    SetStatus(StoppedText());
    TransferToControls();
    return false;
}

QString OpenDepositLogic::StoppedText()
{
    return u"Recepción cancelada"_s;
}

void OpenDepositLogic::Cancel()
{
    location.clear();
    TransferToControls();
}

void OpenDepositLogic::BeginBrowse()
{
    SetStatus(QString());
}

void OpenDepositLogic::EndBrowse(bool confirmed, const QString &chosenPath)
{
    if (!confirmed)
        return;
    location = chosenPath;
    focus_ = Focus::Accept;
    TransferToControls();
}

bool OpenDepositLogic::CopyMediumToWorkFolder()
{
    SetStatus(QString());
    const QString pattern = sourceFolder + u"*.*"_s;
    const QString sourceHostText =
        sourceFolder.isEmpty() ? QDir::currentPath() : PathResolver::Resolve(sourceFolder);
    const QByteArray sourceHost = QFile::encodeName(sourceHostText);
    const QByteArray workHost = QFile::encodeName(PathResolver::Resolve(WorkFolder()));

    // Names are listed as raw bytes, so a file whose name is not UTF-8 (a
    // medium mounted with a legacy character set) can still be read.
    QList<QByteArray> names;
    if (sourceHost.isEmpty() || !hostfiles::ListFolder(sourceHost, names) || names.isEmpty()) {
        SetStatus(u"ERROR. Copiando ficheros (%1)"_s.arg(pattern));
        TransferToControls();
        return false;
    }
    // A medium that is the work folder itself is already in place.
    if (!workHost.isEmpty() && hostfiles::SameFile(sourceHost, workHost)) {
        for (const QByteArray &name : std::as_const(names)) {
            if (hostfiles::KindOf(Join(sourceHost, name)) == hostfiles::Kind::File)
                copiedFiles.insert(AsciiUpper(DisplayName(name)));
        }
        TransferToControls();
        return true;
    }

    // Work-folder names by their upper-cased form (ASCII letters only, as
    // QByteArray::toUpper does): a name from an earlier diskette is replaced
    // whatever its letter case.
    QHash<QByteArray, QByteArray> existing;
    QList<QByteArray> workNames;
    hostfiles::ListFolder(workHost, workNames);
    for (const QByteArray &name : std::as_const(workNames))
        existing.insert(name.toUpper(), name);

    // Folders, and links, devices and pipes a deposit never holds, are left.
    auto copied = [&sourceHost](const QByteArray &name) {
        const hostfiles::Kind kind = hostfiles::KindOf(Join(sourceHost, name));
        return kind == hostfiles::Kind::Missing || kind == hostfiles::Kind::File;
    };
    auto upperName = [](const QByteArray &name) {
        return QFile::encodeName(DisplayName(name)).toUpper();
    };
    // Names that differ only in letter case stand for one file: the first in
    // byte order (capitals before small letters: "DATOS.ASC", then
    // "Datos.asc", then "datos.asc") is copied, whatever the listing order.
    QHash<QByteArray, QByteArray> chosen;
    for (const QByteArray &name : std::as_const(names)) {
        if (!copied(name))
            continue;
        const QByteArray upper = upperName(name);
        const auto at = chosen.constFind(upper);
        if (at == chosen.constEnd() || name < at.value())
            chosen.insert(upper, name);
    }

    // Room for the copy and for the fingerprint's concatenation of the whole
    // deposit (what earlier diskettes left included), checked before anything
    // in the work folder is replaced: a copy that stops on a full disk would
    // leave a deposit in pieces.
    qint64 freeBytes = 0;
    qint64 unit = 0;
    if (hostfiles::FreeSpace(workHost, &freeBytes, &unit)) {
        qint64 incoming = 0;
        for (const QByteArray &name : std::as_const(chosen))
            incoming +=
                Allocated(qMax<qint64>(0, hostfiles::FileSize(Join(sourceHost, name))), unit);
        qint64 present = 0;
        for (const QByteArray &name : std::as_const(workNames))
            present += Allocated(qMax<qint64>(0, hostfiles::FileSize(Join(workHost, name))), unit);
        const qint64 needed = 2 * incoming + present;
        if (needed > freeBytes) {
            SetStatus(u"ERROR. No hay espacio en la unidad C: para el Depósito Digital: hacen "
                      u"falta %1 KB libres (la copia y el cálculo de la huella) y quedan %2 KB."_s
                          .arg((needed + 1023) / 1024)
                          .arg(freeBytes / 1024));
            TransferToControls();
            return false;
        }
    }

    // The progress bar follows the bytes copied of all there is to copy.
    qint64 totalBytes = 0;
    for (const QByteArray &name : std::as_const(chosen))
        totalBytes += qMax<qint64>(0, hostfiles::FileSize(Join(sourceHost, name)));
    qint64 doneBytes = 0;
    const auto progress = [&](qint64 bytes) { ui_.ShowProgress(doneBytes + bytes, totalBytes); };
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (stop_.stop_requested())
            return Stop();
        const QByteArray &name = names.at(i);
        const QByteArray sourcePath = Join(sourceHost, name);
        const QString displayName = DisplayName(name);
        const QString source = sourceFolder + displayName;
        // What is left is said: the clerk may have been handed a link where
        // the deposit's file should be. Sub-folders are no part of a deposit.
        QString reason;
        switch (hostfiles::KindOf(sourcePath)) {
        case hostfiles::Kind::Link:
            reason = u"enlace simbólico"_s;
            break;
        case hostfiles::Kind::Other:
            reason = u"no es un fichero"_s;
            break;
        case hostfiles::Kind::Folder:
            continue;
        case hostfiles::Kind::File:
        case hostfiles::Kind::Missing:
            if (const QByteArray first = chosen.value(upperName(name)); first != name)
                reason = u"repite el nombre de %1"_s.arg(DisplayName(first));
            break;
        }
        if (!reason.isEmpty()) {
            notCopied.append(u"%1 no se copia: %2"_s.arg(displayName, reason));
            SetStatus(u"%1 no se copia: %2"_s.arg(source, reason));
            TransferToControls();
            continue;
        }
        const QString target = WorkFolder() + displayName;
        const QByteArray targetName = QFile::encodeName(displayName);
        const QByteArray upper = targetName.toUpper();
        const QByteArray targetPath = Join(workHost, existing.value(upper, targetName));
        hostfiles::RemoveFile(targetPath);
        for (;;) {
            SetStatus(u"Copiando fichero %1 -> %2"_s.arg(source, target));
            TransferToControls();
            const Failure failure =
                workHost.isEmpty()
                    ? Failure::Data(hostfiles::MissingFileText(target))
                    : hostfiles::CopyFile(sourcePath, targetPath, false, progress, stop_);
            if (!failure.Failed())
                break;
            if (stop_.stop_requested())
                return Stop();
            const QString question = u"No se puede copiar el fichero "_s + source + u"\n"_s +
                                     u"sobre "_s + target + u"\n\n"_s + u"¿ Reintentar ?"_s;
            const IUserInterface::Answer answer = ui_.ShowMessage(
                question, u"AVISO"_s, IUserInterface::Buttons::YesNo, IUserInterface::Icon::Stop);
            if (answer != IUserInterface::Answer::Yes) {
                // The status keeps its text; the reception reports the system's.
                failure_.KeepFirst(failure);
                SetStatus(u"ERROR. Copiando fichero (%1 -> %2)"_s.arg(source, target));
                TransferToControls();
                return false;
            }
        }
        existing.insert(upper, existing.value(upper, targetName));
        copiedFiles.insert(AsciiUpper(displayName));
        doneBytes += qMax<qint64>(0, hostfiles::FileSize(targetPath));
    }
    TransferToControls();
    return true;
}

} // namespace vk7
