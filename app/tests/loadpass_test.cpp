#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include "app/depositjson.h"
#include "datafiles/tests/depositfolder.h"
#include "testing/scriptedinterface.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

TEST(LoadPassTest, ReadsEveryFileInOrderAndEndsWithTheLastReadersText)
{
    DepositFolder folder;
    folder.Write(u"DATOS.ASC"_s, HeaderLine("NIF1"));
    folder.Write(u"ACCIONES.ASC"_s, "020711000a\n");
    folder.Write(u"CERTIF.ASC"_s, "020791001c\n");
    folder.Write(u"INSTANCIA.ASC"_s, "020781010E\n020781011doc\n");
    folder.Write(u"GESTION.TXT"_s, "g1\fg2");
    folder.Write(u"CERTAPRO.TXT"_s, "c");
    folder.Write(u"INFO.G01"_s, "i");
    folder.Write(u"ANUNCIO.T02"_s, "i");
    vk7::testing::ScriptedUserInterface ui;
    ui.unscriptedQuestion = IUserInterface::Answer::No;
    CFileCopyDialog dialog(folder.state, &ui);

    dialog.LoadDeposit();
    const QStringList expected{u"Leyendo datos. Esperar ..."_s,
                               u"Leyendo acciones. Esperar ..."_s,
                               u"Leyendo certificación. Esperar ..."_s,
                               u"Leyendo instancia. Esperar ..."_s,
                               u"Leyendo texto. Esperar ..."_s,
                               u"ERROR Leyendo texto. Fichero: MEMORIA.TXT"_s,
                               u"Leyendo texto. Esperar ..."_s,
                               u"Leyendo texto. Esperar ..."_s,
                               u"ERROR Leyendo texto. Fichero: ACCIONES.TXT"_s,
                               u"Leyendo texto. Esperar ..."_s,
                               u"ERROR Leyendo texto. Fichero: AMBIENTA.TXT"_s,
                               u"Leyendo texto. Esperar ..."_s,
                               u"ERROR Leyendo texto. Fichero: SIMCAV.TXT"_s,
                               u"Leyendo texto. Esperar ..."_s,
                               u"Leyendo imágenes. Esperar ..."_s,
                               u"Leyendo imágenes. Esperar ..."_s,
                               u"Leyendo imágenes. Esperar ..."_s,
                               u"Leyendo imágenes. Esperar ..."_s};
    EXPECT_EQ(ui.statuses, expected);
    EXPECT_EQ(dialog.StatusLine(), u"Leyendo imágenes. Esperar ..."_s);
    EXPECT_EQ(dialog.line3, dialog.StatusLine());

    QJsonObject json;
    AddLoadedDepositJson(folder.state, &json);
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Compact);
    EXPECT_TRUE(text.contains(R"("fields":[[810210,"NIF1"],[810190,"2005"],[701000,"a"],)"
                              R"([791001,"c"],[781010,"E"],[780808,"X"],)"))
        << text.constData();
    EXPECT_TRUE(text.contains(R"([781011,"doc"]])")) << text.constData();
    EXPECT_TRUE(text.contains(R"("GESTION.TXT":["g1","g2"])")) << text.constData();
    EXPECT_TRUE(text.contains(R"("MEMORIA.TXT":[])")) << text.constData();
    EXPECT_TRUE(text.contains(R"("CERTAPRO.TXT":["c"])")) << text.constData();
    EXPECT_TRUE(text.contains(R"("images":{"anuncio":["","ANUNCIO.T02"],"auditor":[],)"
                              R"("gestion":["INFO.G01"],"memoria":[]})"))
        << text.constData();
    EXPECT_TRUE(text.contains(R"("otherDocumentNames":["doc"])")) << text.constData();
}

TEST(LoadPassTest, ShortApplicationNameIsReadOnlyWhenTheLongOneFails)
{
    {
        DepositFolder folder;
        folder.Write(u"DATOS.ASC"_s, HeaderLine());
        folder.Write(u"INSTANCI.ASC"_s, "020781010P\n");
        folder.dialog.LoadDeposit();
        EXPECT_EQ(Value(folder.state, 781010), u"P"_s);
        EXPECT_EQ(Value(folder.state, 810210), u"B12345678"_s);
        EXPECT_TRUE(folder.state.Pages(DocumentKind::MemoriaText).isEmpty());
        EXPECT_TRUE(folder.state.Images(DocumentKind::ManagementReportImages).isEmpty());
        EXPECT_TRUE(folder.state.Images(DocumentKind::AnnouncementsImages).isEmpty());
    }
    {
        // Both present: the long name wins and the short one is never read.
        DepositFolder folder;
        folder.Write(u"INSTANCIA.ASC"_s, "020781011uno\n");
        folder.Write(u"INSTANCI.ASC"_s, "020781010P\n");
        folder.dialog.LoadDeposit();
        EXPECT_EQ(Value(folder.state, 781010), u"<none>"_s);
        EXPECT_EQ(folder.state.otherDocumentNames, QStringList{u"uno"_s});
    }
    {
        // A format error in the long name sends the pass to the short one;
        // it clears the range again, yet the records stay in the store.
        DepositFolder folder;
        folder.Write(u"INSTANCIA.ASC"_s, "020781011uno\n020781012dos\n0207\n");
        folder.Write(u"INSTANCI.ASC"_s, "020781010E\n");
        folder.dialog.LoadDeposit();
        EXPECT_EQ(Value(folder.state, 781010), u"E"_s);
        EXPECT_EQ(Value(folder.state, 781011), QString());
        EXPECT_EQ(folder.state.fields.GetAt(0)->key, 781011);
        EXPECT_TRUE(folder.state.otherDocumentNames.isEmpty());
    }
}

