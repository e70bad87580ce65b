#include "batch.h"

#include <csignal>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTimer>

#include "app/checkreport.h"
#include "checker/depositchecker.h"
#include "checker/terminaluserinterface.h"
#include "reception/hostfiles.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The batch's answer to Ctrl+C (and to SIGTERM, SIGHUP): the handler only wakes the event loop, so
// a line being written is always finished first.
int signalPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

CheckJsonOptions LineJsonOptions(const CheckerOptions &options, int line, const QString &medium)
{
    CheckJsonOptions json;
    json.texts = options.texts;
    json.compact = true;
    json.leading = {{u"line"_s, line}, {u"medium"_s, medium}};
    return json;
}

// The "exitCode" member of a job's line, found without parsing the whole
// object (a line can hold a deposit's every field). Inside a JSON string a
// quote is always escaped, so the member's name cannot be matched there.
int LineExitCode(const QByteArray &line)
{
    static const QByteArray name = "\"exitCode\": ";
    const qsizetype at = line.lastIndexOf(name);
    if (at < 0)
        return 2;
    const qsizetype index = at + name.size();
    const char digit = index < line.size() ? line.at(index) : char(0);
    return digit >= '0' && digit <= '9' ? digit - '0' : 2;
}

// The lines a job wrote to standard error, as a JSON array.
QByteArray ErrorLinesJson(const QByteArray &text)
{
    QJsonArray lines;
    for (QString line : QString::fromUtf8(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return QJsonDocument(lines).toJson(QJsonDocument::Compact);
}

void PrintError(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    hostfiles::WriteAll(STDERR_FILENO, bytes.constData(), bytes.size());
}

class BatchRunner
{
public:
    BatchRunner(const CheckerOptions &options, const QString &program, const QString &jobsFolder,
                int outputFd, int total)
        : options_(options), program_(program), jobsFolder_(jobsFolder), outputFd_(outputFd),
          total_(total), progress_(::isatty(STDERR_FILENO) == 1)
    {
    }

    ~BatchRunner()
    {
        for (auto &job : jobs_)
            Stop(*job);
    }

    void Queue(const BatchEntry &entry) { queue_.push_back(entry); }

    // A line the list itself refuses.
    void Refuse(const BatchEntry &entry)
    {
        Emit(BuildOpenFailureJson(entry.error, LineJsonOptions(options_, entry.line, entry.medium)),
             2, entry.error.toUtf8());
    }

    // Runs the queue to its end or to a stop signal; false when stopped.
    bool Run()
    {
        QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop_, [this] {
            interrupted_ = true;
            loop_.quit();
        });
        const int count = std::min<int>(options_.jobs, int(queue_.size()));
        for (int i = 0; i < count; ++i) {
            jobs_.push_back(std::make_unique<Job>());
            jobs_.back()->root = jobsFolder_ + u"/trabajo-%1"_s.arg(i + 1);
            jobs_.back()->errorFile = jobs_.back()->root + u".stderr"_s;
            Start(*jobs_.back());
        }
        if (Running() > 0)
            loop_.exec();
        for (auto &job : jobs_)
            Stop(*job);
        ClearProgress();
        return !interrupted_;
    }

    int valid = 0;
    int notValid = 0;
    int failed = 0;
    bool WriteFailed() const { return writeFailed_; }

private:
    struct Job
    {
        QString root;
        // The job's standard error goes to a file: what it holds beyond
        // `errorRead` when a deposit's line arrives was written for that deposit.
        QString errorFile;
        qint64 errorRead = 0;
        std::unique_ptr<QProcess> process;
        std::optional<BatchEntry> current;
        bool done = false;
    };

    int Running() const
    {
        int running = 0;
        for (const auto &job : jobs_)
            running += job->done ? 0 : 1;
        return running;
    }

    void Start(Job &job)
    {
        // Private whatever the umask, as every drive C: must be.
        QDir().mkpath(job.root);
        hostfiles::MakePrivate(QFile::encodeName(job.root));
        job.process = std::make_unique<QProcess>();
        QProcess *process = job.process.get();
        process->setStandardErrorFile(job.errorFile);
        job.errorRead = 0;
        QStringList arguments{u"--batch-worker"_s, u"--root"_s, job.root};
        if (!options_.texts)
            arguments << u"--sin-textos"_s;
        if (!options_.driveA.isEmpty())
            arguments << u"--drive-a"_s << QFileInfo(options_.driveA).absoluteFilePath();
        QObject::connect(process, &QProcess::readyReadStandardOutput, &loop_,
                         [this, &job] { Collect(job); });
        QObject::connect(process, &QProcess::finished, &loop_, [this, &job] { Ended(job); });
        QObject::connect(process, &QProcess::errorOccurred, &loop_,
                         [this, &job](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart)
                                 QTimer::singleShot(0, &loop_, [this, &job] { FailStart(job); });
                         });
        process->start(program_, arguments);
        Feed(job);
    }

    void Stop(Job &job)
    {
        if (!job.process)
            return;
        job.process->disconnect();
        if (job.process->state() != QProcess::NotRunning) {
            job.process->kill();
            job.process->waitForFinished(5000);
        }
        job.process.reset();
    }

    void Feed(Job &job)
    {
        if (queue_.empty()) {
            job.current.reset();
            job.process->closeWriteChannel();
            return;
        }
        job.current = queue_.front();
        queue_.pop_front();
        const QString request = QString::number(job.current->line) + u'\t' + job.current->medium +
                                u'\t' + job.current->fingerprint + u'\n';
        job.process->write(request.toUtf8());
    }

    void Collect(Job &job)
    {
        while (job.process && job.process->canReadLine()) {
            const QByteArray line = job.process->readLine();
            const int exitCode = LineExitCode(line);
            Emit(line, exitCode, ReadErrorOutput(job));
            Feed(job);
        }
    }

    void Ended(Job &job)
    {
        if (interrupted_ || job.done)
            return;
        Collect(job);
        // A job that ended in the middle of a deposit: that deposit failed,
        // and a new job takes the rest.
        if (job.current) {
            const BatchEntry entry = *job.current;
            job.current.reset();
            const QString text = u"ERROR. La comprobación del depósito terminó de forma anormal."_s;
            Emit(BuildOpenFailureJson(text, LineJsonOptions(options_, entry.line, entry.medium)), 2,
                 ReadErrorOutput(job) + text.toUtf8());
        }
        job.process->disconnect();
        job.process.release()->deleteLater();
        if (!queue_.empty()) {
            Start(job);
            return;
        }
        job.done = true;
        if (Running() == 0)
            loop_.quit();
    }

    // Without its program no job can run: every deposit left fails.
    void FailStart(Job &job)
    {
        if (job.done)
            return;
        const QString text = u"ERROR. No se puede iniciar la comprobación (%1)"_s.arg(program_);
        if (job.current)
            queue_.push_front(*job.current);
        job.current.reset();
        while (!queue_.empty()) {
            const BatchEntry entry = queue_.front();
            queue_.pop_front();
            Emit(BuildOpenFailureJson(text, LineJsonOptions(options_, entry.line, entry.medium)), 2,
                 text.toUtf8());
        }
        job.done = true;
        if (Running() == 0)
            loop_.quit();
    }

    // What the job has written to standard error since its last deposit.
    static QByteArray ReadErrorOutput(Job &job)
    {
        QFile file(job.errorFile);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(job.errorRead))
            return {};
        const QByteArray text = file.readAll();
        job.errorRead += text.size();
        return text;
    }

    // Writes a deposit's object with its "errorOutput" member last.
    void Emit(QByteArray line, int exitCode, const QByteArray &errorOutput)
    {
        while (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('}')) {
            line.chop(1);
            line += ", \"errorOutput\": " + ErrorLinesJson(errorOutput) + '}';
        }
        line += '\n';
        // One write a line, never split by the stop signal.
        if (!hostfiles::WriteAll(outputFd_, line.constData(), line.size()) && !writeFailed_) {
            writeFailed_ = true;
            ClearProgress();
            PrintError(u"ERROR. No se pueden escribir los resultados.\n"_s);
        }
        (exitCode == 0 ? valid : exitCode == 1 ? notValid : failed) += 1;
        ShowProgress();
    }

    void ShowProgress()
    {
        if (!progress_)
            return;
        PrintError(u"\r\x1b[K%1/%2 depósitos: %3 válidos, %4 no válidos, %5 fallidos"_s
                       .arg(valid + notValid + failed)
                       .arg(total_)
                       .arg(valid)
                       .arg(notValid)
                       .arg(failed));
    }

    void ClearProgress()
    {
        if (progress_)
            PrintError(u"\r\x1b[K"_s);
    }

    const CheckerOptions &options_;
    const QString program_;
    const QString jobsFolder_;
    const int outputFd_;
    const int total_;
    const bool progress_;
    std::deque<BatchEntry> queue_;
    std::vector<std::unique_ptr<Job>> jobs_;
    QEventLoop loop_;
    bool interrupted_ = false;
    bool writeFailed_ = false;
};

} // namespace

