#include "depositcheck.h"

#include <QFileInfo>

#include "app/framestate.h"
#include "checkreport.h"
#include "components/cupsprintdevice.h"
#include "components/formdocument.h"
#include "components/pdfdocument.h"
#include "datafiles/depositstate.h"
#include "reception/failure.h"
#include "reception/manifest.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "receptionchain.h"
#include "receptionrecord.h"
#include "verification/textpages.h"

using namespace Qt::StringLiterals;

namespace vk7 {

// The Open dialog wants the manifest's path; a folder stands for the
// FICHERO.TXT it holds.
QString ManifestLocation(const QString &medium)
{
    PathResolver::EntryKind kind;
    if (!PathResolver::Lookup(medium, &kind) || kind != PathResolver::EntryKind::Folder)
        return medium;
    if (medium.endsWith(u'\\') || medium.endsWith(u'/'))
        return medium + OpenDepositLogic::ManifestName();
    const bool drivePath = medium.size() >= 2 && medium.at(1) == u':';
    return medium + (drivePath ? u'\\' : u'/') + OpenDepositLogic::ManifestName();
}

namespace {

// Whether the folder that holds the manifest is the work folder or lies
// inside it, links followed: opening empties the work folder first, which
// would delete such a deposit before it is read.
bool IsInsideWorkFolder(const QString &manifestLocation)
{
    const QString work = QFileInfo(PathResolver::Resolve(WorkFolder())).canonicalFilePath();
    const QString host = PathResolver::Resolve(manifestLocation);
    if (work.isEmpty() || host.isEmpty())
        return false;
    const QString folder = QFileInfo(QFileInfo(host).absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && (folder == work || folder.startsWith(work + u'/'));
}

QByteArray JobLines(const QList<PrintedJob> &jobs, const QString &where)
{
    QByteArray lines;
    for (const PrintedJob &job : jobs)
        lines +=
            u"Impreso %1: %2 página(s) en %3\n"_s.arg(job.name).arg(job.pages).arg(where).toUtf8();
    return lines;
}

// The state window's "&Imprimir" on the checked deposit. Failed when the
// output stopped on one of its errors, whose texts go to `errors`; its
// failure is the machine's when it met one.
OutputResult PrintDeposit(const DepositCheckOptions &options, DepositState &state,
                          FrameState &frame, const DepositStateReport &report, const Clock &clock,
                          QByteArray &errors, DepositCheckOutput &output)
{
    OutputTicks ticks = report.ticks;
    if (options.printTicks) {
        // A box the window would show disabled cannot be ticked.
        ticks = *options.printTicks;
        for (int i = 0; i < kPrintableDocumentCount; ++i)
            ticks[size_t(i) + 1] = ticks[size_t(i) + 1] && report.available[size_t(i)];
    }
    // Nobody watches progress here; what the clerk would be told comes back
    // in the result, and goes to standard error after the jobs.
    OutputResult result;
    QString told;
    if (!options.pdfPath.isEmpty()) {
        PdfFileDevice pdf(options.pdfPath);
        FormPageSettings formPages{.printerChosen = frame.printerChosen};
        result = ProduceDepositOutput(state, frame.form, formPages, ticks, pdf, nullptr, clock);
        frame.printerChosen = formPages.printerChosen;
        if (!result.Failed()) {
            if (const Failure failure = pdf.Finish(); failure.Failed()) {
                told = failure.text;
                result.outcome = OutputResult::Outcome::Failed;
            }
        }
        if (!result.Failed())
            errors += JobLines(pdf.Jobs(), options.pdfPath);
        output.printQueue = options.pdfPath;
        output.printedJobs = pdf.Jobs();
    } else {
        CupsPrintDevice printer(PrintSettings{options.printer, options.copies, options.jobOptions});
        // A printer named on the command line is a printer chosen.
        frame.printerChosen = !options.printer.isEmpty();
        FormPageSettings formPages{.printerChosen = frame.printerChosen};
        result = ProduceDepositOutput(state, frame.form, formPages, ticks, printer, nullptr, clock);
        frame.printerChosen = formPages.printerChosen;
        const QString queue = CupsPrintDevice::ResolveQueue(options.printer);
        errors += JobLines(printer.Jobs(), queue.isEmpty() ? options.printer : queue);
        output.printQueue = queue.isEmpty() ? options.printer : queue;
        output.printedJobs = printer.Jobs();
    }
    if (result.notice)
        told = result.notice->text;
    if (!told.isNull())
        errors += told.toUtf8() + '\n';
    return result;
}

// Hands what the output holds to the streams, when there are any.
void Deliver(DepositCheckOutput &output, const DepositCheckStreams *streams)
{
    if (!streams)
        return;
    streams->error(output.standardError);
    if (!output.standardOutput.isEmpty())
        streams->output(output.standardOutput);
    output.standardError.clear();
    output.standardOutput.clear();
}

} // namespace

DepositCheckOutput RunDepositCheck(const DepositCheckOptions &options, IUserInterface &ui,
                                   const Clock &clock, const DepositCheckStreams *streams)
{
    DepositCheckOutput output;
    const QString location = ManifestLocation(options.medium);
    if (IsInsideWorkFolder(location)) {
        output.standardError =
            u"ERROR. El Depósito Digital está en la carpeta de trabajo %1 (%2), que se vacía "
            u"al abrirlo. Cópielo antes a otra carpeta.\n"_s
                .arg(WorkFolder(), PathResolver::Resolve(location))
                .toUtf8();
        output.exitCode = 2;
        if (options.keepRecord)
            output.recordMembers =
                OpenFailureRecordMembers(QString::fromUtf8(output.standardError).trimmed());
        Deliver(output, streams);
        return output;
    }
    CFormDocument form;
    DepositState state;
    FrameState frame{.form = &form, .appFolder = options.appFolder};

    ReceptionChain chain(state, frame, &ui, clock);
    chain.SetShowFileWarnings(false);
    bool accepted = false;
    QString status;
    const ReceptionResult result =
        chain.Open({location, options.diskettes, options.fingerprint}, &accepted, &status);
    // The fingerprint's errors, as the terminal tells any message.
    for (const Notice &notice : result.report.notices)
        ShowNotice(ui, notice);
    const auto stopOnIoFailure = [&](const Failure &failure, const QString &openStatus) {
        if (!openStatus.isEmpty())
            output.standardError += openStatus.toUtf8() + '\n';
        output.standardError += failure.Message().toUtf8() + '\n';
        output.standardOutput.clear();
        if (options.json)
            output.standardOutput = BuildIoFailureJson(failure, openStatus, options.jsonOptions);
        if (options.keepRecord)
            output.recordMembers = IoFailureRecordMembers(failure, openStatus);
        output.exitCode = 2;
        output.ioFailure = failure;
        Deliver(output, streams);
        chain.CloseDeposit();
        return output;
    };
    if (!accepted) {
        if (result.ioFailure.IsIo())
            return stopOnIoFailure(result.ioFailure, status);
        output.standardError = status.toUtf8() + '\n';
        if (options.json)
            output.standardOutput = BuildOpenFailureJson(status, options.jsonOptions);
        if (options.keepRecord)
            output.recordMembers = OpenFailureRecordMembers(status);
        output.exitCode = 2;
        Deliver(output, streams);
        return output;
    }
    if (result.ioFailure.IsIo())
        return stopOnIoFailure(result.ioFailure, QString());
    // Before the program's own pages join the deposit's files.
    CheckJsonOptions jsonOptions = options.jsonOptions;
    if (options.json) {
        const ManifestDifferences differences = ListManifestDifferences(WorkFolder());
        if (differences.failure.IsIo())
            return stopOnIoFailure(differences.failure, QString());
        jsonOptions.missingFiles = differences.missing;
        jsonOptions.unlistedFiles = differences.unlisted;
    }

    bool printed = true;
    // The first failure of the machine the output met.
    Failure outputFailure;
    if (options.print) {
        // The output renders the sheet and exports the form pages itself.
        const OutputResult printing =
            PrintDeposit(options, state, frame, result.report, clock, output.standardError, output);
        printed = !printing.Failed();
        outputFailure = printing.failure.IsIo() ? printing.failure : Failure();
    } else {
        // The sheet's pages, as the output pipeline renders them before printing.
        const QString pageFolder = WorkFolder();
        const Failure sheet = RenderTextPages(state, DocumentKind::DiagnosticSheet, pageFolder,
                                              &state.diagnosticText);
        if (sheet.Failed())
            output.standardError += "ERROR Creando DIAGNOSTICO\n";
        Failure failure = sheet;
        if (options.formPages && state.formIdentified) {
            const Failure pages = form.ExportPages(pageFolder);
            if (pages.Failed())
                output.standardError += QStringLiteral("ERROR Creando TIF's\n").toUtf8();
            if (!failure.IsIo())
                failure = pages;
        }
        // Pages the machine would not write leave no verdict either.
        if (failure.IsIo())
            return stopOnIoFailure(failure, QString());
    }

    if (!state.fileWarnings.isEmpty())
        output.standardError.prepend(state.fileWarnings.toUtf8());
    // An output the machine could not write stopped, whatever it showed.
    if (outputFailure.IsIo()) {
        output.standardError += outputFailure.Message().toUtf8() + '\n';
        printed = false;
    }
    output.exitCode = !printed ? 3 : result.report.valid ? 0 : 1;
    jsonOptions.exitCode = output.exitCode;
    if (options.keepRecord)
        output.recordMembers = DepositRecordMembers(state, result, jsonOptions);
    if (streams && options.json) {
        // Before Close: the texts are read back from the work copy.
        Deliver(output, streams);
        // The texts are read back as they are written: one the machine stops
        // reading cuts the object short (no parser takes it whole) and the
        // check ends as an I/O failure.
        // (A failure the output met is already told by its exit code 3.)
        const bool outputFailed = outputFailure.IsIo() || state.TextReadFailure().IsIo();
        const JsonSink guarded = [&streams, &state, outputFailed](QByteArrayView piece) {
            return (outputFailed || !state.TextReadFailure().IsIo()) && streams->output(piece);
        };
        WriteCheckJson(state, result, jsonOptions, guarded);
        Failure failure = outputFailure;
        failure.KeepFirst(state.TextReadFailure());
        if (failure.IsIo() && output.exitCode != 3) {
            streams->error(QByteArray(failure.Message().toUtf8() + '\n'));
            output.exitCode = 2;
            output.ioFailure = failure;
            if (options.keepRecord)
                output.recordMembers = IoFailureRecordMembers(failure, QString());
        }
    } else {
        output.standardOutput = options.json ? BuildCheckJson(state, result, jsonOptions)
                                             : result.report.sheet.toUtf8();
        // The texts are read back into the object.
        Failure failure = outputFailure;
        failure.KeepFirst(state.TextReadFailure());
        if (failure.IsIo() && output.exitCode != 3)
            return stopOnIoFailure(failure, QString());
        Deliver(output, streams);
    }
    chain.CloseDeposit();
    return output;
}

} // namespace vk7
