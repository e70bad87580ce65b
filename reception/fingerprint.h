#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace vk7 {

// The 32 symbols of a deposit fingerprint, indexed by a 5-bit value: the
// digits and the capital letters without I, L, O and W.
QString FingerprintAlphabet();

// A fingerprint has this many symbols.
inline constexpr int kFingerprintLength = 26;

// The chunk in which the fingerprint moves file contents.
inline constexpr int kFingerprintChunk = 64000;

class IUserInterface;

// The fingerprint's operations; their error messages go to `ui` when there
// is one (CFileTools is their front).

// The 26-symbol fingerprint of the deposit in `folder`: its files in the
// fixed order, then the numbered page images, then CAUSA.TXT, concatenated
// into MD5.TXT (deleted afterwards) and digested. FingerprintErrorText(), or
// empty when none of its files could be opened. Given `depositFiles` (the
// upper-cased names of the deposit's own files), only those are read: the
// program writes page images into the same folder.
void ComputeDepositFingerprint(const QString &folder, QString &result, IUserInterface *ui,
                               const QSet<QString> *depositFiles = nullptr);

// Concatenates the listed files (those that open) into folder + "MD5.TXT"
// and digests it.
void ConcatenateFiles(QString &result, const QStringList &paths, const QString &folder,
                      IUserInterface *ui);

// The encoded MD5 of one file's bytes.
void DigestFile(QString &result, const QString &path, IUserInterface *ui);

// The 26 symbols of a 16-byte MD5 digest.
void EncodeFingerprint(QString &result, const unsigned char digest[16]);

// "ERROR AL CALCULAR LA HUELLA DIGITAL"
QString FingerprintErrorText();

} // namespace vk7
