#include "cupsserver.h"

#include <algorithm>
#include <cups/cups.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

using namespace Qt::StringLiterals;

namespace vk7::testing {

namespace {

QString Script()
{
    return QStringLiteral(VK7_SOURCE_DIR) + u"/scripts/test-cups-server.sh"_s;
}

bool Run(const QString &program, const QStringList &arguments, QString *output,
         int timeoutMs = 60000)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) {
        if (output)
            *output = u"%1 no se puede ejecutar"_s.arg(program);
        return false;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        if (output)
            *output = u"%1 no termina"_s.arg(program);
        return false;
    }
    if (output)
        *output =
            QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

CupsTestServer::CupsTestServer() : folder_(u"/tmp/vk7cups-XXXXXX"_s) {}

CupsTestServer::~CupsTestServer()
{
    Stop();
}

bool CupsTestServer::Start(QString *error)
{
    if (!folder_.isValid()) {
        *error = u"no se puede crear la carpeta temporal del servidor CUPS"_s;
        return false;
    }
    QString output;
    if (!Run(u"bash"_s, {Script(), u"start"_s, folder_.path()}, &output)) {
        *error = u"el servidor CUPS de las pruebas no arranca: "_s + output;
        return false;
    }
    running_ = true;
    const QRegularExpressionMatch queue =
        QRegularExpression(u"^QUEUE=(.*)$"_s, QRegularExpression::MultilineOption).match(output);
    queue_ = queue.captured(1).trimmed();
    hadServer_ = qEnvironmentVariableIsSet("CUPS_SERVER");
    previousServer_ = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", (folder_.path() + u"/cups.sock"_s).toLocal8Bit());
    // libcups keeps the server (and its connection) it first used: a process
    // whose printers were made before this server started would still talk to
    // the machine's. Reset, it reads CUPS_SERVER again.
    cupsSetServer(nullptr);
    return true;
}

void CupsTestServer::Stop()
{
    if (!running_)
        return;
    running_ = false;
    Run(u"bash"_s, {Script(), u"stop"_s, folder_.path()}, nullptr);
    if (hadServer_)
        qputenv("CUPS_SERVER", previousServer_);
    else
        qunsetenv("CUPS_SERVER");
    cupsSetServer(nullptr);
}

bool CupsTestServer::AddQueue(const QString &name, bool makeDefault, QString *error,
                              double marginMm) const
{
    QStringList arguments{Script(), u"add-queue"_s, folder_.path(), name,
                          makeDefault ? u"default"_s : u"-"_s};
    if (marginMm > 0)
        arguments.append(QString::number(marginMm));
    QString output;
    const bool made = Run(u"bash"_s, arguments, &output);
    if (!made && error)
        *error = output;
    return made;
}

QList<CupsTestServer::QueuedJob> CupsTestServer::QueuedJobs() const
{
    QList<QueuedJob> result;
    cups_job_t *jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < count; ++i) {
        QueuedJob job{jobs[i].id, QString::fromUtf8(jobs[i].dest), QString::fromUtf8(jobs[i].title),
                      0};
        ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(job.id);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     cupsUser());
        if (ipp_t *response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/")) {
            // A job asked for one copy may leave the attribute out.
            ipp_attribute_t *copies = ippFindAttribute(response, "copies", IPP_TAG_INTEGER);
            job.copies = copies ? ippGetInteger(copies, 0) : 1;
            ippDelete(response);
        }
        result.append(job);
    }
    cupsFreeJobs(count, jobs);
    std::sort(result.begin(), result.end(),
              [](const QueuedJob &a, const QueuedJob &b) { return a.id < b.id; });
    return result;
}

bool CupsTestServer::SetQueueStopped(bool stopped) const
{
    return Run(stopped ? u"cupsdisable"_s : u"cupsenable"_s, {queue_}, nullptr);
}

QList<CupsTestServer::Job> CupsTestServer::WaitForJobs(int count, int timeoutMs) const
{
    // The page log has a line per job once the backend has finished it:
    // "<job id> <page> <job name>".
    QList<Job> jobs;
    QElapsedTimer timer;
    timer.start();
    const QDir pdfFolder(folder_.path() + u"/pdf"_s);
    do {
        jobs.clear();
        QFile log(folder_.path() + u"/log/page_log"_s);
        if (log.open(QIODevice::ReadOnly)) {
            QStringList seen;
            for (const QByteArray &raw : log.readAll().split('\n')) {
                const QString line = QString::fromUtf8(raw).trimmed().remove(u'"');
                const QStringList parts = line.split(u' ');
                if (parts.size() < 3 || seen.contains(parts.at(0)))
                    continue;
                seen.append(parts.at(0));
                const QString name = parts.mid(2).join(u' ');
                QString file = name;
                file.replace(u':', u'_');
                QStringList pdfs =
                    pdfFolder.entryList({file + u"*.pdf"_s}, QDir::Files, QDir::Name);
                // The queue writes other characters of a name (backslashes, dots) as "_"
                // too: such a job is found by its id alone.
                if (pdfs.isEmpty())
                    pdfs = pdfFolder.entryList({u"*-job_"_s + parts.at(0) + u".pdf"_s}, QDir::Files,
                                               QDir::Name);
                // One file per job: the job id tells apart jobs of the same name.
                QString pdf;
                for (const QString &candidate : pdfs) {
                    if (candidate.contains(u"job_"_s + parts.at(0) + u".pdf"_s) || pdfs.size() == 1)
                        pdf = pdfFolder.filePath(candidate);
                }
                jobs.append({name, pdf});
            }
        }
        bool complete = jobs.size() >= count;
        for (const Job &job : jobs)
            complete = complete && !job.pdfPath.isEmpty();
        if (complete)
            return jobs;
        QThread::msleep(200);
    } while (timer.elapsed() < timeoutMs);
    return jobs;
}

int PdfPageCount(const QString &pdfPath)
{
    QString output;
    if (!Run(u"pdfinfo"_s, {pdfPath}, &output))
        return -1;
    const QRegularExpressionMatch pages =
        QRegularExpression(u"^Pages:\\s+(\\d+)"_s, QRegularExpression::MultilineOption)
            .match(output);
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

QImage PdfFirstPage(const QString &pdfPath, int dotsPerInch)
{
    const QString prefix = pdfPath + u"-primera"_s;
    if (!Run(u"pdftoppm"_s,
             {u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, u"-singlefile"_s, u"-gray"_s, u"-aa"_s, u"no"_s,
              u"-aaVector"_s, u"no"_s, u"-r"_s, QString::number(dotsPerInch), u"-png"_s, pdfPath,
              prefix},
             nullptr))
        return {};
    const QImage page(prefix + u".png"_s);
    QFile::remove(prefix + u".png"_s);
    return page;
}

QStringList PdfImages(const QString &pdfPath)
{
    QString output;
    if (!Run(u"pdfimages"_s, {u"-list"_s, pdfPath}, &output))
        return {};
    QStringList images;
    const QStringList lines = output.split(u'\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList f = lines.at(i).simplified().split(u' ');
        if (f.size() >= 10)
            images.append(QStringList{f.at(0), f.at(3), f.at(4), f.at(7), f.at(8)}.join(u' '));
    }
    return images;
}

} // namespace vk7::testing
