#pragma once

#include <QByteArray>

namespace vk7 {

struct DepositState;
struct ReceptionResult;

// The checker's JSON object, its members in a fixed order: the verdicts,
// the form, the fingerprints, the errors, the other documents, what can be
// printed, validity, the file warnings, the diagnostic sheet, and what the
// load pass read ("fields", "texts", "images"). UTF-8, one member a line.
QByteArray BuildCheckJson(const DepositState &state, const ReceptionResult &result);

} // namespace vk7
