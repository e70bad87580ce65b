#include <gtest/gtest.h>

#include "depositfolder.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

const QByteArray Zeros(15, '0');

QByteArray Amount(const QByteArray &digits)
{
    return QByteArray(15 - digits.size(), '0') + digits;
}

class AccountsFileTest : public ::testing::Test
{
protected:
    bool Read(const QByteArray &datos)
    {
        folder.Write(u"DATOS.ASC"_s, datos);
        return folder.dialog.ReadAccountsFile(u"DATOS.ASC"_s);
    }
    QString V(int key) const { return Value(folder.state, key); }

    DepositFolder folder;
};

} // namespace

TEST_F(AccountsFileTest, AmountsAreFormattedByKeyAndSign)
{
    const QByteArray datos = HeaderLine() + DataLine("200000", '+', Amount("123456"), '-', Zeros) +
                             DataLine("200001", ' ', Amount("123400"), '+', Amount("5")) +
                             DataLine("810010", '+', Amount("123400"), '+', Amount("99")) +
                             DataLine("810011", '+', Amount("123456"), '+', Amount("1")) +
                             DataLine("300000", '-', Amount("50000"), '+', Zeros) +
                             DataLine("300001", '-', Zeros, '-', Amount("7")) +
                             DataLine("810100", '+', Amount("250"), '+', Amount("1001")) +
                             DataLine("810110", '+', Amount("100"), '-', Amount("1")) +
                             DataLine("500000", '+', Amount("250"), '+', Amount("1")) +
                             DataLine("500001", '+', Amount("350"), '+', Amount("1")) +
                             DataLine("500002", '-', Amount("49"), '+', Amount("1")) +
                             DataLine("499999", '+', Amount("999999999999999"), '+', Amount("50"));
    ASSERT_TRUE(Read(datos));
    EXPECT_EQ(V(200000), u"1234.56"_s);
    EXPECT_EQ(V(2000001), u"<none>"_s); // zero marked "-": no value
    EXPECT_EQ(V(200001), u"1234"_s);
    EXPECT_EQ(V(2000011), u"0.05"_s);
    EXPECT_EQ(V(810010), u"1234"_s);    // no decimals outside the decimal keys
    EXPECT_EQ(V(8100101), u"<none>"_s); // and no second column
    EXPECT_EQ(V(810011), u"1235"_s);
    EXPECT_EQ(V(300000), u"-500"_s);
    EXPECT_EQ(V(3000001), u"0"_s); // zero with "+" is the value 0
    EXPECT_EQ(V(300001), u"<none>"_s);
    EXPECT_EQ(V(3000011), u"-0.07"_s);
    EXPECT_EQ(V(810100), u"2.50"_s);
    EXPECT_EQ(V(8101001), u"10.01"_s);
    EXPECT_EQ(V(810110), u"1"_s);
    EXPECT_EQ(V(8101101), u"-0.01"_s);
    EXPECT_EQ(V(500000), u"2"_s); // 2.5 rounds to even under %.0f
    EXPECT_EQ(V(500001), u"4"_s);
    EXPECT_EQ(V(500002), u"-0"_s);
    EXPECT_EQ(V(499999), u"9999999999999.99"_s);
    EXPECT_EQ(V(4999991), u"0.50"_s);
    EXPECT_EQ(folder.dialog.StatusLine(), u"Leyendo datos. Esperar ..."_s);
}

TEST_F(AccountsFileTest, AmountsWithAnyNonDigitAreReadAsAtofReadsThem)
{
    // Characters just outside '0'-'9', anywhere in the fifteen, leave the
    // fast reading of plain digits to the general one.
    ASSERT_TRUE(Read(HeaderLine() + DataLine("200000", '+', "00000000012:456", '+', Zeros) +
                     DataLine("200001", '+', "0000000/0012345", '+', " 00000000123456") +
                     DataLine("200002", '+', "1234567:1234567", '+', "12345678901234/")));
    EXPECT_EQ(V(200000), u"0.12"_s);
    EXPECT_EQ(V(200001), u"0"_s);
    EXPECT_EQ(V(2000011), u"1234.56"_s);
    EXPECT_EQ(V(200002), u"12345.67"_s);
    EXPECT_EQ(V(2000021), u"123456789012.34"_s);
}

TEST_F(AccountsFileTest, DatesMarksAndSkippedKeys)
{
    const QByteArray datos = HeaderLine("", "    ") +
                             DataLine("810190", '+', Amount("2005123100"), '+', Zeros) +
                             DataLine("810290", '+', Amount("2005010100"), '+', Amount("2")) +
                             DataLine("999021", '+', Amount("1"), '+', Zeros) +
                             DataLine("999111", '+', Zeros, '+', Amount("5")) +
                             DataLine("999211", '-', Amount("3"), '+', Zeros) +
                             DataLine("899001", '+', Amount("100"), '+', Zeros) +
                             DataLine("899002", '+', Amount("100"), '+', Zeros);
    ASSERT_TRUE(Read(datos));
    EXPECT_EQ(V(810030), u"31"_s);
    EXPECT_EQ(V(810020), u"12"_s);
    EXPECT_EQ(V(810190), u"2005"_s);
    EXPECT_EQ(V(810130), u"01"_s); // leading zeros kept
    EXPECT_EQ(V(810120), u"01"_s);
    EXPECT_EQ(V(810290), u"2005"_s);
    EXPECT_EQ(V(8101901), u"<none>"_s);
    EXPECT_EQ(V(999021), u"X"_s);
    EXPECT_EQ(V(999111), u"<none>"_s);
    EXPECT_EQ(V(999211), u"X"_s);
    EXPECT_EQ(V(899001), u"<none>"_s);
    EXPECT_EQ(V(899002), u"<none>"_s);
    EXPECT_EQ(V(810210), u"<none>"_s); // blank NIF stores nothing
}

