#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include "app/depositjson.h"

namespace vk7 {

struct Failure;

struct DepositState;
struct ReceptionResult;

// The checker's JSON object, its members in a fixed order: the verdicts,
// the form, the fingerprints, the errors, the other documents, what can be
// printed, validity, the file warnings, the diagnostic sheet, and what the
// load pass read ("fields", "texts", "images"). UTF-8, one member a line.
// `exitCode` and `openStatus` ("" once the deposit was opened) close it, as
// they close the object of a deposit that could not be opened.
struct CheckJsonOptions
{
    bool texts = true;    // the "texts" member (the documents' pages as read)
    bool compact = false; // the whole object on one line (JSON Lines)
    // Members put first, in this order (a batch's "line" and "medium").
    QList<QPair<QString, QJsonValue>> leading;
    // The files behind the manifest verdicts.
    QStringList missingFiles;
    QStringList unlistedFiles;
    int exitCode = -1; // the program's; -1: from the verdict (0 valid, 1 not)
    // What the load pass read ("fields", "texts", "images", the other
    // documents' names) and "workFolder": left out of the register's record.
    bool loaded = true;
};
QByteArray BuildCheckJson(const DepositState &state, const ReceptionResult &result,
                          const CheckJsonOptions &options = {});
// The same object written into `write` as it is made, the texts one page at
// a time (while the deposit is open: they are read back from its work
// copy); false when the sink refused a piece.
bool WriteCheckJson(const DepositState &state, const ReceptionResult &result,
                    const CheckJsonOptions &options, const JsonSink &write);

// The object of a deposit that could not be opened (exit code 2): the Open
// dialog's status text in "openStatus", "valid" false.
QByteArray BuildOpenFailureJson(const QString &status, const CheckJsonOptions &options = {});

// The object of a check stopped by a failure of the machine (exit code 2):
// "exitCode", "openStatus" (the Open dialog's status when the Open failed,
// else "") and "ioFailure" ({"file", "systemError", "text", "message"}),
// and no verdict member at all: nothing was decided about the deposit.
QByteArray BuildIoFailureJson(const Failure &failure, const QString &status,
                              const CheckJsonOptions &options = {});

} // namespace vk7
