#include <gtest/gtest.h>

#include "depositfolder.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

class KeyedFilesTest : public ::testing::Test
{
protected:
    QString V(int key) const { return Value(folder.state, key); }
    QList<int> MarkKeys() const
    {
        QList<int> keys;
        for (qsizetype i = 0; i < folder.state.fields.GetSize(); ++i) {
            const CCampBD *record = folder.state.fields.GetAt(i);
            if (record->key >= 780800 && record->key <= 780824 && record->value == u"X"_s)
                keys.append(record->key);
        }
        return keys;
    }
    bool ReadApplication(const QByteArray &bytes)
    {
        folder.Write(u"INSTANCIA.ASC"_s, bytes);
        return folder.dialog.ReadApplicationFile(u"INSTANCIA.ASC"_s);
    }

    DepositFolder folder;
};

} // namespace

TEST_F(KeyedFilesTest, ApplicationCodeUnfoldsIntoMarks)
{
    ASSERT_TRUE(ReadApplication("020781010P110010100000000\n"));
    EXPECT_EQ(V(781010), u"P"_s);
    EXPECT_EQ(MarkKeys(), (QList<int>{780801, 780803, 780808, 780809, 780811, 780813, 780818,
                                      780816, 780824, 780820, 780822}));
    EXPECT_EQ(V(780814), u"00"_s);
    // Store order follows the positions: 781010 first, 780814 after 780813.
    EXPECT_EQ(folder.state.fields.GetAt(0)->key, 781010);
    EXPECT_EQ(folder.state.fields.GetAt(7)->key, 780814);
}

TEST_F(KeyedFilesTest, ApplicationCodeEveryPositionAndPadding)
{
    // Each position set to its other choice, and the count 87.
    ASSERT_TRUE(ReadApplication("020781010E221111118711111"
                                "2345\n"));
    EXPECT_EQ(V(781010), u"E"_s);
    EXPECT_EQ(MarkKeys(), (QList<int>{780802, 780804, 780805, 780807, 780809, 780800, 780811,
                                      780812, 780817, 780815, 780823, 780819, 780821}));
    EXPECT_EQ(V(780814), u"87"_s);

    // A one-character code is padded with "0": the "0" choices are set.
    ASSERT_TRUE(ReadApplication("020781010E\n"));
    EXPECT_EQ(V(781010), u"E"_s);
    EXPECT_EQ(MarkKeys(),
              (QList<int>{780808, 780810, 780813, 780818, 780816, 780824, 780820, 780822}));
    EXPECT_EQ(V(780814), u"00"_s);
    EXPECT_EQ(V(780802), u""_s); // cleared by the second read, record kept

    // No count when its first digit is 9 or either is not a digit.
    for (const QByteArray count : {"90", "0x", " 1"}) {
        const QByteArray code = "P00000000" + count;
        DepositFolder other;
        other.Write(u"INSTANCIA.ASC"_s, "020781010" + code + "\n");
        ASSERT_TRUE(other.dialog.ReadApplicationFile(u"INSTANCIA.ASC"_s));
        EXPECT_EQ(Value(other.state, 780814), u"<none>"_s) << code.constData();
    }
}

TEST_F(KeyedFilesTest, ApplicationRecordsAndOtherDocuments)
{
    ASSERT_TRUE(ReadApplication("020781011 Primero \n"
                                "\n"
                                "020781012\n"
                                "010781013Tipo uno\n"
                                "020781013Tercero\n"
                                "020781000fuera\n"
                                "020781405fuera\n"
                                "020781101 15 \r\n"
                                "020781202Sin fin"));
    EXPECT_EQ(folder.state.otherDocumentNames,
              (QStringList{u" Primero "_s, QString(), u"Tercero"_s}));
    EXPECT_EQ(V(781011), u"Primero"_s);
    EXPECT_EQ(V(781012), u"<none>"_s);
    EXPECT_EQ(V(781013), u"Tercero"_s);
    EXPECT_EQ(V(781000), u"<none>"_s);
    EXPECT_EQ(V(781405), u"<none>"_s);
    EXPECT_EQ(V(781101), u"15"_s);
    EXPECT_EQ(V(781202), u"Sin fin"_s); // no line end: nothing dropped
    EXPECT_EQ(folder.state.fields.GetSize(), 4);
    EXPECT_EQ(folder.dialog.StatusLine(), u"Leyendo instancia. Esperar ..."_s);
}

