// The report's tally on its own: the span asked for, months across a year's
// end, and the first reason a record gives.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "registry/receptionreport.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

StoredReception Reception(const QDateTime &start, const QJsonObject &deposit, const QString &result)
{
    StoredReception reception;
    reception.start = start.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzzZ"_s);
    reception.result = result;
    reception.workstation = u"p1"_s;
    reception.content =
        QJsonDocument(QJsonObject{{u"deposito"_s, deposit}, {u"resultado"_s, result}})
            .toJson(QJsonDocument::Compact);
    return reception;
}

} // namespace

TEST(ReceptionTally, SpansMonthsAndReasons)
{
    const QDate today(2026, 12, 8);
    EXPECT_EQ(ReportSpanOf({}, {}, today).from, today);
    EXPECT_EQ(ReportSpanOf({}, {}, today).to, today);
    EXPECT_EQ(ReportSpanOf(QDate(2026, 12, 1), {}, today).to, today);
    EXPECT_EQ(ReportSpanOf(QDate(2027, 1, 1), {}, today).to, QDate(2027, 1, 1));
    EXPECT_EQ(ReportSpanOf({}, QDate(2026, 11, 3), today).from, QDate(2026, 11, 3));

    // Over 62 days: by month, the year's end included; a reception outside
    // the span's months is counted but drawn in no column.
    ReceptionTally tally({QDate(2026, 11, 15), QDate(2027, 2, 10)});
    ASSERT_EQ(tally.Grain(), ReportGrain::Month);
    ASSERT_EQ(tally.Periods().size(), 4);
    EXPECT_EQ(tally.Periods()[2].name, u"01/2027"_s);
    const QJsonObject valid{{u"valid"_s, true}, {u"form"_s, u"NORMAL"_s}};
    tally.Add(Reception(QDateTime(QDate(2027, 1, 31), QTime(23, 59)), valid, u"Válido"_s));
    tally.Add(Reception(QDateTime(QDate(2026, 11, 15), QTime(0, 1)), valid, u"Válido"_s));
    EXPECT_EQ(tally.Periods()[2].byVerdict[0], 1);
    EXPECT_EQ(tally.Periods()[0].byVerdict[0], 1);
    EXPECT_EQ(tally.Received(), 2);
    EXPECT_DOUBLE_EQ(tally.ValidShare(), 100.0);

    // The first reason: a primary error before the form's error, a missing
    // file before a wrong fingerprint; a failed one says its Open.
    QJsonObject notValid{{u"valid"_s, false},
                         {u"formError"_s, u"ERROR en el fichero DATOS.ASC"_s},
                         {u"primaryErrors"_s, QJsonArray{u"  Falta rellenar : NIF "_s}}};
    EXPECT_EQ(ReceptionTally::FirstReason(notValid, ReceptionVerdict::NotValid),
              u"Falta rellenar : NIF"_s);
    notValid.remove(u"primaryErrors"_s);
    EXPECT_EQ(ReceptionTally::FirstReason(notValid, ReceptionVerdict::NotValid),
              u"ERROR en el fichero DATOS.ASC"_s);
    const QJsonObject missing{{u"valid"_s, false},
                              {u"missingFiles"_s, QJsonArray{u"DATOS.ASC"_s}},
                              {u"fingerprintVerdict"_s, u"ERRONEA"_s}};
    EXPECT_EQ(ReceptionTally::FirstReason(missing, ReceptionVerdict::NotValid),
              u"Falta el fichero DATOS.ASC"_s);
    const QJsonObject failed{{u"ioFailure"_s, QJsonObject{{u"message"_s, u"ERROR de lectura"_s}}}};
    EXPECT_EQ(ReceptionTally::FirstReason(failed, ReceptionVerdict::Failed), u"ERROR de lectura"_s);
    tally.Add(
        Reception(QDateTime(QDate(2027, 2, 1), QTime(9, 0)), failed, u"Fallo de la máquina"_s));
    ASSERT_EQ(tally.Problems().size(), 1);
    EXPECT_EQ(tally.Problems()[0].reason, u"ERROR de lectura"_s);
    EXPECT_EQ(tally.Forms().constFirst().name, u"NORMAL"_s);
    EXPECT_EQ(tally.Forms().constLast().name, u"Sin abrir"_s);
}
