#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"

namespace vk7::testing {

// A work folder "C:\TMP_VK7" under a temporary drive root, with a deposit
// state and a load-pass object pointed at it.
class DepositFolder
{
public:
    DepositFolder();
    ~DepositFolder();

    void Write(const QString &name, const QByteArray &bytes) const;
    QString HostPath(const QString &name) const;

    DepositState state;
    CFileCopyDialog dialog{state};

private:
    QTemporaryDir root_;
};

// A DATOS.ASC header line (276 characters and LF) with the given columns set.
QByteArray HeaderLine(const QByteArray &nif = "B12345678", const QByteArray &year = "2005");

// A DATOS.ASC data line: key (6 characters), two signs and 15-character fields.
QByteArray DataLine(const QByteArray &key, char sign1, const QByteArray &amount1, char sign2,
                    const QByteArray &amount2);

// The value stored under a key, or "<none>" when the store has no record.
QString Value(const DepositState &state, int key);

} // namespace vk7::testing
