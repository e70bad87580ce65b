#pragma once

#include <memory>

#include <QJsonObject>

#include "registry/receptionregister.h"

namespace vk7 {

struct CheckerOptions;

// The register the command line records into: none with --sin-registro or
// VK7_REGISTRO=off. A setting that names no store is said on standard error
// and the reception goes on unrecorded.
std::unique_ptr<ReceptionRegister> OpenConfiguredRegister(const CheckerOptions &options);

// Adds one reception's record; where it went, when not to the store, is
// said on standard error. Never changes the reception's outcome.
void KeepRecord(ReceptionRegister &receptionRegister, const QJsonObject &record);

// --registro-listar (JSON lines or CSV on standard output) and
// --registro-verificar (0 when the chain is whole, 1 naming the first record
// that does not match). Records waiting in the local spool are delivered
// first. 2 when the register cannot be read. Returns the exit code.
int RunRegisterCommand(const CheckerOptions &options);

// The batch's word on its records when some wait in the local spool,
// for standard error; empty when none do or the register is off.
QString PendingRecordsNotice(const CheckerOptions &options);

} // namespace vk7
