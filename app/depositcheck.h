#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/checkreport.h"
#include "components/printdevice.h"
#include "verification/printoutput.h"

namespace vk7 {

class Clock;
class IUserInterface;

// One run of the command-line check.
struct DepositCheckOptions
{
    QString medium; // FICHERO.TXT on the medium, or the folder holding it
    QString diskettes = QStringLiteral("1");
    QString fingerprint;          // as typed
    QString appFolder;            // the program's folder, with a trailing backslash
    bool json = false;            // the JSON object instead of the sheet
    bool formPages = false;       // also export the filled form pages
    CheckJsonOptions jsonOptions; // texts, one line, leading members
    // The print output: the boxes ticked (absent: the state window's own
    // preselection), on the CUPS queue `printer` (empty: the default) or,
    // when `pdfPath` (a host path) is given, into that one PDF file.
    bool print = false;
    std::optional<OutputTicks> printTicks;
    QString printer;
    int copies = 1;         // copies of each job, as lp -n
    QStringList jobOptions; // CUPS job options, as lp -o
    QString pdfPath;
    // Fill DepositCheckOutput's register members (the reception register is on).
    bool keepRecord = false;
};

struct DepositCheckOutput
{
    // 0 valid, 1 not valid, 2 validation or copy failed, 3 the print output
    // stopped on one of its errors (or its PDF could not be written)
    int exitCode = 2;
    QByteArray standardOutput; // UTF-8
    QByteArray standardError;  // UTF-8
    // With keepRecord: the deposit's members for the register's record
    // (ReceptionRecord), and the jobs printed, on which queue (or PDF file).
    QJsonObject recordMembers;
    QString printQueue;
    QList<PrintedJob> printedJobs;
    // The failure of the machine that ended the check with exit code 2
    // (Kind::None when none).
    Failure ioFailure;
};

// Where a check writes as it goes, instead of into DepositCheckOutput: its
// standard error text first, then its standard output. A JSON object's texts
// are then written page by page while the deposit is still open, so that a
// text of any size is never held whole.
struct DepositCheckStreams
{
    std::function<void(QByteArrayView)> error;
    JsonSink output;
};

// The manifest's path the Open dialog wants for a medium given as the
// FICHERO.TXT itself or as the folder holding it.
QString ManifestLocation(const QString &medium);

// Receives a deposit as the Open command does (copy, manifest, form,
// fingerprint, rules, diagnosis) and leaves the diagnostic sheet's page
// images K7.D01... (and, when asked, the form pages K7.001...) in the work
// folder. `ui` answers the diskette and retry questions. With `json` the
// object is written on every outcome, a failed Open included. With `print` the
// state window's "&Imprimir" follows: ProduceDepositOutput with the ticks
// given, each job listed on standard error.
// With `streams`, both texts go there and the output's are left empty.
DepositCheckOutput RunDepositCheck(const DepositCheckOptions &options, IUserInterface &ui,
                                   const Clock &clock,
                                   const DepositCheckStreams *streams = nullptr);

} // namespace vk7
