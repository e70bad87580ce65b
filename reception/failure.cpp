#include "failure.h"

#include <cerrno>

#include "hostfiles.h"

using namespace Qt::StringLiterals;

namespace vk7 {

Failure Failure::Io(const QString &file, int error)
{
    Failure failure;
    failure.kind = Kind::Io;
    failure.file = file;
    failure.systemError = error;
    failure.text = SystemErrorText(error);
    return failure;
}

Failure Failure::Io(const QByteArray &hostFile, int error)
{
    return Io(QString::fromLocal8Bit(hostFile), error);
}

Failure Failure::Stopped()
{
    Failure failure = Io(QString(), ECANCELED);
    failure.kind = Kind::Stopped;
    return failure;
}

void Failure::KeepFirst(const Failure &other)
{
    if (!EndsWork() && other.EndsWork())
        *this = other;
}

Failure Failure::Data(const QString &text, const QString &file)
{
    Failure failure;
    failure.kind = Kind::Data;
    failure.file = file;
    failure.text = text;
    return failure;
}

QString Failure::Message() const
{
    if (EndsWork())
        return u"ERROR de lectura o escritura en el archivo %1: %2"_s.arg(file, text);
    return text;
}

QString SystemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return u"No queda espacio en el disco"_s;
    case EDQUOT:
        return u"Se ha superado la cuota de disco"_s;
    case EIO:
        return u"Error de entrada/salida"_s;
    case EACCES:
    case EPERM:
        return u"Permiso denegado"_s;
    case EROFS:
        return u"El sistema de archivos es de sólo lectura"_s;
    case ENOMEM:
        return u"No hay memoria suficiente"_s;
    case EMFILE:
    case ENFILE:
        return u"Hay demasiados archivos abiertos"_s;
    case EFBIG:
    case EOVERFLOW:
        return u"El archivo es demasiado grande"_s;
    case ENOENT:
        return u"El archivo existe pero no se ha podido abrir"_s;
    case EBADF:
        return u"Descriptor de archivo no válido"_s;
    case EINVAL:
    case EFAULT:
        return u"Argumento no válido"_s;
    case EAGAIN:
        return u"El recurso no está disponible por ahora"_s;
    case ENAMETOOLONG:
        return u"El nombre del archivo es demasiado largo"_s;
    case EINTR:
        return u"La operación se ha interrumpido"_s;
    case ENXIO:
    case ENODEV:
        return u"El dispositivo no existe"_s;
    case EISDIR:
        return u"Es una carpeta"_s;
    case ETXTBSY:
        return u"El archivo está ocupado"_s;
    case ESTALE:
        return u"El archivo ya no está disponible en el servidor"_s;
    case 0:
        return u"Error del sistema sin número"_s;
    default:
        return u"Error del sistema %1"_s.arg(error);
    }
}

bool IsMachineOpenFailure(const QByteArray &hostPath, int error)
{
    // An existing regular file the system would not open is the machine's
    // fault, whatever the reason it gives.
    if (hostfiles::KindOf(hostPath) == hostfiles::Kind::File)
        return true;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENXIO:
    case EISDIR:
        return false; // absent, or not a file: the deposit's business
    default:
        return true;
    }
}

} // namespace vk7