bool ParseBatchList(const QByteArray &bytes, QList<BatchEntry> &entries, QString &error)
{
    entries.clear();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        error = u"ERROR. La lista de depósitos no es un texto UTF-8."_s;
        return false;
    }
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        BatchEntry entry;
        entry.line = int(i + 1);
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0) {
            entry.medium = line;
            entry.error = u"ERROR. Línea sin tabulador. (Obligado : MEDIO<TAB>HUELLA)"_s;
        } else {
            entry.medium = line.left(tab);
            entry.fingerprint = line.mid(tab + 1);
        }
        entries.append(entry);
    }
    return true;
}

int BatchExitCode(int valid, int notValid, int failed)
{
    Q_UNUSED(valid);
    return failed > 0 ? 2 : notValid > 0 ? 1 : 0;
}

int RunBatch(const CheckerOptions &options, const QString &program)
{
    QFile list(options.batchList);
    if (!list.open(QIODevice::ReadOnly)) {
        PrintError(
            u"ERROR. No se puede leer la lista de depósitos (%1)\n"_s.arg(options.batchList));
        return 2;
    }
    QList<BatchEntry> entries;
    QString error;
    if (!ParseBatchList(list.readAll(), entries, error)) {
        PrintError(error + u" (%1)\n"_s.arg(options.batchList));
        return 2;
    }

    int outputFd = STDOUT_FILENO;
    if (!options.jsonLines.isEmpty()) {
        outputFd = ::open(QFile::encodeName(options.jsonLines).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (outputFd < 0) {
            PrintError(u"ERROR. No se puede crear el fichero de resultados (%1)\n"_s.arg(
                options.jsonLines));
            return 2;
        }
    }

    // The jobs' drives C:, private and removed at the end whatever happens.
    const QString base = options.root.isEmpty() ? QDir::tempPath() : options.root;
    QDir().mkpath(base);
    QTemporaryDir jobsFolder(base + u"/vk7-lote-XXXXXX"_s);
    if (!jobsFolder.isValid()) {
        PrintError(u"ERROR. No se puede crear la carpeta de trabajo del lote en %1\n"_s.arg(base));
        return 2;
    }

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        PrintError(u"ERROR. No se puede preparar el lote.\n"_s);
        return 2;
    }
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction oldInt = {};
    struct sigaction oldTerm = {};
    struct sigaction oldHangUp = {};
    ::sigaction(SIGINT, &action, &oldInt);
    ::sigaction(SIGTERM, &action, &oldTerm);
    ::sigaction(SIGHUP, &action, &oldHangUp);

    BatchRunner runner(options, program, jobsFolder.path(), outputFd, int(entries.size()));
    for (const BatchEntry &entry : std::as_const(entries)) {
        if (entry.error.isEmpty())
            runner.Queue(entry);
        else
            runner.Refuse(entry);
    }
    const bool finished = runner.Run();

    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    ::sigaction(SIGHUP, &oldHangUp, nullptr);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    // Results that did not all reach their file make the batch fail, whatever
    // the verdicts: a script must not take a partial file for the day's work.
    bool written = !runner.WriteFailed();
    if (outputFd != STDOUT_FILENO && ::close(outputFd) != 0 && written) {
        written = false;
        PrintError(u"ERROR. No se pueden escribir los resultados.\n"_s);
    }

    const QString tally = u"Válidos: %1  No válidos: %2  Fallidos: %3\n"_s.arg(runner.valid)
                              .arg(runner.notValid)
                              .arg(runner.failed);
    if (!finished) {
        PrintError(u"Lote interrumpido. "_s + tally);
        return 130;
    }
    PrintError(tally);
    return written ? BatchExitCode(runner.valid, runner.notValid, runner.failed) : 2;
}