TEST_F(KeyedFilesTest, SharesMappingAndKey710000)
{
    folder.Write(u"ACCIONES.ASC"_s, "020711000abc\n"
                                    "020711005def\n"
                                    "020705000ghi\n"
                                    "020710010jkl\n"
                                    "020719990mno\n"
                                    "020720000pqr\n"
                                    "020775220stu\n"
                                    "020775221vwx\n"
                                    "020710000 5\n");
    ASSERT_TRUE(folder.dialog.ReadSharesFile(u"ACCIONES.ASC"_s));
    EXPECT_EQ(V(701000), u"abc"_s);
    EXPECT_EQ(V(711005), u"def"_s);
    EXPECT_EQ(V(705000), u"<none>"_s);
    EXPECT_EQ(V(700010), u"jkl"_s);
    EXPECT_EQ(V(709990), u"mno"_s);
    EXPECT_EQ(V(720000), u"pqr"_s);
    EXPECT_EQ(V(775220), u"stu"_s);
    EXPECT_EQ(V(775221), u"<none>"_s);
    EXPECT_EQ(V(710000), u"4"_s);

    folder.Write(u"ACCIONES.ASC"_s, "020710000\n");
    ASSERT_TRUE(folder.dialog.ReadSharesFile(u"ACCIONES.ASC"_s));
    EXPECT_EQ(V(710000), u"-1"_s);
    EXPECT_EQ(V(701000), u""_s); // the range was cleared
}

TEST_F(KeyedFilesTest, CertificationRangeAndFormatError)
{
    SetFieldText(folder.state.fields, 791001, u"old"_s);
    SetFieldText(folder.state.fields, 791002, u"old"_s);
    folder.Write(u"CERTIF.ASC"_s, "020791001 Cierto \n"
                                  "020791011no\n"
                                  "02079100\n"
                                  "020791003never\n");
    EXPECT_FALSE(folder.dialog.ReadCertificationFile(u"CERTIF.ASC"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Formato del Fichero: CERTIF.ASC Incorrecto"_s);
    EXPECT_EQ(V(791001), u"Cierto"_s);
    EXPECT_EQ(V(791002), u""_s);
    EXPECT_EQ(V(791003), u"<none>"_s);
    EXPECT_EQ(V(791011), u"<none>"_s);
}

TEST_F(KeyedFilesTest, MissingFilesLeaveTheStoreAlone)
{
    SetFieldText(folder.state.fields, 701000, u"s"_s);
    SetFieldText(folder.state.fields, 791001, u"c"_s);
    SetFieldText(folder.state.fields, 781011, u"i"_s);
    folder.state.otherDocumentNames.append(u"i"_s);
    EXPECT_FALSE(folder.dialog.ReadSharesFile(u"ACCIONES.ASC"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Leyendo acciones. Fichero: ACCIONES.ASC"_s);
    EXPECT_FALSE(folder.dialog.ReadCertificationFile(u"CERTIF.ASC"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Leyendo certificación. Fichero: CERTIF.ASC"_s);
    EXPECT_FALSE(folder.dialog.ReadApplicationFile(u"INSTANCIA.ASC"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Leyendo instancia. Fichero: INSTANCIA.ASC"_s);
    EXPECT_EQ(V(701000), u"s"_s);
    EXPECT_EQ(V(791001), u"c"_s);
    EXPECT_EQ(V(781011), u"i"_s);
    EXPECT_EQ(folder.state.otherDocumentNames.size(), 1);
}

TEST_F(KeyedFilesTest, LongLinesComeInPiecesOf511Characters)
{
    // The first piece keeps all of its characters; the rest of the line is
    // read as a line of its own.
    EXPECT_TRUE(ReadApplication("020781011" + QByteArray(502, 'v') + "020781012abc\n"));
    EXPECT_EQ(V(781011), QString(502, u'v'));
    EXPECT_EQ(V(781012), u"abc"_s);
    EXPECT_FALSE(ReadApplication("020781011" + QByteArray(505, 'v') + "\n"));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Formato del Fichero: INSTANCIA.ASC Incorrecto"_s);
    EXPECT_EQ(V(781011), QString(502, u'v'));
}

TEST_F(KeyedFilesTest, ApplicationNamingOverAThousandDocumentsIsRefusedWhole)
{
    QByteArray file = "020781010E\n020781202dni\n";
    for (int i = 0; i < 1000; ++i)
        file += "020781011n\n";
    ASSERT_TRUE(ReadApplication(file));
    EXPECT_EQ(folder.state.otherDocumentNames.size(), 1000);

    EXPECT_FALSE(ReadApplication(file + "020781099n\n"));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Formato del Fichero: INSTANCIA.ASC Incorrecto"_s);
    EXPECT_TRUE(folder.state.otherDocumentNames.isEmpty());
    EXPECT_EQ(V(781010), QString());
    EXPECT_EQ(V(781202), QString());
}

TEST_F(KeyedFilesTest, SharesWhoseValuesOutgrowTheBoundAreRefusedWhole)
{
    const QByteArray value(500, 'v');
    QByteArray file;
    for (int key = 720000; key < 730000; ++key)
        file += "02" + QByteArray::number(key).rightJustified(7, '0') + value + '\n';
    folder.Write(u"ACCIONES.ASC"_s, file.left(8000 * 510));
    ASSERT_TRUE(folder.dialog.ReadSharesFile(u"ACCIONES.ASC"_s));
    EXPECT_EQ(V(727999), QString::fromLatin1(value));
    folder.state.fields.RemoveAll();
    folder.Write(u"ACCIONES.ASC"_s, file);
    EXPECT_FALSE(folder.dialog.ReadSharesFile(u"ACCIONES.ASC"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Formato del Fichero: ACCIONES.ASC Incorrecto"_s);
    EXPECT_EQ(V(720000), QString());
}
