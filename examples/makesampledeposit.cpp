// Regenerates the bundled sample deposit and its fingerprint:
//   vk7_make_sample_deposit examples/sample-deposit
// writes the deposit into that folder and its fingerprint into
// examples/sample-deposit.fingerprint (the folder's name + ".fingerprint").
// The folder must be new or hold nothing but a sample deposit's files: the
// deposit is written beside it and renamed into place, so that no other
// folder is ever emptied.
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "examples/sampledeposit.h"
#include "reception/filetools.h"

using namespace Qt::StringLiterals;

namespace {

// True when the folder is missing, empty, or holds only files named as the
// sample deposit's (no subfolders, links or other names).
bool IsNewOrSampleFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (!info.isDir() || info.isSymLink())
        return false;
    QSet<QString> names;
    for (const vk7::samples::SampleFile &file : vk7::samples::SampleDepositFiles())
        names.insert(file.name);
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries)
        if (!entry.isFile() || entry.isSymLink() || !names.contains(entry.fileName()))
            return false;
    return true;
}

// Removes a folder known to hold only sample deposit files, file by file.
void RemoveSampleFolder(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
    QDir().rmdir(folder);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    static const char *const kUsage = "Uso: vk7_make_sample_deposit [--] CARPETA\n";
    QStringList arguments = QCoreApplication::arguments().mid(1);
    // Options are options, never a folder's name; after "--" a folder may
    // begin with "-".
    const qsizetype end = arguments.indexOf(u"--"_s);
    const QStringList options = arguments.mid(0, end < 0 ? arguments.size() : end);
    if (options.contains(u"--help"_s) || options.contains(u"-h"_s)) {
        std::fputs(kUsage, stdout);
        std::fputs("Escribe el depósito de ejemplo en CARPETA (nueva, o con solo un depósito de "
                   "ejemplo) y su huella en CARPETA.fingerprint.\n",
                   stdout);
        return 0;
    }
    for (const QString &option : options) {
        if (option.startsWith(u'-')) {
            std::fprintf(stderr, "Opción desconocida: %s\n%s", qUtf8Printable(option), kUsage);
            return 1;
        }
    }
    if (end >= 0)
        arguments.removeAt(end);
    if (arguments.size() != 1) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    const QString folder = QDir(arguments.at(0)).absolutePath();
    if (!IsNewOrSampleFolder(folder)) {
        std::fprintf(stderr,
                     "ERROR. %s no es una carpeta nueva ni contiene un depósito de ejemplo: "
                     "no se modifica\n",
                     qUtf8Printable(folder));
        return 1;
    }
    const QString fresh = folder + u".new"_s;
    const QString previous = folder + u".old"_s;
    if (QFileInfo::exists(fresh) || QFileInfo::exists(previous)) {
        std::fprintf(stderr, "ERROR. Ya existe %s o %s: no se modifica\n", qUtf8Printable(fresh),
                     qUtf8Printable(previous));
        return 1;
    }
    QString error;
    if (!vk7::samples::WriteSampleDeposit(fresh, &error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        RemoveSampleFolder(fresh);
        return 1;
    }
    QString fingerprint;
    fingerprint = vk7::CFileTools().ComputeDepositFingerprint(fresh).Text();
    if (fingerprint.size() != 26) {
        std::fprintf(stderr, "ERROR. Huella Digital: %s\n", fingerprint.toUtf8().constData());
        RemoveSampleFolder(fresh);
        return 1;
    }
    const bool replacing = QFileInfo::exists(folder);
    if ((replacing && !QDir().rename(folder, previous)) || !QDir().rename(fresh, folder)) {
        std::fprintf(stderr, "ERROR. No se puede renombrar %s a %s\n", qUtf8Printable(fresh),
                     qUtf8Printable(folder));
        if (replacing)
            QDir().rename(previous, folder);
        RemoveSampleFolder(fresh);
        return 1;
    }
    if (replacing)
        RemoveSampleFolder(previous);
    QFile out(folder + u".fingerprint"_s);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "ERROR. No se puede escribir el fichero %s\n",
                     qUtf8Printable(out.fileName()));
        return 1;
    }
    out.write(fingerprint.toLatin1());
    std::printf("%s\n", fingerprint.toLatin1().constData());
    return 0;
}
