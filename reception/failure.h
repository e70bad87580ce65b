#pragma once

#include <QByteArray>
#include <QString>

namespace vk7 {

// What went wrong in an operation, as a value: the kind of fault, the file it
// happened on and the system's own Spanish text for it. A failure of the
// machine (a read, a write, an open or a close the system refused: a full
// disk, a failing medium) is told apart from content that is wrong, because
// only the latter may become a verdict on a deposit: a check that met an
// I/O failure stops and says so instead of judging the deposit.
//
// The clerk's stop is an outcome of its own: like a failure of the machine it
// ends the work and nothing the work left is judged, but it is never shown
// as a fault. Operations return a Failure (or a result carrying one); `None`
// is success. A step that runs several others keeps the first failure that
// ends the work (KeepFirst) and hands it back in its own result.
struct Failure
{
    enum class Kind {
        None,   // no failure
        Io,     // the machine failed: nothing can be said about the deposit
        Data,   // the content is wrong; `text` says how
        Stopped // the clerk stopped the work
    };

    Kind kind = Kind::None;
    QString file;        // the file, as the host names it
    int systemError = 0; // the system's error number (errno), for Io
    QString text;        // the system's Spanish text ("No queda espacio en el disco")

    bool Failed() const { return kind != Kind::None; }
    bool IsIo() const { return kind == Kind::Io; }
    bool IsStop() const { return kind == Kind::Stopped; }
    // Whether the work ends here and nothing it left may be judged: a
    // failure of the machine or the clerk's stop.
    bool EndsWork() const { return kind == Kind::Io || kind == Kind::Stopped; }

    // Takes `other` when this holds nothing that ends the work yet and
    // `other` does: the first such failure of a run of steps is the one told.
    void KeepFirst(const Failure &other);

    // An I/O failure on `file` with the system error `error` (errno).
    static Failure Io(const QString &file, int error);
    static Failure Io(const QByteArray &hostFile, int error);
    // The clerk's stop. Written into records as the system's "operation
    // cancelled" (ECANCELED), the number those records have always carried.
    static Failure Stopped();
    // Content or input that is wrong, with the system's text for it.
    static Failure Data(const QString &text, const QString &file = QString());

    // "ERROR de lectura o escritura en el archivo FILE: TEXT"
    QString Message() const;
};

// The Spanish text of a system error number ("No queda espacio en el disco"
// for ENOSPC); "Error del sistema N" for one without a text of its own.
QString SystemErrorText(int error);

// Whether a failed open of a file to read, with `error` (errno), is a fault
// of the machine rather than the file's absence: a name that is missing or
// not a file (ENOENT, ENOTDIR, a link where none is followed, a socket) is
// the deposit's business, unless the name does exist as a regular file;
// any other error (EIO, EMFILE, ENOMEM...) is the machine's.
bool IsMachineOpenFailure(const QByteArray &hostPath, int error);

} // namespace vk7