TEST_F(AccountsFileTest, DatePartsAreStoredOnlyWhenGreaterThanZero)
{
    const QByteArray datos =
        HeaderLine("A", "0000") +
        DataLine("810190", '+', Amount("120000"), '+', Zeros) + // 12/00, year 0
        DataLine("810290", '-', Zeros, '+', Zeros);
    ASSERT_TRUE(Read(datos));
    EXPECT_EQ(V(810030), u"<none>"_s);
    EXPECT_EQ(V(810020), u"12"_s);
    EXPECT_EQ(V(810190), u"<none>"_s);
    EXPECT_EQ(V(810130), u"<none>"_s);
    EXPECT_EQ(V(810120), u"<none>"_s);
    EXPECT_EQ(V(810290), u"<none>"_s);
}

TEST_F(AccountsFileTest, HeaderColumnsAndConditionalKeys)
{
    QByteArray header = HeaderLine("  B1234 ", "2005");
    header.replace(38, 2, "07");
    header.replace(40, 50,
                   QByteArray(" Nombre \xd1"
                              "a")
                       .leftJustified(50, ' '));
    header.replace(90, 40, QByteArray("Calle").leftJustified(40, ' '));
    header.replace(130, 30, QByteArray(30, 'M'));
    header.replace(160, 5, "00042");
    header.replace(165, 3, "091");
    header.replace(168, 7, "1234567");
    header.replace(175, 6, "ZZZZZZ");
    header.replace(181, 80, QByteArray("Objeto").leftJustified(80, ' '));
    header.replace(261, 15, QByteArray(15, 'Q'));
    ASSERT_TRUE(Read(header));
    const QList<std::pair<int, QString>> expected{
        {810210, u"B1234"_s},     {810190, u"2005"_s},      {810270, u"07"_s},
        {810220, u"Nombre Ña"_s}, {810230, u"Calle"_s},     {810240, QString(30, u'M')},
        {810250, u"00042"_s},     {810260, u"911234567"_s}, {810280, u"Objeto"_s}};
    QList<std::pair<int, QString>> stored;
    for (qsizetype i = 0; i < folder.state.fields.GetSize(); ++i)
        stored.append({folder.state.fields.GetAt(i)->key, folder.state.fields.GetAt(i)->value});
    EXPECT_EQ(stored, expected);

    // Zero numbers leave their keys out; the prefix alone does not count.
    DepositFolder other;
    QByteArray zeros = HeaderLine("N", "2005");
    zeros.replace(38, 2, "00");
    zeros.replace(160, 5, "00000");
    zeros.replace(165, 3, "091");
    zeros.replace(168, 7, "0000000");
    other.Write(u"DATOS.ASC"_s, zeros);
    ASSERT_TRUE(other.dialog.ReadAccountsFile(u"DATOS.ASC"_s));
    EXPECT_EQ(Value(other.state, 810270), u"<none>"_s);
    EXPECT_EQ(Value(other.state, 810250), u"<none>"_s);
    EXPECT_EQ(Value(other.state, 810260), u"<none>"_s);
    zeros.replace(165, 10, "0000000005");
    other.Write(u"DATOS.ASC"_s, zeros);
    ASSERT_TRUE(other.dialog.ReadAccountsFile(u"DATOS.ASC"_s));
    EXPECT_EQ(Value(other.state, 810260), u"05"_s);
}

TEST_F(AccountsFileTest, TheHeaderClearsOnlyTheAccountsRange)
{
    CCampBDArray &fields = folder.state.fields;
    SetFieldText(fields, 200000, u"old"_s);
    SetFieldText(fields, 781010, u"E"_s);
    SetFieldText(fields, 701000, u"s"_s);
    SetFieldText(fields, 791001, u"c"_s);
    ASSERT_TRUE(Read(HeaderLine() + DataLine("300000", '+', Amount("100"), '+', Zeros)));
    EXPECT_EQ(V(200000), u""_s); // cleared, record kept
    EXPECT_EQ(fields.GetAt(0)->key, 200000);
    EXPECT_EQ(V(781010), u"E"_s);
    EXPECT_EQ(V(701000), u"s"_s);
    EXPECT_EQ(V(791001), u"c"_s);
    EXPECT_EQ(V(300000), u"1"_s);
}

