// Times `vk7 MEDIO HUELLA` from its start to the first painted form page,
// beside `vk7check` on the same deposit in the same run: the sample deposit
// and a deposit with 300 scanned pages. Under Xvfb when it is installed,
// else on the offscreen platform.
// Usage: desktop_firstpaint_bench [RUNS]   (default 5)

#include <algorithm>
#include <cstdio>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "components/imaging.h"
#include "examples/sampledeposit.h"

using namespace Qt::StringLiterals;

namespace {

const QString kBin = QStringLiteral(VK7_BIN_DIR);
const QString kSample = QStringLiteral(VK7_SOURCE_DIR) + u"/examples/sample-deposit"_s;

struct Deposit
{
    QString name;
    QString folder;
    QString fingerprint;
};

QProcessEnvironment Environment(const QString &work, const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TMPDIR"_s, work + u"/tmp"_s);
    env.insert(u"HOME"_s, work + u"/home"_s);
    env.insert(u"XDG_RUNTIME_DIR"_s, work + u"/run"_s);
    if (display.isEmpty()) {
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    } else {
        env.remove(u"QT_QPA_PLATFORM"_s);
        env.insert(u"DISPLAY"_s, display);
    }
    return env;
}

// The sample with 300 pages of the audit report instead of one.
bool WriteLargeDeposit(const QString &folder)
{
    if (!vk7::samples::WriteSampleDeposit(folder))
        return false;
    QFile manifest(folder + u"/FICHERO.TXT"_s);
    if (!manifest.open(QIODevice::Append))
        return false;
    for (int page = 2; page <= 300; ++page) {
        const QString name = u"AUDITOR.%1"_s.arg(page, 3, 10, QChar(u'0'));
        if (vk7::SaveImageFile(folder + u'/' + name, vk7::samples::ScannedPage(page + 10)).Failed())
            return false;
        manifest.write(name.toLatin1() + "\r\n");
    }
    return true;
}

// The fingerprint vk7check computes, so that the deposit checks as valid.
QString ComputedFingerprint(const QString &folder, const QString &work)
{
    QProcess check;
    check.setProcessEnvironment(Environment(work, {}));
    check.start(kBin + u"/vk7check"_s,
                {u"--root"_s, work + u"/c"_s, u"--json"_s, folder, QString(26, u'0')});
    check.waitForFinished(600000);
    return QJsonDocument::fromJson(check.readAllStandardOutput())
        .object()
        .value(u"computedFingerprint"_s)
        .toString();
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double TimeChecker(const Deposit &deposit, const QString &work)
{
    QProcess check;
    check.setProcessEnvironment(Environment(work, {}));
    QElapsedTimer timer;
    timer.start();
    check.start(kBin + u"/vk7check"_s,
                {u"--root"_s, work + u"/c"_s, deposit.folder, deposit.fingerprint});
    check.waitForFinished(600000);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (check.exitCode() != 0)
        std::fprintf(stderr, "vk7check sale con %d en %s\n", check.exitCode(),
                     qPrintable(deposit.name));
    return ms;
}

double TimeDesktop(const Deposit &deposit, const QString &work, const QString &display)
{
    QProcess vk7;
    QProcessEnvironment env = Environment(work, display);
    env.insert(u"VK7_EXIT_AFTER_FIRST_PAINT"_s, u"1"_s);
    vk7.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    vk7.start(kBin + u"/vk7"_s, {u"--root"_s, work + u"/c"_s, deposit.folder, deposit.fingerprint});
    double ms = -1;
    QByteArray errors;
    while (vk7.state() != QProcess::NotRunning || vk7.bytesAvailable() > 0 ||
           !vk7.readAllStandardError().isEmpty()) {
        vk7.waitForReadyRead(100);
        errors += vk7.readAllStandardError();
        if (ms < 0 && errors.contains("primera p")) {
            ms = timer.nsecsElapsed() / 1e6;
            break;
        }
        if (timer.elapsed() > 600000)
            break;
    }
    if (!vk7.waitForFinished(30000))
        vk7.kill();
    if (ms < 0)
        std::fprintf(stderr, "vk7 no pintó ninguna página (%s): %s\n", qPrintable(deposit.name),
                     errors.constData());
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir work;
    QDir().mkpath(work.path() + u"/tmp"_s);
    QDir().mkpath(work.path() + u"/home"_s);
    QDir().mkpath(work.path() + u"/run"_s);
    QFile::setPermissions(work.path() + u"/run"_s,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QList<Deposit> deposits;
    QFile fingerprint(kSample + u".fingerprint"_s);
    fingerprint.open(QIODevice::ReadOnly);
    deposits.append({u"muestra"_s, kSample, QString::fromLatin1(fingerprint.readAll()).trimmed()});
    const QString large = work.path() + u"/deposito-300"_s;
    if (!WriteLargeDeposit(large)) {
        std::fprintf(stderr, "No se puede escribir el depósito de 300 páginas\n");
        return 1;
    }
    deposits.append({u"300 páginas"_s, large, ComputedFingerprint(large, work.path())});

    // An X server of our own when there is one to start.
    QProcess xvfb;
    QString display;
    const QString xvfbPath = QStandardPaths::findExecutable(u"Xvfb"_s);
    if (!xvfbPath.isEmpty()) {
        // Xvfb picks a free display and names it on its output once it accepts clients.
        xvfb.start(xvfbPath, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1280x1024x24"_s,
                              u"-nolisten"_s, u"tcp"_s});
        QByteArray number;
        for (int i = 0; i < 100 && !number.contains('\n'); ++i) {
            xvfb.waitForReadyRead(100);
            number += xvfb.readAllStandardOutput();
        }
        if (!number.trimmed().isEmpty())
            display = u":"_s + QString::fromLatin1(number.trimmed());
    }
    std::printf("Plataforma de vk7: %s; %d pasadas, mediana en ms\n",
                display.isEmpty() ? "offscreen" : qPrintable(u"Xvfb "_s + display), runs);
    std::printf("%-14s %12s %18s %12s\n", "depósito", "vk7check", "vk7 1ª página", "diferencia");
    for (const Deposit &deposit : deposits) {
        QList<double> checker;
        QList<double> desktop;
        for (int run = 0; run < runs; ++run) {
            checker.append(TimeChecker(deposit, work.path()));
            desktop.append(TimeDesktop(deposit, work.path(), display));
        }
        const double c = Median(checker);
        const double d = Median(desktop);
        std::printf("%-14s %12.0f %18.0f %+12.0f\n", qPrintable(deposit.name), c, d, d - c);
    }
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }
    return 0;
}
