#pragma once

#include <optional>

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "app/depositcheck.h"
#include "app/receptionrecord.h"
#include "reception/failure.h"
#include "verification/printoutput.h"

namespace vk7 {

class IUserInterface;
struct CheckJsonOptions;

// What the command line asks for: the check's own options (passed on to it
// as they are) and the drives it runs on.
struct CheckerOptions : DepositCheckOptions
{
    QString root;      // host folder for drive C:; empty: the default private one
    QString driveA;    // host folder for drive A:; empty: none
    bool texts = true; // the documents' texts in the JSON object
    // A clerk can answer the diskette prompts (standard input is a terminal).
    bool interactive = true;
    QString batchList;        // --batch: the list of deposits
    int jobs = 1;             // deposits checked at once in a batch
    QString jsonLines;        // where a batch writes its objects; empty: standard output
    bool batchWorker = false; // one job of a batch, fed by its standard input
    // The reception register: --sin-registro turns it off; --registro-listar
    // (--desde, --hasta, --nif, --csv) and --registro-verificar read it.
    bool noRegister = false;
    // --informe writes the report of a span (--desde, --hasta) to --pdf
    // and/or --html.
    enum class RegisterCommand { None, List, Verify, Report };
    RegisterCommand registerCommand = RegisterCommand::None;
    QDate listFrom;
    QDate listTo;
    QString listNif;
    bool listCsv = false;
    QString reportPdf;
    QString reportHtml;
};

// The boxes of a print list: names separated by commas ("diagnostico",
// "balance", "memoria", "gestion", "autocartera", "medioambiental",
// "auditoria", "simcav", "anuncios", "certificacion", or "todo"). A failure
// with its text for an unknown name.
Failure ParsePrintList(const QString &list, OutputTicks &ticks);

// What the arguments ask for: a check (neither member set), a text to show
// and nothing to run (--help, --version), or nothing, because they are wrong.
struct CheckerArguments
{
    QString shown;   // the help text or the version line, for standard output
    Failure failure; // wrong arguments: the text that says why
};

// Parses the arguments (the program name first) into `options`.
CheckerArguments ParseCheckerArguments(const QStringList &arguments, CheckerOptions &options);

// The reception chain run from the command line, as the desktop program's
// Open command runs it: copy, manifest, form, fingerprint, rules, diagnosis.
class DepositChecker
{
public:
    // The process's exit codes.
    enum class Result {
        Valid = 0,         // the deposit is valid
        NotValid = 1,      // it was checked and is not valid
        OpenFailed = 2,    // validation or copying failed, or the drives cannot be set up
        OutputStopped = 3, // the print output stopped on one of its errors
    };

    DepositChecker(const CheckerOptions &options, IUserInterface &ui);

    // `output` receives the sheet (or the JSON object), `errors` the file
    // warnings and failure texts, both UTF-8. The work folder is locked from
    // the Open to the last page written; when another reception holds it,
    // the check is refused without touching it.
    Result Run(QByteArray &output, QByteArray &errors);
    // The same with the JSON object's own options (a batch line's).
    Result Run(QByteArray &output, QByteArray &errors, const CheckJsonOptions &jsonOptions);
    // The same written into the streams as it is made: the errors, then the
    // sheet or the JSON object (its texts page by page).
    Result Run(const DepositCheckStreams &streams, const CheckJsonOptions &jsonOptions);

    // The register's record of the last Run, whatever its end (with
    // `keepRecord` set in the options; else empty).
    const QJsonObject &LastRecord() const { return lastRecord_; }
    // The failure of the machine that ended the last Run (Kind::None when none).
    const Failure &LastIoFailure() const { return lastIoFailure_; }

private:
    Failure SetUpDrives();

    CheckerOptions options_;
    IUserInterface &ui_;
    ReceptionRecord record_;
    QJsonObject lastRecord_;
    Failure lastIoFailure_;
};

// The whole program: parse, run (one deposit, a batch or one batch job),
// print. `appFolder` is the executable's folder. Returns the exit code.
int RunCheckerProgram(const QStringList &arguments, IUserInterface &ui, const QString &appFolder);

} // namespace vk7
