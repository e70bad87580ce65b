#pragma once

#include <QByteArray>

#include "campbdarray.h"
#include "readfailure.h"

namespace vk7 {

// Reads the accounts file DATOS.ASC into the store: a header line of 276
// characters (any other first line is a wrong format), then data records of
// 52 characters, lines of other lengths passed over, up to a second header.
// The header empties the accounts' range first. A file whose values would
// take more than 32 MB of the store is refused as a wrong format, the
// accounts' range left empty. Keys 899001 and 899002 of
// the records are left to ReadCauses. `name` is the file as the deposit
// names it, for the failure's text.
Failure ReadAccounts(CCampBDArray &fields, const QByteArray &hostPath, const QString &name);

// The first two lines of CAUSA.TXT under the keys 899001 and 899002; a file
// that cannot be opened stores nothing. The failure of the machine that kept
// the file from being read whole (Kind::None when none).
Failure ReadCauses(CCampBDArray &fields, const QByteArray &hostPath);

} // namespace vk7
