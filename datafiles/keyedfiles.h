#pragma once

#include <QByteArray>

#include "depositstate.h"
#include "readfailure.h"

namespace vk7 {

// The data files of "02KKKKKKKvalue" lines, one value a line under a
// seven-digit key; lines of other record types are passed over.
enum class KeyedFile {
    Shares,        // ACCIONES.ASC, kSharesFileKeys
    Certification, // CERTIF.ASC, kCertificationKeys
    Application    // INSTANCIA.ASC, kApplicationFileKeys and the form code 781010
};

// Reads one keyed file into the deposit, emptying its range first (once the
// file has opened). A line shorter than ten characters stops the reading as
// a wrong format, leaving what was stored before it. A file whose values
// would take more than 4 MB of the store, or an application file naming more
// than a thousand other documents, is refused whole: wrong format, its range
// (and the names) left empty. `name` is the file as the deposit names it,
// for the failure's text.
Failure ReadKeyedValues(DepositState &state, KeyedFile which, const QByteArray &hostPath,
                        const QString &name);

} // namespace vk7
