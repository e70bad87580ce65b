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
// The reception keeps the first I/O failure met by any step of its chain
// (RecordIoFailure); the chain's end asks for it (FirstIoFailure) before it
// gives a verdict. Operations that report a failure by value return a
// Failure; `None` is success.
struct Failure
{
    enum class Kind {
        None, // no failure
        Io,   // the machine failed: nothing can be said about the deposit
        Data  // the content is wrong; `text` says how
    };

    Kind kind = Kind::None;
    QString file;        // the file, as the host names it
    int systemError = 0; // the system's error number (errno), for Io
    QString text;        // the system's Spanish text ("No queda espacio en el disco")

    bool Failed() const { return kind != Kind::None; }
    bool IsIo() const { return kind == Kind::Io; }
    // The clerk stopped the work: kept as an I/O failure (ECANCELED), so
    // that whatever the work left is never judged, but never shown as one.
    bool IsStop() const;

    // An I/O failure on `file` with the system error `error` (errno).
    static Failure Io(const QString &file, int error);
    static Failure Io(const QByteArray &hostFile, int error);
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

// The running reception's first I/O failure (one per thread): recorded by
// whichever step meets it, read and cleared by the chain.
void RecordIoFailure(const Failure &failure);
Failure FirstIoFailure();
void ClearIoFailures();

} // namespace vk7
