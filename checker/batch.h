#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "reception/failure.h"

namespace vk7 {

class IUserInterface;
struct CheckerOptions;

// One deposit of a batch list: "MEDIO<TAB>HUELLA".
struct BatchEntry
{
    int line = 0; // 1-based line number in the list
    QString medium;
    QString fingerprint;
    QString error; // set when the line itself is malformed (no tab)
};

// Reads a batch list: UTF-8 text, one deposit a line, empty lines and lines
// starting with "#" skipped, a CR before the line end ignored. A failure
// with its message when the text is not UTF-8.
Failure ParseBatchList(const QByteArray &bytes, QList<BatchEntry> &entries);

// The batch's exit code from its tally: 2 when any deposit could not be
// opened, else 1 when any is not valid, else 0.
int BatchExitCode(int valid, int notValid, int failed);

// --batch: the list's deposits checked by `options.jobs` jobs, each a
// vk7check process (`program`) with a drive C: of its own, fed one deposit
// at a time. One JSON object a line goes to --json-lines or standard
// output, copied in pieces from the file its job wrote it to (never held
// whole), with what the job wrote to standard error for that deposit as its
// "errorOutput" member; the tally goes to standard error. Ctrl+C stops the
// jobs, removes their work folders and leaves only whole lines written.
// Returns the exit code.
int RunBatch(const CheckerOptions &options, const QString &program);

// One job of a batch: reads "LINE<TAB>MEDIO<TAB>HUELLA" lines from standard
// input, checks each deposit as a single vk7check does, writes its JSON
// object as it is made into the file beside its drive C: root (the root's
// name and ".json"), and once the object is whole, its exit code as one
// line to standard output.
int RunBatchWorker(const CheckerOptions &options, IUserInterface &ui);

} // namespace vk7
