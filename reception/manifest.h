#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "failure.h"

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

// Whether a manifest entry names a file of the deposit folder itself: no
// folder separator, no "..", not empty. Other entries count as absent.
bool IsPlainDepositName(QStringView name);

// The manifest's operations (CFileTools is their front).

// A manifest verdict, on the deposit's structure or its completeness.
enum class ManifestVerdict {
    NotChecked,       // no deposit checked yet
    MandatoryMissing, // a mandatory file is missing
    Correct,
    OptionalFault, // an optional file is wrong or missing
};

// As the sheet's inputs, the JSON and the register's records write it: "0"
// (mandatory missing), "1" (correct), "2" (optional fault), "" (not checked).
QString ManifestVerdictCode(ManifestVerdict verdict);

struct ManifestCheck
{
    ManifestVerdict structure = ManifestVerdict::NotChecked;
    ManifestVerdict completeness = ManifestVerdict::NotChecked;
    // The failure of the machine that kept the manifest from being read
    // whole (Kind::None when none): the verdicts are then not the deposit's.
    Failure failure;
};

// The structure and completeness verdicts of the deposit in `folder` (with
// or without a trailing backslash). An entry that is not a plain name of
// that folder (a separator, "..") counts as not present. The manifest is
// streamed, so its size does not matter.
ManifestCheck CheckDepositFiles(const QString &folder);

// Reads the manifest's entries, upper-cased and in file order, into `names`
// (cleared first); returns the structure verdict. A manifest that is not a
// regular file cannot be opened: a mandatory file missing.
ManifestVerdict ReadManifest(const QString &path, QStringList &names);

// Appends to `result` the full paths of the files of `folder` (ending with a
// backslash) that match `pattern` and whose last two characters read as a
// number from 1 to 99, in ascending order of name.
void ListNumberedFiles(QStringList &result, const QString &folder, const QString &pattern);

// The files behind the manifest verdicts, for a report: the listed entries
// that are not present in `folder` (upper-cased, in manifest order, each
// once) and the files present that the manifest does not list (FICHERO.TXT
// itself aside), by name. Both empty when there is no manifest.
struct ManifestDifferences
{
    QStringList missing;
    QStringList unlisted;
    // The failure of the machine that kept the manifest from being read
    // whole (Kind::None when none): the lists are then not the deposit's.
    Failure failure;
};
ManifestDifferences ListManifestDifferences(const QString &folder);

} // namespace vk7
