// The "Informe de Recepciones" window over a register of four receptions,
// three of them today: the pages' descriptions carry the charts' figures by
// local hour, an earlier day widens the report, and it prints and saves.
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "registry/registerstore.h"
#include "registry/ui/receptionreportwindow.h"
#include "testing/programrun.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

QJsonObject Record(const QDateTime &start, const QString &workstation, const QJsonObject &deposit,
                   const QString &result)
{
    const QString time = start.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzzZ"_s);
    return {{u"id"_s, QString(time + workstation)},
            {u"inicio"_s, time},
            {u"fin"_s, time},
            {u"puesto"_s, workstation},
            {u"usuario"_s, u"u"_s},
            {u"programa"_s, u"VK7"_s},
            {u"version"_s, u"2"_s},
            {u"deposito"_s, deposit},
            {u"resultado"_s, result}};
}

} // namespace

TEST(ReceptionReportWindow, DescribesPrintsAndSavesTheReport)
{
    QTemporaryDir folder;
    RegisterLocation location;
    ASSERT_FALSE(
        ParseRegisterLocation(u"sqlite:"_s + folder.filePath(u"r.sqlite"_s), &location).Failed());
    RegisterStore store(location);
    ASSERT_FALSE(store.Open().Failed());
    const QJsonObject valid{{u"valid"_s, true},          {u"exitCode"_s, 0},
                            {u"openStatus"_s, u""_s},    {u"form"_s, u"ABREVIADO"_s},
                            {u"currency"_s, u"EUROS"_s}, {u"nif"_s, u"B09512344"_s}};
    QJsonObject notValid = valid;
    notValid.insert(u"valid"_s, false);
    notValid.insert(u"primaryErrors"_s, QJsonArray{u"Falta rellenar : NIF"_s});
    const QJsonObject refused{{u"exitCode"_s, 2},
                              {u"openStatus"_s, u"ERROR. No se encuentra FICHERO.TXT"_s}};
    const QDate today = QDate::currentDate();
    for (const QJsonObject &record :
         {Record(QDateTime(today, QTime(9, 30)), u"p1"_s, valid, u"Válido"_s),
          Record(QDateTime(today, QTime(10, 15)), u"p2"_s, notValid, u"No válido"_s),
          Record(QDateTime(today, QTime(10, 40)), u"p2"_s, refused, u"No abierto"_s),
          Record(QDateTime(today.addDays(-1), QTime(12, 0)), u"p1"_s, valid, u"Válido"_s)})
        ASSERT_FALSE(store.Append(record).Failed());

    QList<ReportPage> printed;
    ReceptionReportWindow window(store, [&printed](const QList<ReportPage> &pages) {
        printed = pages;
        return true;
    });
    QStringList described;
    for (const ReportPageWidget *page : window.findChildren<ReportPageWidget *>())
        described.append(page->accessibleDescription());
    const QString said = described.join(u' ');
    EXPECT_TRUE(said.contains(u"Recepciones por hora"_s)) << said.toStdString();
    EXPECT_TRUE(said.contains(u"09: 1 (1 válidas, 0 no válidas, 0 no abiertas o fallidas)"_s))
        << said.toStdString();
    EXPECT_TRUE(said.contains(u"10: 2 (0 válidas, 1 no válidas, 1 no abiertas o fallidas)"_s));
    EXPECT_TRUE(said.contains(u"Falta rellenar : NIF: 1"_s));
    EXPECT_TRUE(said.contains(u"p2: 2 (0 válidas, 1 no válidas, 1 no abiertas o fallidas)"_s));
    EXPECT_FALSE(said.contains(u"Por usuario"_s)); // one clerk only

    QLineEdit *from = nullptr;
    for (QLineEdit *edit : window.findChildren<QLineEdit *>())
        if (edit->accessibleName() == u"Desde el día"_s)
            from = edit;
    ASSERT_TRUE(from);
    // A span that ends before it starts is refused: no report, nothing to print.
    from->setText(today.addDays(1).toString(u"dd/MM/yyyy"_s));
    window.Report();
    EXPECT_TRUE(window.Pages().isEmpty());
    from->setText(today.addDays(-1).toString(u"dd/MM/yyyy"_s));
    window.Report();
    described.clear();
    for (const ReportPageWidget *page : window.findChildren<ReportPageWidget *>())
        described.append(page->accessibleDescription());
    EXPECT_TRUE(described.join(u' ').contains(
        u"Recepciones por día, eje horizontal día, eje vertical recepciones. %1: 1 (1 válidas"_s
            .arg(today.addDays(-1).toString(u"dd/MM"_s))));

    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        if (button->accessibleName() == u"Imprimir el informe"_s)
            button->click();
    }
    EXPECT_EQ(printed.size(), window.Pages().size());
    ASSERT_FALSE(printed.isEmpty());
    const QString pdf = folder.filePath(u"informe.pdf"_s);
    ASSERT_TRUE(window.SavePdf(pdf));
    QFile saved(pdf);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    // The PDF names the program that made it.
    const vk7::testing::ProgramRun info = vk7::testing::RunProgram(u"pdfinfo"_s, {pdf});
    EXPECT_TRUE(info.out.contains("Creator:         vk7\n")) << info.out.toStdString();
    EXPECT_FALSE(window.SavePdf(folder.filePath(u"no-hay/informe.pdf"_s)));
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
