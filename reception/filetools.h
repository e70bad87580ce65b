#pragma once

#include <stop_token>

#include <QSet>
#include <QString>
#include <QStringList>

#include "failure.h"
#include "fingerprint.h"
#include "manifest.h"

namespace vk7 {

class IUserInterface;

// The file utilities every part of the program uses, on the system's own
// paths ("C:\TMP_VK7\*.*") resolved through PathResolver. Callers make one on
// the stack for a task. A file operation returns a Failure (Kind::None on
// success); the manifest and fingerprint answer with their verdict texts.
// Nothing throws and nothing is shown, except the fingerprint's messages,
// which go to the interface given at construction.
class CFileTools
{
public:
    // `ui` receives the fingerprint's error messages; without one they are
    // dropped. `stop` is the running job's: the fingerprint stops at its next
    // piece once it says so.
    explicit CFileTools(IUserInterface *ui = nullptr, std::stop_token stop = {});
    virtual ~CFileTools();

    // --- File-system utilities -------------------------------------------

    // A read-only file is not made writable first, so its deletion fails.
    Failure DeleteOneFile(const QString &path);

    // With `wantFolder`, "A:" or "A:\" (the diskette drive) counts as present
    // without being looked at.
    bool PathExists(const QString &path, bool wantFolder);

    // Copies over any existing target; a source that does not exist touches
    // nothing. A read-only source gives a read-only copy.
    Failure CopyExistingFile(const QString &source, const QString &target);

    // Deletes every file (not folder) matching the pattern, clearing its
    // read-only attribute first; with `keepZeroExtension`, names ending in
    // ".000" are left alone. A failed deletion does not stop the others; the
    // first is returned.
    Failure DeleteMatchingFiles(const QString &pattern, bool keepZeroExtension);

    // Every file matching gets the read-only attribute when `mode` is 1, the
    // normal attribute otherwise.
    void SetAttributesMatching(const QString &pattern, int mode);

    // A folder that already exists is a failure too.
    Failure CreateOneFolder(const QString &path);

    // Creates every missing folder of the path ("C:\A\B" makes C:\A and
    // C:\A\B), ignoring failures.
    void CreateFolderChain(const QString &path);

    // --- Manifest (manifest.h) and fingerprint (fingerprint.h) ------------

    ManifestCheck CheckDepositFiles(const QString &folder);
    ManifestVerdict ReadManifest(const QString &path, QStringList &names);
    void ListNumberedFiles(QStringList &result, const QString &folder, const QString &pattern);

    // The fingerprint's messages go to the interface given at construction.
    FingerprintResult ComputeDepositFingerprint(const QString &folder,
                                                const QSet<QString> *depositFiles = nullptr);
    FingerprintResult ConcatenateFiles(const QStringList &paths, const QString &folder);
    FingerprintResult DigestFile(const QString &path);
    static void EncodeFingerprint(QString &result, const unsigned char digest[16]);
    static QString FingerprintErrorText();

private:
    IUserInterface *ui_;
    std::stop_token stop_;
};

} // namespace vk7