int RunBatchWorker(const CheckerOptions &options, IUserInterface &)
{
    // Ctrl+C reaches the whole process group; the batch decides what stops.
    std::signal(SIGINT, SIG_IGN);
    // Nobody answers a job's questions, and its input is the batch's.
    TerminalUserInterface ui(nullptr, stderr, TerminalUserInterface::StatusLine::Hidden);
    ui.SetUnattended(true);
    QByteArray request;
    int c;
    for (;;) {
        request.clear();
        while ((c = std::fgetc(stdin)) != EOF && c != '\n')
            request.append(char(c));
        if (c == EOF && request.isEmpty())
            break;
        const QString text = QString::fromUtf8(request);
        const QString lineText = text.section(u'\t', 0, 0);
        CheckerOptions one = options;
        one.batchWorker = false;
        one.json = true;
        one.interactive = false;
        one.medium = text.section(u'\t', 1, 1);
        one.fingerprint = text.section(u'\t', 2);
        const CheckJsonOptions json = LineJsonOptions(options, lineText.toInt(), one.medium);
        QByteArray output;
        QByteArray errors;
        {
            DepositChecker checker(one, ui);
            checker.Run(output, errors, json);
        }
        if (output.isEmpty())
            output = BuildOpenFailureJson(QString::fromUtf8(errors).trimmed(), json);
        // What a single vk7check prints on standard error, before the line
        // that tells the batch this deposit is done.
        hostfiles::WriteAll(STDERR_FILENO, errors.constData(), errors.size());
        if (!hostfiles::WriteAll(STDOUT_FILENO, output.constData(), output.size()))
            return 2;
    }
    return 0;
}

} // namespace vk7