TEST_F(AccountsFileTest, LineLengthsAndRecordTypes)
{
    // CR LF is read as a line feed, so DOS lines have the same lengths.
    QByteArray dos = HeaderLine();
    dos.insert(dos.size() - 1, '\r');
    QByteArray record = DataLine("300000", '+', Amount("100"), '+', Zeros);
    record.insert(record.size() - 1, '\r');
    QByteArray longRecord = DataLine("300001", '+', Amount("100"), '+', Zeros);
    longRecord.insert(10, ' ');
    QByteArray typeThree = DataLine("300002", '+', Amount("100"), '+', Zeros);
    typeThree[0] = '3';
    // A data line without its line end at the end of the file still counts.
    const QByteArray last = DataLine("300003", '+', Amount("100"), '+', Zeros).chopped(1) + 'x';
    ASSERT_TRUE(Read(dos + record + longRecord + typeThree + "\n" + last));
    EXPECT_EQ(V(300000), u"1"_s);
    EXPECT_EQ(V(300001), u"<none>"_s);
    EXPECT_EQ(V(300002), u"<none>"_s);
    EXPECT_EQ(V(300003), u"1"_s);
}

TEST_F(AccountsFileTest, FormatErrorsAndMissingFile)
{
    SetFieldText(folder.state.fields, 200000, u"kept"_s);
    EXPECT_FALSE(folder.dialog.ReadAccountsFile(u"DATOS.ASC"_s));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Leyendo datos. Fichero: DATOS.ASC"_s);

    EXPECT_FALSE(Read(DataLine("300000", '+', Amount("100"), '+', Zeros)));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Formato del Fichero: DATOS.ASC Incorrecto"_s);
    EXPECT_FALSE(Read(HeaderLine().chopped(2) + "\n"));
    EXPECT_FALSE(Read(HeaderLine().insert(5, ' ')));
    // A zero byte ends the line as a C string, so the header is too short.
    EXPECT_FALSE(Read(HeaderLine().replace(100, 1, QByteArray(1, '\0'))));
    EXPECT_EQ(V(200000), u"kept"_s);

    // An empty file is read without changing anything.
    EXPECT_TRUE(Read(QByteArray()));
    EXPECT_EQ(V(200000), u"kept"_s);
    EXPECT_EQ(folder.state.fields.GetSize(), 1);

    // A 277-character first line of another type is skipped; the next must
    // still be a header.
    QByteArray notHeader = HeaderLine();
    notHeader[0] = '2';
    EXPECT_FALSE(Read(notHeader + DataLine("300000", '+', Amount("1"), '+', Zeros)));
    EXPECT_TRUE(Read(notHeader + HeaderLine("NEW")));
    EXPECT_EQ(V(810210), u"NEW"_s);
}

TEST_F(AccountsFileTest, ASecondHeaderEndsTheReadingAndCausesAreStillRead)
{
    QByteArray secondHeader = DataLine("300001", '+', Amount("100"), '+', Zeros);
    secondHeader[0] = '1';
    folder.Write(u"CAUSA.TXT"_s, "  Primera causa \r\nSegunda\n");
    ASSERT_TRUE(Read(HeaderLine() + DataLine("300000", '+', Amount("100"), '+', Zeros) +
                     secondHeader + DataLine("300002", '+', Amount("100"), '+', Zeros)));
    EXPECT_EQ(V(300000), u"1"_s);
    EXPECT_EQ(V(300002), u"<none>"_s);
    EXPECT_EQ(V(899001), u"Primera causa"_s);
    EXPECT_EQ(V(899002), u"Segunda"_s);
}

TEST_F(AccountsFileTest, CausesKeepTheLastCharacterOfALastLineWithoutLineEnd)
{
    folder.Write(u"causa.txt"_s, "\nMotivo\nIgnored third line\n");
    ASSERT_TRUE(Read(HeaderLine()));
    EXPECT_EQ(V(899001), u"<none>"_s);
    EXPECT_EQ(V(899002), u"Motivo"_s);

    folder.Write(u"causa.txt"_s, "Sin fin de l\xednea");
    ASSERT_TRUE(Read(HeaderLine()));
    EXPECT_EQ(V(899001), u"Sin fin de línea"_s);
}

TEST_F(AccountsFileTest, AccountsWhoseValuesOutgrowTheBoundAreRefusedWhole)
{
    // An amount field of "1e300" renders as 299 digits.
    const auto records = [](int count) {
        QByteArray datos = HeaderLine();
        for (int key = 100000; key < 100000 + count; ++key)
            datos += DataLine(QByteArray::number(key), '+', "00000000001e300", '+', Zeros);
        return datos;
    };
    ASSERT_TRUE(Read(records(1000)));
    EXPECT_EQ(V(100999).size(), 299);
    EXPECT_EQ(V(810210), u"B12345678"_s);

    folder.state.fields.RemoveAll();
    EXPECT_FALSE(Read(records(200000)));
    EXPECT_EQ(folder.dialog.StatusLine(), u"ERROR Formato del Fichero: DATOS.ASC Incorrecto"_s);
    EXPECT_EQ(V(810210), QString());
    EXPECT_EQ(V(100000), QString());
    EXPECT_LE(folder.state.fields.ValueBytes(), 33 << 20);
}
