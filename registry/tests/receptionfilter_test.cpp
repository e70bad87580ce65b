// The register window's filters on their own: parts of a NIF or a name
// found regardless of case and accents, and days as a clerk types them.
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "registry/receptionfilter.h"

using namespace Qt::StringLiterals;
using namespace vk7;

TEST(ReceptionFilter, FindsPartsRegardlessOfCaseAndAccents)
{
    StoredReception reception;
    reception.nif = u"B09512344"_s;
    reception.name = u"CONSTRUCCIONES ARLANZÓN, S.L."_s;
    reception.content = QJsonDocument(QJsonObject{{u"deposito"_s, QJsonObject{{u"valid"_s, true}}}})
                            .toJson(QJsonDocument::Compact);

    EXPECT_TRUE(Matches(reception, {u"b0951"_s, u" arlanzon "_s, ReceptionVerdict::Valid}));
    EXPECT_TRUE(Matches(reception, {u"2344"_s, u"Arlanzón, s.l"_s, std::nullopt}));
    EXPECT_TRUE(Matches(reception, {}));
    EXPECT_FALSE(Matches(reception, {u"B0952"_s, QString(), std::nullopt}));
    EXPECT_FALSE(Matches(reception, {QString(), u"arlanzones"_s, std::nullopt}));
    EXPECT_FALSE(Matches(reception, {QString(), QString(), ReceptionVerdict::NotValid}));
    // Ñ is a letter of its own, not an accented N; Ü is an accented U.
    EXPECT_TRUE(ContainsPart(u"MUÑOZ PINGÜINO"_s, u"muñoz pinguino"_s));
    EXPECT_FALSE(ContainsPart(u"MUÑOZ"_s, u"munoz"_s));
}

TEST(ReceptionFilter, TakesDaysAsTyped)
{
    const TypedDay none = ParseTypedDay(u"  "_s);
    EXPECT_TRUE(none.valid);
    EXPECT_FALSE(none.bounded);
    for (const QString &typed :
         {u"09/12/2026"_s, u"9/12/2026"_s, u"09-12-2026"_s, u"9.12.26"_s, u"09122026"_s}) {
        const TypedDay day = ParseTypedDay(typed);
        EXPECT_TRUE(day.valid && day.bounded) << typed.toStdString();
        EXPECT_EQ(day.day, QDate(2026, 12, 9)) << typed.toStdString();
    }
    // Month and day are not swapped, and impossible days are refused.
    for (const QString &typed : {u"31/02/2026"_s, u"12/31/2026"_s, u"(sin límite)09122026"_s,
                                 u"2026-12-09"_s, u"9/12"_s}) {
        const TypedDay day = ParseTypedDay(typed);
        EXPECT_FALSE(day.valid) << typed.toStdString();
        EXPECT_TRUE(day.bounded);
    }
}
