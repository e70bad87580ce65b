#pragma once

#include <QByteArray>
#include <QString>

namespace vk7::testing {

// Writes a whole host file (creating its folders), failing the test when it
// cannot; reads one whole (empty when it cannot be read).
void WriteHostFile(const QString &hostPath, const QByteArray &bytes);
QByteArray ReadHostFile(const QString &hostPath);
// Whether the name exists, a dangling link included.
bool HostExists(const QString &hostPath);

// The bundled sample deposit's folder and the fingerprint that came with it.
QString SampleDepositFolder();
QString SampleFingerprint();

// Maps drive C: of the system's paths onto a fresh temporary folder for the
// object's life; every drive mapping is cleared at both ends.
class TemporaryDriveC
{
public:
    TemporaryDriveC();
    ~TemporaryDriveC();
    TemporaryDriveC(const TemporaryDriveC &) = delete;
    TemporaryDriveC &operator=(const TemporaryDriveC &) = delete;

    bool IsValid() const;
    // The host folder behind C:.
    QString Path() const;

private:
    struct Folder;
    Folder *folder_;
};

} // namespace vk7::testing