TEST(LoadPassTest, RunningTwiceGivesTheSameStoreAndPages)
{
    DepositFolder folder;
    folder.Write(u"DATOS.ASC"_s,
                 HeaderLine() + DataLine("200000", '+', "000000000000100", '+', "000000000000200"));
    folder.Write(u"MEMORIA.TXT"_s, "m");
    folder.Write(u"M.M02"_s, "i");
    folder.dialog.LoadDeposit();
    QJsonObject first;
    AddLoadedDepositJson(folder.state, &first);
    folder.dialog.LoadDeposit();
    QJsonObject second;
    AddLoadedDepositJson(folder.state, &second);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.value(u"fields"_s).toArray().size(), 4);
    EXPECT_EQ(folder.state.Images(DocumentKind::MemoriaImages),
              (QStringList{QString(), u"M.M02"_s}));
}

TEST(LoadPassTest, BinaryAndHugeLinesFailWithTheStatusTexts)
{
    DepositFolder folder;
    QByteArray binary;
    for (int i = 0; i < 300000; ++i)
        binary.append(char((unsigned(i) * 7919u + unsigned(i) / 13u) & 0xffu));
    // No line end at all in the accounts: a single 2 MB "line".
    QByteArray oneLine(2 << 20, 'x');
    folder.Write(u"DATOS.ASC"_s, oneLine);
    EXPECT_FALSE(folder.dialog.ReadAccountsFile(u"DATOS.ASC"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Formato del Fichero: DATOS.ASC Incorrecto"_s);
    for (const QString &name : {u"DATOS.ASC"_s, u"ACCIONES.ASC"_s, u"CERTIF.ASC"_s,
                                u"INSTANCIA.ASC"_s, u"MEMORIA.TXT"_s, u"X.G01"_s})
        folder.Write(name, binary);
    folder.dialog.LoadDeposit();
    EXPECT_EQ(Value(folder.state, 810210), u"<none>"_s);
    EXPECT_FALSE(folder.state.Pages(DocumentKind::MemoriaText).isEmpty());
    EXPECT_EQ(folder.state.Images(DocumentKind::ManagementReportImages), QStringList{u"X.G01"_s});

    // A header followed by a long run of lines of every length loads the
    // records that fit and skips the rest.
    QByteArray many = HeaderLine();
    for (int i = 0; i < 20000; ++i) {
        many += DataLine(QByteArray::number(100000 + i), '+', "000000000000100", '+',
                         "000000000000000");
        many += QByteArray(i % 700, '2') + '\n';
    }
    folder.Write(u"DATOS.ASC"_s, many);
    EXPECT_TRUE(folder.dialog.ReadAccountsFile(u"DATOS.ASC"_s));
    EXPECT_EQ(Value(folder.state, 119999), u"1"_s);
    EXPECT_EQ(Value(folder.state, 1199991), u"0"_s);
}

TEST(LoadPassTest, FieldsJsonTextIsWhatTheJsonWriterWrites)
{
    CCampBDArray fields;
    const QList<QPair<int, QString>> records{{0, u"plain text 123.45"_s},
                                             {-7, u"quote \" and \\ back"_s},
                                             {1000000, u"\t\n\r\b\f\x01\x1f"_s},
                                             {9999991, u"acentos áéí ñ € \x81\x7f"_s},
                                             {2147483647, QString()},
                                             {-2147483647 - 1, u"/ < > &"_s},
                                             {810260, u"surrogate \U0001F600"_s}};
    for (const auto &[key, value] : records) {
        CCampBD *record = fields.AddNew();
        record->key = key;
        record->value = value;
    }
    fields.SetFieldBytes(200000, "B\xf1 \x9d");
    QJsonArray expected;
    fields.VisitFields([&expected](int key, const QString &value) {
        expected.append(QJsonArray{key, value});
    });
    const auto written = [](const CCampBDArray &store) {
        QByteArray out;
        EXPECT_TRUE(WriteFieldsJson(store, [&out](QByteArrayView piece) {
            out += piece;
            return true;
        }));
        return out;
    };
    EXPECT_EQ(written(fields), QJsonDocument(expected).toJson(QJsonDocument::Compact));
    CCampBDArray empty;
    EXPECT_EQ(written(empty), "[]");
}
