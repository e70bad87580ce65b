// The "Registro de Recepciones" window over a register of three receptions:
// its filters as typed, the sheet it shows and reprints, and its exports for
// a spreadsheet (the .xlsx read back by openpyxl, as a spreadsheet would).
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "registry/registerstore.h"
#include "registry/ui/receptionregisterwindow.h"
#include "testing/programrun.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

QJsonObject Record(const QString &id, const QString &start, const QJsonObject &deposit,
                   const QString &result)
{
    return {{u"id"_s, id},          {u"inicio"_s, start},     {u"fin"_s, start},
            {u"puesto"_s, u"p1"_s}, {u"usuario"_s, u"u"_s},   {u"programa"_s, u"VK7"_s},
            {u"version"_s, u"2"_s}, {u"deposito"_s, deposit}, {u"resultado"_s, result}};
}

template <typename Widget> Widget *Named(QWidget &window, const QString &name)
{
    for (Widget *widget : window.findChildren<Widget *>())
        if (widget->accessibleName() == name)
            return widget;
    return nullptr;
}

} // namespace

TEST(ReceptionRegisterWindow, FiltersShowsReprintsAndExports)
{
    QTemporaryDir folder;
    RegisterLocation location;
    ASSERT_FALSE(
        ParseRegisterLocation(u"sqlite:"_s + folder.filePath(u"r.sqlite"_s), &location).Failed());
    RegisterStore store(location);
    const QJsonObject valid{{u"valid"_s, true},
                            {u"exitCode"_s, 0},
                            {u"openStatus"_s, u""_s},
                            {u"nif"_s, u"B09512344"_s},
                            {u"companyName"_s, u"ESTRUCTURAS METÁLICAS, S.L."_s},
                            {u"diagnosticSheet"_s, u"HOJA A\r\n"_s}};
    QJsonObject notValid = valid;
    notValid.insert(u"valid"_s, false);
    notValid.insert(u"exitCode"_s, 1);
    notValid.insert(u"nif"_s, u"A00000001"_s);
    notValid.insert(u"companyName"_s, u"OTRA, S.A."_s);
    notValid.insert(u"diagnosticSheet"_s, u"HOJA B\r\n"_s);
    const QJsonObject refused{{u"valid"_s, false},
                              {u"exitCode"_s, 2},
                              {u"openStatus"_s, u"ERROR. Longitud Huella Digital."_s}};
    ASSERT_FALSE(
        store.Append(Record(u"a"_s, u"2026-01-01T10:00:00.000Z"_s, valid, u"Válido"_s)).Failed());
    ASSERT_FALSE(
        store.Append(Record(u"b"_s, u"2026-01-02T10:00:00.000Z"_s, notValid, u"No válido"_s))
            .Failed());
    ASSERT_FALSE(
        store.Append(Record(u"c"_s, u"2026-01-03T10:00:00.000Z"_s, refused, u"No abierto"_s))
            .Failed());

    QStringList reprinted;
    ReceptionRegisterWindow window(store, [&reprinted](const QString &sheet) {
        reprinted.append(sheet);
        return true;
    });
    auto *table = Named<QTableWidget>(window, u"Recepciones"_s);
    auto *sheet = Named<QPlainTextEdit>(window, u"Hoja de Diagnóstico de la recepción"_s);
    auto *nif = Named<QLineEdit>(window, u"NIF"_s);
    auto *name = Named<QLineEdit>(window, u"Nombre de la sociedad"_s);
    auto *result = Named<QComboBox>(window, u"Resultado"_s);
    auto *print = Named<QPushButton>(window, u"Imprimir hoja"_s);
    ASSERT_TRUE(table && sheet && nif && name && result && print);

    // Oldest first, the newest chosen: a refused Open has its status, no sheet to print.
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 3)->text(), u"B09512344"_s);
    EXPECT_EQ(sheet->toPlainText(), u"ERROR. Longitud Huella Digital."_s);
    EXPECT_FALSE(print->isEnabled());

    // Why each ended as it did, in its columns, read with their names.
    EXPECT_EQ(table->item(2, 10)->text(), u"ERROR. Longitud Huella Digital."_s);
    EXPECT_EQ(table->item(0, 3)->data(Qt::AccessibleTextRole).toString(), u"NIF: B09512344"_s);
    table->setColumnWidth(4, 333);

    // Days as typed; a day that is none is said, and the table stays.
    auto *from = Named<QLineEdit>(window, u"Desde el día"_s);
    ASSERT_TRUE(from);
    from->setText(u"31/02/2026"_s);
    window.Search();
    EXPECT_EQ(table->rowCount(), 3);
    from->setText(u"2/1/2026"_s);
    window.Search();
    EXPECT_EQ(table->rowCount(), 2);
    from->clear();

    nif->setText(u" 0000001"_s);
    window.Search();
    EXPECT_EQ(table->columnWidth(4), 333);
    ASSERT_EQ(window.Shown().size(), 1);
    EXPECT_EQ(sheet->toPlainText(), u"HOJA B\n"_s);
    print->click();
    EXPECT_EQ(reprinted, QStringList{u"HOJA B\r\n"_s});

    nif->clear();
    name->setText(u"METALICAS"_s);
    result->setCurrentText(u"Válido"_s);
    window.Search();
    ASSERT_EQ(window.Shown().size(), 1);
    EXPECT_EQ(window.Shown().at(0).id, u"a"_s);
    name->clear();
    result->setCurrentText(u"Fallido"_s);
    window.Search();
    ASSERT_EQ(window.Shown().size(), 1);
    EXPECT_EQ(window.Shown().at(0).id, u"c"_s);

    const QString csv = folder.filePath(u"r.csv"_s);
    ASSERT_TRUE(window.Export(csv, ExportFormat::Csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // header, one row, the end
    EXPECT_TRUE(lines.at(0).startsWith("\xEF\xBB\xBFNº;Inicio;Fin;Puesto;"));
    EXPECT_TRUE(lines.at(1).contains("ERROR. Longitud Huella Digital."));

    // The .xlsx as a spreadsheet reads it: heads, the start as a local date,
    // a NIF as text, the heads frozen.
    result->setCurrentText(u"Todos"_s);
    window.Search();
    const QString xlsx = folder.filePath(u"r.xlsx"_s);
    ASSERT_TRUE(window.Export(xlsx, ExportFormat::Xlsx));
    const vk7::testing::ProgramRun read = vk7::testing::RunProgram(
        u"/usr/bin/python3"_s,
        {u"-c"_s,
         u"import sys, openpyxl\n"
         u"s = openpyxl.load_workbook(sys.argv[1]).active\n"
         u"print(s.freeze_panes)\n"
         u"for r in s.iter_rows(max_col=6, values_only=True): print(repr(r))\n"_s,
         xlsx});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QStringList rows = QString::fromUtf8(read.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 5) << read.out.toStdString();
    EXPECT_EQ(rows.at(0), u"A2"_s);
    EXPECT_EQ(rows.at(1), u"('Nº', 'Inicio', 'Fin', 'Puesto', 'Usuario', 'NIF')"_s);
    const QDateTime start =
        QDateTime(QDate(2026, 1, 1), QTime(10, 0), QTimeZone::utc()).toLocalTime();
    EXPECT_TRUE(rows.at(2).startsWith(
        u"(1, datetime.datetime(%1, %2, %3, %4, 0), "_s.arg(start.date().year())
            .arg(start.date().month())
            .arg(start.date().day())
            .arg(start.time().hour())))
        << rows.at(2).toStdString();
    EXPECT_TRUE(rows.at(2).endsWith(u"'p1', 'u', 'B09512344')"_s)) << rows.at(2).toStdString();
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
