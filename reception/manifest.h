#pragma once

#include <QList>
#include <QString>
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

// Whether a manifest entry names a file of the deposit folder itself: no
// folder separator, no "..", not empty. Other entries count as absent.
bool IsPlainDepositName(QStringView name);

} // namespace vk7
