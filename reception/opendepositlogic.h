#pragma once

#include <functional>
#include <stop_token>

#include <QSet>
#include <QString>
#include <QStringList>

#include "failure.h"

namespace vk7 {

class IUserInterface;

// What the Open dialog ("Abrir un Depósito Digital") does, without a window:
// it empties the work folder, validates the clerk's entries and copies the
// deposit from its medium, diskette by diskette, into the work folder. A
// dialog or a terminal front end sets the members from its fields, calls the
// operations and shows the members whenever they change; every new `status`
// text goes to the interface's ShowStatus as it is set, and the copy reports
// its progress through ShowProgress.
class OpenDepositLogic
{
public:
    enum class Focus { None, Location, Diskettes, Fingerprint, Accept };
    enum class Outcome { Accepted, StayOpen };

    explicit OpenDepositLogic(IUserInterface &ui);

    // The dialog's members, exchanged with its fields.
    QString location;    // path of the manifest
    QString diskettes;   // number of diskettes, as typed
    QString fingerprint; // as typed
    QString number;      // registry entry, hidden: kept as pre-filled
    QString date;
    int formSelection = -1;
    QString sourceFolder; // folder part of the location, set by validation

    const QString &status() const { return status_; }
    Focus focus() const { return focus_; }

    // Called where the members should be shown again in the fields.
    std::function<void()> membersChanged;

    // Default location and number of diskettes; makes the work folder and
    // deletes every file in it (the previous deposit's copy).
    void Initialize();

    // The checks (the number of diskettes, the fingerprint's length, the
    // location's name and existence); all run, the last failing one decides
    // the status text and the focus. True when none failed.
    bool Validate();

    // Validation, then the diskette loop and the copy. Accepted: the deposit
    // is in the work folder and `location` is "C:\TMP_VK7\". StayOpen: the
    // status says why. The copy stops at its next piece once `stop` says so
    // (the job's own token; none for the command line).
    Outcome Accept(std::stop_token stop = {});

    // Whether the last Accept was stopped by the clerk (its stop token, at
    // the next file or megabyte of the copy, or Cancel at the prompt for the
    // first diskette): the work folder is emptied and the status is
    // StoppedText().
    bool stopped() const { return stopped_; }
    // The failure of the machine that ended the last Accept's copy, when the
    // clerk would not retry it, or the clerk's stop (Kind::None when none).
    const Failure &failure() const { return failure_; }
    static QString StoppedText(); // "Recepción cancelada"

    // Cancel: location emptied.
    void Cancel();

    // Browse: status emptied before the file dialog; a confirmed choice
    // becomes the location and the focus goes to the accept button.
    void BeginBrowse();
    void EndBrowse(bool confirmed, const QString &chosenPath);

    // Copies every regular file of the source folder (not sub-folders, links,
    // devices or pipes) into the work folder, asking whether to retry a file
    // that cannot be copied. Never writes to the medium. Each item left
    // that a deposit's file could be (a link, a device or pipe, a second name
    // for a file) is said on the status line and noted in `notCopied`.
    bool CopyMediumToWorkFolder();

    // The upper-cased names the last Accept copied into the work folder:
    // the deposit's own files, as against what the program writes there.
    QSet<QString> copiedFiles;

    // A whole number of at least 1 in plain digits.
    static bool IsDisketteCount(const QString &text);

    // "NAME no se copia: REASON" for each such item of the last copy of
    // every diskette, in listing order; emptied by Initialize.
    QStringList notCopied;

    static QString DefaultLocation(); // "A:\FICHERO.TXT"
    static QString ManifestName();    // "FICHERO.TXT"
    static QString BrowseTitle();     // "Buscar la situación del FICHERO.TXT"
    static QString DialogTitle();     // "Abrir un Depósito Digital"

private:
    // The prompt for diskette `number`, asked again while no medium is in
    // or the one in holds what the previous diskette held (`previous`);
    // false when the clerk cancels.
    bool AskForDiskette(int number, const QStringList &previous);
    QStringList MediumContents() const;
    static bool OnMediumDrive(const QString &path);
    // Drive A: follows the removable medium and none is mounted now.
    static bool NoMediumIn();
    static QString NoMediumText();
    void SetStatus(const QString &text);
    void TransferToControls();
    bool Stop();

    IUserInterface &ui_;
    QString status_;
    Focus focus_ = Focus::None;
    std::stop_token stop_; // the running Accept's
    bool stopped_ = false;
    Failure failure_;
};

} // namespace vk7
