#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vk7 {

// The fixed deposit file names with their roles, in the order the manifest
// check tries them.
struct KnownDepositFile
{
    enum class Mandatory {
        Yes,         // must be listed
        Application, // one of INSTANCIA.ASC / INSTANCI.ASC must be listed
        No
    };
    QString name;
    QString role;
    Mandatory mandatory;
};

const QList<KnownDepositFile> &KnownDepositFiles();

// Whether an (upper-cased) name outside the fixed table is still a deposit
// page image: "AUDITOR*", "ANUNCIO*" or an extension starting with M or G,
// with an extension of at least three characters whose second and third
// characters read as a number from 1 to 99.
bool IsNumberedImageName(QStringView name);

// The value of a text read the way C's atoi reads it: leading blanks, an
// optional sign, digits up to the first non-digit; no digits give 0. Values
// beyond the int range are clamped rather than overflowing.
int AtoiValue(QStringView text);

// Whether a manifest entry names a file of the deposit folder itself: no
// folder separator, no "..", not empty. Other entries count as absent.
bool IsPlainDepositName(QStringView name);

// The files behind the manifest verdicts, for a report: the listed entries
// that are not present in `folder` (upper-cased, in manifest order, each
// once) and the files present that the manifest does not list (FICHERO.TXT
// itself aside), by name. Both empty when there is no manifest.
struct ManifestDifferences
{
    QStringList missing;
    QStringList unlisted;
};
ManifestDifferences ListManifestDifferences(const QString &folder);

} // namespace vk7
