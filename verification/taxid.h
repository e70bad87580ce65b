#pragma once

#include <QString>

namespace vk7 {

// Spanish tax identification numbers: a company's NIF, a person's DNI and the
// numbers given to foreigners and to Spaniards without a DNI (K, L, M, X).
// Blanks are ignored and letters compared in upper case. With entitiesOnly
// set, only a legal entity's number can be valid.
bool IsValidTaxId(const QString &text, bool entitiesOnly);

} // namespace vk7
