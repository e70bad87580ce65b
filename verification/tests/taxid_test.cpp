#include <gtest/gtest.h>

#include "verification/taxid.h"

using namespace Qt::StringLiterals;
using vk7::IsValidTaxId;

// Real, published numbers of every kind the rule accepts; their control
// characters were worked out by hand with the rule.
TEST(TaxId, AcceptsPublishedEntityNumbers)
{
    // Companies (A, B), a cooperative (F), an association (G), with the control digit.
    for (const QString &id : {u"A28015865"_s, u"A78374725"_s, u"A48010615"_s, u"A39000013"_s,
                              u"A46103834"_s, u"A15075062"_s, u"A08663619"_s, u"B82846825"_s,
                              u"B46086229"_s, u"F20025318"_s, u"G28029007"_s})
        EXPECT_TRUE(IsValidTaxId(id, false)) << id.toStdString();
    // Public bodies (P councils, Q agencies and universities, S state bodies)
    // carry the control letter.
    for (const QString &id : {u"P2807900B"_s, u"P0801900B"_s, u"Q2826000H"_s, u"Q2818014I"_s,
                              u"S2833002E"_s, u"S2800568D"_s})
        EXPECT_TRUE(IsValidTaxId(id, false)) << id.toStdString();
}

TEST(TaxId, EntityControlDigitOrLetter)
{
    // Control 5 for A28015865: "5" or "E" (the fifth of JABCDEFGHI).
    EXPECT_TRUE(IsValidTaxId(u"A2801586E"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"A28015864"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"A2801586F"_s, false));
    // P, Q and S only with the letter.
    EXPECT_FALSE(IsValidTaxId(u"P28079002"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"Q28260008"_s, false));
    // A sum that is a multiple of ten gives control 0, letter J.
    // B00000000: sum 0 -> 10 -> 0.
    EXPECT_TRUE(IsValidTaxId(u"B00000000"_s, false));
    EXPECT_TRUE(IsValidTaxId(u"B0000000J"_s, false));
    EXPECT_TRUE(IsValidTaxId(u"Q0000000J"_s, false));
    // Ninth character beyond J is never a control character.
    EXPECT_FALSE(IsValidTaxId(u"A2801586K"_s, false));
    // Middle characters must be digits.
    EXPECT_FALSE(IsValidTaxId(u"A28O15865"_s, false));
    // Entities-only accepts entities and nothing else.
    EXPECT_TRUE(IsValidTaxId(u"A28015865"_s, true));
    EXPECT_FALSE(IsValidTaxId(u"12345678Z"_s, true));
}

TEST(TaxId, AcceptsPersonNumbers)
{
    // The DNI of the official examples: 12345678 mod 23 = 14 -> Z.
    EXPECT_TRUE(IsValidTaxId(u"12345678Z"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"12345678A"_s, false));
    // A DNI with a leading zero is still eight digits.
    EXPECT_TRUE(IsValidTaxId(u"00000001R"_s, false));
    // X (foreigner) and K, L, M (Spaniards without DNI, foreigners without
    // NIE) are tested on the seven digits: 1234567 mod 23 = 19 -> L.
    for (const QString &id : {u"X1234567L"_s, u"K1234567L"_s, u"L1234567L"_s, u"M1234567L"_s})
        EXPECT_TRUE(IsValidTaxId(id, false)) << id.toStdString();
    EXPECT_FALSE(IsValidTaxId(u"X1234567Z"_s, false));
    // Other first letters are not persons.
    EXPECT_FALSE(IsValidTaxId(u"Y1234567L"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"Z1234567L"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"N1234567L"_s, false));
}

TEST(TaxId, NormalisesBlanksAndCase)
{
    EXPECT_TRUE(IsValidTaxId(u"1234 5678 Z"_s, false));
    EXPECT_TRUE(IsValidTaxId(u"  x1234567l "_s, false));
    EXPECT_TRUE(IsValidTaxId(u"a28015865"_s, false));
    EXPECT_TRUE(IsValidTaxId(u"q2826000h"_s, false));
}

TEST(TaxId, RejectsMalformedNumbers)
{
    EXPECT_FALSE(IsValidTaxId(QString(), false));
    EXPECT_FALSE(IsValidTaxId(u"         "_s, false));
    EXPECT_FALSE(IsValidTaxId(u"123456789Z"_s, false)); // ten characters
    EXPECT_FALSE(IsValidTaxId(u"2345678Z"_s, false));   // eight
    // Eight zeros are no number, whatever the letter.
    for (QChar letter : u"TRWAGMYFPDXBNJZSQVHLCKE"_s) {
        EXPECT_FALSE(IsValidTaxId(u"00000000"_s + letter, false));
    }
    EXPECT_FALSE(IsValidTaxId(u"X0000000T"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"1234567-Z"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"X12345678"_s, false)); // ninth must be the letter
    EXPECT_FALSE(IsValidTaxId(u"ÁÉÍÓÚÑÇÜß"_s, false));
    EXPECT_FALSE(IsValidTaxId(u"\t12345678Z"_s, false)); // only blanks are removed
}
