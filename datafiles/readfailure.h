#pragma once

#include <QString>

#include "reception/failure.h"

namespace vk7 {

// How a data-file reader fails, in the status line's own words; `name` is the
// file as the deposit names it.
// "ERROR Leyendo WHAT. Fichero: NAME": the file does not open.
Failure CannotReadFailure(const QString &what, const QString &name);
// "ERROR Formato del Fichero: NAME Incorrecto": a line stopped the reading.
Failure BadFormatFailure(const QString &name);

} // namespace vk7
