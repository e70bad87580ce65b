// The "Registro de Recepciones" window over a register of three receptions:
// its filters, the sheet it shows and reprints, and its CSV.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "registry/registerstore.h"
#include "registry/ui/receptionregisterwindow.h"

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

    nif->setText(u"a00000001"_s);
    window.Search();
    ASSERT_EQ(window.Shown().size(), 1);
    EXPECT_EQ(sheet->toPlainText(), u"HOJA B\n"_s);
    print->click();
    EXPECT_EQ(reprinted, QStringList{u"HOJA B\r\n"_s});

    nif->clear();
    name->setText(u"metálicas"_s);
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
    ASSERT_TRUE(window.ExportCsv(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // header, one row, the end
    EXPECT_TRUE(lines.at(1).contains("ERROR. Longitud Huella Digital."));
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
