#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace vk7 {

class IUserInterface;

// What the command line asks for.
struct CheckerOptions
{
    QString root;   // host folder for drive C:; empty: the default private one
    QString driveA; // host folder for drive A:; empty: none
    QString diskettes = QStringLiteral("1");
    bool json = false;
    QString medium;      // FICHERO.TXT or a folder holding it
    QString fingerprint; // as typed
};

// What the check found. Later steps of the chain add their findings here and
// to both renderings.
struct CheckerReport
{
    QString workFolderHost; // where the deposit was copied
    QString structureStatus;
    QString completenessStatus;
    QString typedFingerprint;
    QString computedFingerprint;
    QString fingerprintVerdict; // "CORRECTA" or "ERRONEA"

    QJsonObject ToJson() const;
    QString ToText() const;
};

// Parses the arguments (the program name first). False with a message in
// `error` when they are wrong; `helpRequested` when --help was given, with
// the help text in `error`.
bool ParseCheckerArguments(const QStringList &arguments, CheckerOptions &options,
                           bool &helpRequested, QString &error);

// The reception chain run from the command line, one step after the other as
// the desktop program's Open command runs them.
class DepositChecker
{
public:
    enum class Result {
        Checked = 0,    // the chain ran; the verdicts are in the report
        Usage = 1,      // the options cannot be used (drive roots)
        OpenFailed = 2, // validation or copying failed; `error` holds the status text
    };

    DepositChecker(const CheckerOptions &options, IUserInterface &ui);

    Result Run(CheckerReport &report, QString &error);

private:
    bool SetUpDrives(QString &error);
    QString ManifestLocation() const;
    // Steps of the chain after the deposit is in the work folder.
    void CheckManifest(CheckerReport &report);
    void CheckFingerprint(CheckerReport &report);

    CheckerOptions m_options;
    IUserInterface &m_ui;
    QString m_workFolder; // "C:\TMP_VK7"
};

// The whole program: parse, run, print. Returns the exit code.
int RunCheckerProgram(const QStringList &arguments, IUserInterface &ui);

} // namespace vk7
