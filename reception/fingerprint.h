#pragma once

#include <stop_token>

#include <QSet>
#include <QString>
#include <QStringList>

#include "failure.h"
#include "userinterface.h"

namespace vk7 {

// The 32 symbols of a deposit fingerprint, indexed by a 5-bit value: the
// digits and the capital letters without I, L, O and W.
QString FingerprintAlphabet();

// A fingerprint has this many symbols.
inline constexpr int kFingerprintLength = 26;

// The chunk in which the fingerprint moves file contents.
inline constexpr int kFingerprintChunk = 64000;

class IUserInterface;

// What a fingerprint computation gave: the symbols, nothing (none of the
// files opened) or a failure, which is the machine's (a read or write it
// refused), the clerk's stop, or a content failure with
// FingerprintErrorText().
struct FingerprintResult
{
    enum class Outcome { Computed, NoFiles, Failed };
    Outcome outcome = Outcome::Failed;
    QString symbols;       // of a computed one
    Failure failure;       // of a failed one
    QList<Notice> notices; // what the clerk is told of a failure, for the window to show

    bool Computed() const { return outcome == Outcome::Computed; }
    // As the sheet and the tools show it: the symbols, empty when no file
    // opened, FingerprintErrorText() when it failed.
    QString Text() const;

    static FingerprintResult Computed(const QString &symbols);
    static FingerprintResult NoFiles();
    // `failure` when it is one, else the content failure of the computation.
    static FingerprintResult Failed(const Failure &failure);
};

// The fingerprint's operations; their progress goes to `ui` when there is
// one, their error messages come back as notices (CFileTools is their front).

// The 26-symbol fingerprint of the deposit in `folder`: its files in the
// fixed order, then the numbered page images, then CAUSA.TXT, concatenated
// into MD5.TXT (deleted afterwards) and digested; no files when none of its
// files could be opened. Given `depositFiles` (the upper-cased names of the
// deposit's own files), only those are read: the program writes page
// images into the same folder.
FingerprintResult ComputeDepositFingerprint(const QString &folder, IUserInterface *ui,
                                            const QSet<QString> *depositFiles = nullptr,
                                            std::stop_token stop = {});

// Concatenates the listed files (those that open) into folder + "MD5.TXT"
// and digests it.
FingerprintResult ConcatenateFiles(const QStringList &paths, const QString &folder,
                                   IUserInterface *ui, std::stop_token stop = {});

// The encoded MD5 of one file's bytes.
FingerprintResult DigestFile(const QString &path, IUserInterface *ui);

// The 26 symbols of a 16-byte MD5 digest.
void EncodeFingerprint(QString &result, const unsigned char digest[16]);

// "ERROR AL CALCULAR LA HUELLA DIGITAL"
QString FingerprintErrorText();

} // namespace vk7
