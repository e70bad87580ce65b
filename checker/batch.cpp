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
#include "checker/registercommands.h"
#include "checker/terminaluserinterface.h"
#include "reception/failure.h"
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

// A job writes each deposit's object into this file beside its drive C:
// root, then tells the batch on its standard output, with a line holding
// only the deposit's exit code, that the object is whole. The batch copies
// it to the results in pieces: a deposit with a text of any size is never
// held whole by either process, and the object of a job that dies before
// its line is never copied.
QString ObjectFile(const QString &root)
{
    return root + u".json"_s;
}

// The pieces an object is copied in.
constexpr qint64 kCopyPiece = 1024 * 1024;

// The lines a job wrote to standard error, as the "errorOutput" member
// that closes a deposit's object.
QByteArray ErrorOutputMember(const QByteArray &text)
{
    QJsonArray lines;
    for (QString line : QString::fromUtf8(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return ", \"errorOutput\": " + QJsonDocument(lines).toJson(QJsonDocument::Compact) + '}';
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
        QObject::connect(&notifier, &QSocketNotifier::activated, &context_, [this] {
            interrupted_ = true;
            QCoreApplication::exit(0);
        });
        const int count = std::min<int>(options_.jobs, int(queue_.size()));
        for (int i = 0; i < count; ++i) {
            jobs_.push_back(std::make_unique<Job>());
            jobs_.back()->root = jobsFolder_ + u"/trabajo-%1"_s.arg(i + 1);
            jobs_.back()->errorFile = jobs_.back()->root + u".stderr"_s;
            jobs_.back()->objectFile = ObjectFile(jobs_.back()->root);
            Start(*jobs_.back());
        }
        if (Running() > 0)
            QCoreApplication::exec();
        for (auto &job : jobs_)
            Stop(*job);
        ClearProgress();
        return !interrupted_;
    }

    int valid = 0;
    int notValid = 0;
    int failed = 0;
    int lostRecords = 0; // register records neither the store nor the spool took
    bool WriteFailed() const { return writeFailed_; }

private:
    struct Job
    {
        QString root;
        // The job's standard error goes to a file: what it holds beyond
        // `errorRead` when a deposit's line arrives was written for that deposit.
        QString errorFile;
        qint64 errorRead = 0;
        QString objectFile; // the deposit's object, whole once its line arrives
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
        if (options_.noRegister)
            arguments << u"--sin-registro"_s;
        QObject::connect(process, &QProcess::readyReadStandardOutput, &context_,
                         [this, &job] { Collect(job); });
        QObject::connect(process, &QProcess::finished, &context_, [this, &job] { Ended(job); });
        QObject::connect(process, &QProcess::errorOccurred, &context_,
                         [this, &job](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart)
                                 QTimer::singleShot(0, &context_, [this, &job] { FailStart(job); });
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
            bool number = false;
            // "CODE", or "CODE -" when the deposit's register record was lost.
            const QList<QByteArray> words = job.process->readLine().trimmed().split(' ');
            const int exitCode = words.constFirst().toInt(&number);
            lostRecords += words.size() > 1 && words.at(1) == "-" ? 1 : 0;
            if (!job.current)
                continue; // a job only answers what it was given
            EmitFile(job, number ? exitCode : 2, ReadErrorOutput(job));
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
            // Whatever it had written of the object is not the deposit's.
            QFile::remove(job.objectFile);
            EmitAbnormalEnd(job, ReadErrorOutput(job));
            job.current.reset();
        }
        job.process->disconnect();
        job.process.release()->deleteLater();
        if (!queue_.empty()) {
            Start(job);
            return;
        }
        job.done = true;
        if (Running() == 0)
            QCoreApplication::exit(0);
    }

    void EmitAbnormalEnd(const Job &job, const QByteArray &errorOutput)
    {
        const QString text = u"ERROR. La comprobación del depósito terminó de forma anormal."_s;
        Emit(BuildOpenFailureJson(
                 text, LineJsonOptions(options_, job.current->line, job.current->medium)),
             2, errorOutput + text.toUtf8());
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
            QCoreApplication::exit(0);
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

    // Writes a deposit's object made here with its "errorOutput" member last.
    void Emit(QByteArray line, int exitCode, const QByteArray &errorOutput)
    {
        while (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('}')) {
            line.chop(1);
            line += ErrorOutputMember(errorOutput);
        }
        line += '\n';
        Write(line.constData(), line.size());
        Count(exitCode);
    }

    // The same for the object a job has left in its file, copied in pieces
    // and then deleted. The line is finished before the event loop can see a
    // stop signal, however many writes it takes.
    void EmitFile(Job &job, int exitCode, const QByteArray &errorOutput)
    {
        QFile file(job.objectFile);
        // The object's closing brace, before its line break, is where
        // "errorOutput" goes.
        qint64 end = file.open(QIODevice::ReadOnly) ? file.size() : 0;
        char last = 0;
        while (end > 0 && file.seek(end - 1) && file.getChar(&last) && last == '\n')
            --end;
        if (end < 2 || last != '}' || !file.seek(0)) {
            // Never a line that is not an object: the job said done, but
            // what it left is not one.
            file.close();
            QFile::remove(job.objectFile);
            EmitAbnormalEnd(job, errorOutput);
            return;
        }
        --end;
        bool read = true;
        QByteArray piece(qsizetype(std::min(end, kCopyPiece)), Qt::Uninitialized);
        for (qint64 at = 0; read && !writeFailed_ && at < end;) {
            const qint64 size = std::min(end - at, kCopyPiece);
            read = file.read(piece.data(), size) == size;
            if (read)
                Write(piece.constData(), size);
            at += size;
        }
        const QByteArray tail = ErrorOutputMember(errorOutput) + '\n';
        Write(tail.constData(), tail.size());
        // A line cut short leaves results that are not the day's work.
        if (!read && !writeFailed_)
            FailWrite();
        file.close();
        QFile::remove(job.objectFile);
        Count(exitCode);
    }

    void Write(const char *data, qint64 size)
    {
        if (!hostfiles::WriteAll(outputFd_, data, size) && !writeFailed_)
            FailWrite();
    }

    void FailWrite()
    {
        writeFailed_ = true;
        ClearProgress();
        PrintError(u"ERROR. No se pueden escribir los resultados.\n"_s);
    }

    void Count(int exitCode)
    {
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
    // What the children's signals are delivered to while the program's own
    // loop runs them.
    QObject context_;
    bool interrupted_ = false;
    bool writeFailed_ = false;
};

} // namespace

Failure ParseBatchList(const QByteArray &bytes, QList<BatchEntry> &entries)
{
    entries.clear();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return Failure::Data(u"ERROR. La lista de depósitos no es un texto UTF-8."_s);
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
    return {};
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
    if (const Failure failure = ParseBatchList(list.readAll(), entries); failure.Failed()) {
        PrintError(failure.text + u" (%1)\n"_s.arg(options.batchList));
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
    // The register's word, before the tally: records that wait or were lost.
    if (const QString pending = PendingRecordsNotice(options); !pending.isEmpty())
        PrintError(pending + u'\n');
    if (runner.lostRecords > 0) {
        PrintError(u"ERROR. %1 recepción(es) sin registro: ni el registro de recepciones ni el "
                   u"almacén local las han podido guardar.\n"_s.arg(runner.lostRecords));
    }
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
    const QByteArray objectPath = QFile::encodeName(ObjectFile(options.root));
    // One connection to the register for the job's life; its notices stay
    // out of the deposits' "errorOutput": the batch gives its own word.
    const std::unique_ptr<ReceptionRegister> receptionRegister = OpenConfiguredRegister(options);
    if (receptionRegister)
        receptionRegister->Store().SetAsynchronousCommits(true);
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
        one.keepRecord = receptionRegister != nullptr;
        const CheckJsonOptions json = LineJsonOptions(options, lineText.toInt(), one.medium);
        // Buffered: the object comes in many small pieces.
        const int fd =
            ::open(objectPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        std::FILE *object = fd < 0 ? nullptr : ::fdopen(fd, "wb");
        if (!object) {
            if (fd >= 0)
                ::close(fd);
            PrintError(u"ERROR. No se puede escribir el resultado del depósito en %1\n"_s.arg(
                QFile::decodeName(objectPath)));
            return 2;
        }
        qint64 written = 0;
        bool failed = false;
        QByteArray errors;
        DepositCheckStreams streams;
        streams.error = [&errors](QByteArrayView piece) { errors += piece; };
        streams.output = [&](QByteArrayView piece) {
            failed =
                failed || (!piece.isEmpty() && std::fwrite(piece.data(), 1, size_t(piece.size()),
                                                           object) != size_t(piece.size()));
            written += piece.size();
            return !failed;
        };
        DepositChecker::Result result;
        bool recordLost = false;
        Failure ioFailure;
        {
            DepositChecker checker(one, ui);
            result = checker.Run(streams, json);
            ioFailure = checker.LastIoFailure();
            if (receptionRegister && !checker.LastRecord().isEmpty()) {
                const RecordOutcome outcome = receptionRegister->Record(checker.LastRecord());
                recordLost = !outcome.stored && !outcome.spooled;
            }
        }
        // An object cut short by a failure of the machine is replaced by the
        // failure's own: the line must still be one whole object.
        char end[2] = {};
        if (written > 1 && !failed && result == DepositChecker::Result::OpenFailed &&
            ioFailure.IsIo() && std::fflush(object) == 0 &&
            !(::pread(fd, end, 2, written - 2) == 2 && end[0] == '}' && end[1] == '\n')) {
            failed = ::ftruncate(fd, 0) != 0;
            std::rewind(object);
            const QByteArray output = BuildIoFailureJson(ioFailure, QString(), json);
            failed = failed || std::fwrite(output.constData(), 1, size_t(output.size()), object) !=
                                   size_t(output.size());
        }
        if (written == 0 && !failed) {
            const QByteArray output =
                BuildOpenFailureJson(QString::fromUtf8(errors).trimmed(), json);
            failed = std::fwrite(output.constData(), 1, size_t(output.size()), object) !=
                     size_t(output.size());
            result = DepositChecker::Result::OpenFailed;
        }
        failed = std::fclose(object) != 0 || failed;
        // What a single vk7check prints on standard error, before the line
        // that tells the batch this deposit is done.
        hostfiles::WriteAll(STDERR_FILENO, errors.constData(), errors.size());
        // A half-written object must not be taken for the deposit's: the
        // batch reports this one as ended abnormally.
        if (failed) {
            PrintError(u"ERROR. No se puede escribir el resultado del depósito en %1\n"_s.arg(
                QFile::decodeName(objectPath)));
            return 2;
        }
        const QByteArray done = QByteArray::number(int(result)) + (recordLost ? " -\n" : "\n");
        if (!hostfiles::WriteAll(STDOUT_FILENO, done.constData(), done.size()))
            return 2;
    }
    return 0;
}

} // namespace vk7
