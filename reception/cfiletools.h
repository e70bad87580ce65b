#pragma once

#include <QString>
#include <QStringList>

namespace vk7 {

class IUserInterface;

// The file utilities every part of the program uses, on the system's own
// paths ("C:\TMP_VK7\*.*") resolved through PathResolver. Callers make one on
// the stack for a task. Failures come back as small integer codes (0 success,
// -1 platform failure, -3 missing copy source, 1 for some single-file
// failures) or verdict texts; nothing throws and nothing is shown, except the
// fingerprint's messages, which go to the interface given at construction.
class CFileTools
{
public:
    // `ui` receives the fingerprint's error messages; without one they are
    // dropped.
    explicit CFileTools(IUserInterface *ui = nullptr);
    virtual ~CFileTools();

    // --- File-system utilities -------------------------------------------

    // 0 deleted, 1 failed. A read-only file is not made writable first, so
    // its deletion fails.
    int DeleteOneFile(const QString &path);

    // With `wantFolder`, "A:" or "A:\" (the diskette drive) counts as present
    // without being looked at.
    bool PathExists(const QString &path, bool wantFolder);

    // 0 copied over any existing target, -3 the source does not exist
    // (nothing is touched), -1 the copy failed. A read-only source gives a
    // read-only copy.
    int CopyExistingFile(const QString &source, const QString &target);

    // Deletes every file (not folder) matching the pattern, clearing its
    // read-only attribute first; with `keepZeroExtension`, names ending in
    // ".000" are left alone. 0, or -1 when any deletion failed.
    int DeleteMatchingFiles(const QString &pattern, bool keepZeroExtension);

    // Every file matching gets the read-only attribute when `mode` is 1, the
    // normal attribute otherwise. Always 0.
    int SetAttributesMatching(const QString &pattern, int mode);

    // 0 created, 1 failed (also when it already exists).
    int CreateOneFolder(const QString &path);

    // Creates every missing folder of the path ("C:\A\B" makes C:\A and
    // C:\A\B), ignoring failures.
    void CreateFolderChain(const QString &path);

    // --- Manifest (manifest.h) and fingerprint (fingerprint.h) ------------

    void CheckDepositFiles(const QString &folder, QString &structureStatus,
                           QString &completenessStatus);
    int ReadManifest(const QString &path, QStringList &names);
    void ListNumberedFiles(QStringList &result, const QString &folder, const QString &pattern);

    // The fingerprint's messages go to the interface given at construction.
    void ComputeDepositFingerprint(const QString &folder, QString &result);
    void ConcatenateFiles(QString &result, const QStringList &paths, const QString &folder);
    void DigestFile(QString &result, const QString &path);
    static void EncodeFingerprint(QString &result, const unsigned char digest[16]);
    static QString FingerprintErrorText();

private:
    IUserInterface *ui_;
};

} // namespace vk7
