// Regenerates the bundled sample deposit and its fingerprint:
//   vk7_make_sample_deposit examples/sample-deposit
// writes the deposit into that folder and its fingerprint into
// examples/sample-deposit.fingerprint (the folder's name + ".fingerprint").
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "examples/sampledeposit.h"
#include "reception/cfiletools.h"

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("Uso: vk7_make_sample_deposit CARPETA\n", stderr);
        return 1;
    }
    const QString folder = QDir(arguments.at(1)).absolutePath();
    QDir(folder).removeRecursively();
    QString error;
    if (!vk7::samples::WriteSampleDeposit(folder, &error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    QString fingerprint;
    vk7::CFileTools().ComputeDepositFingerprint(folder, fingerprint);
    QFile out(folder + u".fingerprint"_s);
    if (fingerprint.size() != 26 || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "ERROR. Huella Digital: %s\n", fingerprint.toUtf8().constData());
        return 1;
    }
    out.write(fingerprint.toLatin1());
    std::printf("%s\n", fingerprint.toLatin1().constData());
    return 0;
}
