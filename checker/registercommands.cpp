#include "registercommands.h"

#include <cerrno>
#include <cstdio>

#include <QDateTime>

#include "checker/depositchecker.h"
#include "registry/receptionreportdocument.h"
#include "registry/registerexport.h"
#include "registry/registerlocation.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

void PrintLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// --informe: the span's tally, read record by record, drawn into the PDF
// and/or the HTML page.
int WriteReport(RegisterStore &store, const CheckerOptions &options)
{
    const ReportSpan span = ReportSpanOf(options.listFrom, options.listTo, QDate::currentDate());
    ReceptionTally tally(span);
    if (const Failure failure = store.ForEach(RegisterQuery{span.from, span.to, QString()},
                                              [&tally](const StoredReception &reception) {
                                                  tally.Add(reception);
                                                  return true;
                                              });
        failure.Failed()) {
        PrintLine(stderr, failure.text);
        return 2;
    }
    const ReportDocument document =
        BuildReportDocument(tally, store.Location().Describe(), QDateTime::currentDateTime());
    for (const auto &[path, write] : {std::pair{options.reportPdf, &WriteReportPdf},
                                      std::pair{options.reportHtml, &WriteReportHtml}}) {
        if (path.isEmpty())
            continue;
        if (const Failure failure = write(document, path); failure.Failed()) {
            PrintLine(stderr, failure.Message());
            return 2;
        }
        PrintLine(stdout, u"Informe de recepciones (%1 recepción(es)) escrito en %2."_s
                              .arg(tally.Received())
                              .arg(path));
    }
    return 0;
}

} // namespace

std::unique_ptr<ReceptionRegister> OpenConfiguredRegister(const CheckerOptions &options)
{
    RegisterLocation location;
    if (const Failure failure = ConfiguredRegister(options.noRegister, &location); failure.Failed())
        PrintLine(stderr, failure.text);
    if (location.IsOff())
        return nullptr;
    return std::make_unique<ReceptionRegister>(location);
}

void KeepRecord(ReceptionRegister &receptionRegister, const QJsonObject &record)
{
    if (record.isEmpty())
        return;
    const RecordOutcome outcome = receptionRegister.Record(record);
    if (!outcome.notice.isEmpty())
        PrintLine(stderr, outcome.notice);
}

int RunRegisterCommand(const CheckerOptions &options)
{
    const std::unique_ptr<ReceptionRegister> receptionRegister = OpenConfiguredRegister(options);
    if (!receptionRegister) {
        PrintLine(stderr, u"ERROR. El registro de recepciones está desactivado (VK7_REGISTRO)."_s);
        return 2;
    }
    RegisterStore &store = receptionRegister->Store();
    if (const Failure failure = store.Open(); failure.Failed()) {
        PrintLine(stderr, failure.text);
        return 2;
    }
    if (const qint64 pending = receptionRegister->DeliverPending(); pending > 0)
        PrintLine(stderr, receptionRegister->PendingNotice(pending));
    if (options.registerCommand == CheckerOptions::RegisterCommand::Verify) {
        ChainVerification verification;
        if (const Failure failure = store.Verify(&verification); failure.Failed()) {
            PrintLine(stderr, failure.text);
            return 2;
        }
        if (!verification.whole) {
            PrintLine(stdout, u"Registro de recepciones %1: el registro nº %2 (id %3) no "
                              u"corresponde: %4."_s.arg(store.Location().Describe())
                                  .arg(verification.firstBadNumber)
                                  .arg(verification.firstBadId, verification.reason));
            return 1;
        }
        PrintLine(stdout, u"Registro de recepciones %1: cadena entera, %2 registro(s)."_s
                              .arg(store.Location().Describe())
                              .arg(verification.records));
        return 0;
    }
    if (options.registerCommand == CheckerOptions::RegisterCommand::Report)
        return WriteReport(store, options);
    // Written as read: a register of years is never held whole.
    const RegisterQuery query{options.listFrom, options.listTo, options.listNif};
    bool written = true;
    const auto write = [&written](const QByteArray &bytes) {
        written = written && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) ==
                                 size_t(bytes.size());
        return written;
    };
    if (options.listCsv)
        write(CsvLine(ReceptionCsvHeader()));
    const Failure failure = store.ForEach(query, [&](const StoredReception &reception) {
        return write(options.listCsv ? CsvLine(ReceptionCsvRow(reception))
                                     : ReceptionJsonLine(reception));
    });
    if (failure.Failed()) {
        PrintLine(stderr, failure.text);
        return 2;
    }
    if (std::fflush(stdout) != 0 || !written) {
        PrintLine(stderr, Failure::Io(u"(salida estándar)"_s, errno).Message());
        return 2;
    }
    return 0;
}

QString PendingRecordsNotice(const CheckerOptions &options)
{
    RegisterLocation location;
    if (ConfiguredRegister(options.noRegister, &location).Failed() || location.IsOff())
        return QString();
    ReceptionRegister receptionRegister(location);
    const qint64 pending = receptionRegister.PendingCount();
    return pending > 0 ? receptionRegister.PendingNotice(pending) : QString();
}

} // namespace vk7
