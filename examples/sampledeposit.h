#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace vk7::samples {

// Builders for the deposit's fixed-format records, for the sample and for
// tests that need a deposit of their own. Texts are given in Unicode and
// written in Windows-1252, as deposits are.

// The identification header of DATOS.ASC (276 characters, no line end).
struct AccountsHeader
{
    QString nif;         // 9 characters
    int year = 0;        // year of the accounts
    int field810270 = 0; // two digits
    QString name;        // 50 characters
    QString address;     // 40
    QString town;        // 30
    int postalCode = 0;  // 5 digits
    int phonePrefix = 0; // 3 digits
    int phoneNumber = 0; // 7 digits
    QString text810280;  // 80
};
QByteArray AccountsHeaderRecord(const AccountsHeader &header);

// A data record of DATOS.ASC (52 characters, no line end). Amounts are in
// hundredths; a negative amount is written with the sign "-".
QByteArray AccountsDataRecord(const QString &nif, int year, int key, qint64 current,
                              qint64 previous);
// A date record (810190 closing, 810290 start): YYYYMMDD in the first amount.
QByteArray AccountsDateRecord(const QString &nif, int year, int key, int yyyymmdd);
// A mark record (999xxx): set, or zero.
QByteArray AccountsMarkRecord(const QString &nif, int year, int key);

// A keyed line of INSTANCIA.ASC, CERTIF.ASC or ACCIONES.ASC (no line end).
QByteArray KeyedRecord(int key, const QString &value);

// Lines joined with CR LF, the last one ended too.
QByteArray CrLfLines(const QList<QByteArray> &lines);

// A 1-bit page image as a scanner gives it (1654 x 2339, A4 at 200 dpi):
// a frame, a heading bar, rows of word-like marks and a signature. The
// `seed` varies the rows, so pages differ. No fonts are needed.
QImage ScannedPage(int seed);

// Text pages of plain Spanish prose for the benchmarks: 66 lines of about
// 70 characters each, lines ended by CR LF.
QStringList ProsePages(int count);

// A text file of `bytes` bytes of numbered prose lines ended by CR LF, with
// no form feed, for the benchmarks of large texts. False when it cannot be
// written.
bool WriteProseFile(const QString &hostPath, qint64 bytes);

struct SampleFile
{
    QString name;
    QByteArray bytes;  // empty for page images, which are written by the imaging layer
    int imageSeed = 0; // page images: the seed of ScannedPage
};

// The files of the sample deposit, in manifest order: a euro ordinary
// (K7NE) filing of a small limited company, with its notes and management
// report as text, two page images of the notes and one of the audit report.
QList<SampleFile> SampleDepositFiles();

// Writes the sample deposit into a host folder (created when missing).
// False with a Spanish message in `error` when a file cannot be written.
bool WriteSampleDeposit(const QString &hostFolder, QString *error = nullptr);

} // namespace vk7::samples
