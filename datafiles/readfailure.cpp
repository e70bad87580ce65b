#include "readfailure.h"

using namespace Qt::StringLiterals;

namespace vk7 {

Failure CannotReadFailure(const QString &what, const QString &name)
{
    return Failure::Data(u"ERROR Leyendo "_s + what + u". Fichero: "_s + name, name);
}

Failure BadFormatFailure(const QString &name)
{
    return Failure::Data(u"ERROR Formato del Fichero: "_s + name + u" Incorrecto"_s, name);
}

} // namespace vk7
