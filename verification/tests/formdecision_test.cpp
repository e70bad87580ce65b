#include <gtest/gtest.h>

#include "datafiles/campbdarray.h"
#include "storehelpers.h"
#include "verification/formdecision.h"

using namespace Qt::StringLiterals;
using namespace vk7;
using vk7::testing::AddFields;

namespace {

const QString kDataCurrency = u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)"_s;
const QString kApplicationCurrency = u"ERROR en el fichero INSTANCIA.ASC (Pesetas y Euros)"_s;
const QString kCurrencyAgreement =
    u"ERROR en el fichero DATOS.ASC / INSTANCIA.ASC (Pesetas y Euros)"_s;
const QString kDataModels = u"ERROR en el fichero DATOS.ASC (Abreviado y Ordinario)"_s;
const QString kApplicationModels = u"ERROR en el fichero INSTANCIA.ASC (Abreviado y Ordinario)"_s;
const QString kModelAgreement =
    u"ERROR en el fichero DATOS.ASC / INSTANCIA.ASC (Abreviado y Ordinario)"_s;

struct Decision
{
    bool ok;
    QString name;
    QString error;
};

Decision Decide(std::initializer_list<std::pair<int, QString>> records, bool byDataKeys = true)
{
    CCampBDArray fields;
    AddFields(&fields, records);
    Decision d{false, u"stale"_s, u"stale"_s};
    d.ok = DecideFormName(fields, byDataKeys, &d.name, &d.error);
    return d;
}

void ExpectForm(const Decision &d, const QString &name)
{
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.name, name);
    EXPECT_TRUE(d.error.isEmpty());
}

void ExpectFailure(const Decision &d, const QString &error)
{
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(d.name.isEmpty());
    EXPECT_EQ(d.error, error);
}

const std::pair<int, QString> kPesetas{781010, u"PESETAS"_s};
const std::pair<int, QString> kEuros{781010, u"EUROS"_s};
const QString kMark = u"X"_s;

TEST(FormDecision, TheFiveForms)
{
    // Pesetas, a mark of a group's pesetas keys sets both currency and group.
    ExpectForm(Decide({kPesetas, {999111, kMark}, {780802, kMark}}), u"K7NP"_s);
    ExpectForm(Decide({kPesetas, {999213, u"x"_s}, {780804, kMark}}), u"K7NP"_s);
    ExpectForm(Decide({kPesetas, {999412, kMark}, {780801, kMark}}), u"K7AP"_s);
    ExpectForm(Decide({kPesetas, {999511, kMark}, {780803, kMark}}), u"K7AP"_s);
    ExpectForm(Decide({kEuros, {999114, kMark}, {780802, kMark}}), u"K7NE"_s);
    ExpectForm(Decide({kEuros, {999215, kMark}, {780804, kMark}}), u"K7NE"_s);
    ExpectForm(Decide({kEuros, {999414, kMark}, {780801, kMark}}), u"K7AE"_s);
    ExpectForm(Decide({kEuros, {999115, kMark}, {999514, kMark}, {780802, kMark}, {780803, kMark}}),
               u"K7ME"_s);
    ExpectForm(Decide({kEuros,
                       {999115, kMark},
                       {999214, kMark},
                       {999514, kMark},
                       {780802, kMark},
                       {780804, kMark},
                       {780803, kMark}}),
               u"K7ME"_s);
    // A currency mark outside the groups counts as currency only.
    ExpectForm(Decide({kEuros, {999024, kMark}, {999114, kMark}, {780802, kMark}}), u"K7NE"_s);
}

TEST(FormDecision, CurrencyFailures)
{
    ExpectFailure(Decide({}), kDataCurrency);
    // Pesetas and euros in the data, however consistent the application.
    ExpectFailure(Decide({kPesetas, {999021, u"x"_s}, {999114, kMark}, {780802, kMark}}),
                  kDataCurrency);
    ExpectFailure(Decide({kEuros, {780802, kMark}}), kDataCurrency);
    // The application's currency is read from the first letter, case-sensitive.
    ExpectFailure(Decide({{781010, u"pesetas"_s}, {999111, kMark}, {780802, kMark}}),
                  kApplicationCurrency);
    ExpectFailure(Decide({{999111, kMark}, {780802, kMark}}), kApplicationCurrency);
    ExpectFailure(Decide({kPesetas, kEuros, {999111, kMark}, {780802, kMark}}),
                  kApplicationCurrency);
    ExpectFailure(Decide({kEuros, {999111, kMark}, {780802, kMark}}), kCurrencyAgreement);
    ExpectFailure(Decide({kPesetas, {999114, kMark}, {780802, kMark}}), kCurrencyAgreement);
}

TEST(FormDecision, OnlyExactMarksCount)
{
    ExpectFailure(Decide({kPesetas, {999111, u"x "_s}, {780802, kMark}}), kDataCurrency);
    ExpectFailure(Decide({kPesetas, {999111, u"XX"_s}, {780802, kMark}}), kDataCurrency);
    // Keys between the ranges are ignored.
    ExpectFailure(
        Decide({kPesetas, {999116, kMark}, {999311, kMark}, {999020, kMark}, {780802, kMark}}),
        kDataCurrency);
    // A box needs an exact mark too.
    ExpectFailure(Decide({kPesetas, {999111, kMark}, {780802, u"S"_s}}), kModelAgreement);
}

TEST(FormDecision, ModelFailures)
{
    // Ordinary and abbreviated together is only the euro mixed form.
    ExpectFailure(
        Decide({kPesetas, {999111, kMark}, {999511, kMark}, {780802, kMark}, {780803, kMark}}),
        kDataModels);
    ExpectFailure(
        Decide({kEuros, {999214, kMark}, {999514, kMark}, {780804, kMark}, {780803, kMark}}),
        kDataModels);
    ExpectFailure(
        Decide({kEuros, {999114, kMark}, {999414, kMark}, {780802, kMark}, {780801, kMark}}),
        kDataModels);
    // The same rule on the application's boxes.
    ExpectFailure(Decide({kEuros, {999114, kMark}, {780802, kMark}, {780801, kMark}}),
                  kApplicationModels);
    ExpectFailure(Decide({kPesetas, {999111, kMark}, {780802, kMark}, {780803, kMark}}),
                  kApplicationModels);
    // Groups and boxes must agree, and something must be marked.
    ExpectFailure(Decide({kEuros, {999024, kMark}}), kModelAgreement);
    ExpectFailure(Decide({kEuros, {999114, kMark}, {780804, kMark}}), kModelAgreement);
    ExpectFailure(Decide({kEuros, {999114, kMark}}), kModelAgreement);
    ExpectFailure(Decide({kEuros, {999024, kMark}, {780802, kMark}}), kModelAgreement);
}

TEST(FormDecision, ByApplicationBoxes)
{
    // The groups come from the boxes; DATOS.ASC gives the currency only.
    ExpectForm(Decide({kEuros, {999114, kMark}, {780801, kMark}, {780803, kMark}}, false),
               u"K7AE"_s);
    ExpectForm(Decide({kEuros, {999024, kMark}, {780802, kMark}}, false), u"K7NE"_s);
    ExpectForm(Decide({kPesetas, {999021, kMark}, {999511, kMark}, {780804, kMark}}, false),
               u"K7NP"_s);
    ExpectFailure(Decide({kEuros, {999024, kMark}}, false), kModelAgreement);
}

TEST(FormDecision, FormAndCurrencyFromTheName)
{
    QString form;
    QString currency;
    const struct
    {
        QString name, form, currency;
    } cases[] = {{u"K7NP"_s, u"ORDINARIO"_s, u"PESETAS"_s},
                 {u"K7AP"_s, u"ABREVIADO"_s, u"PESETAS"_s},
                 {u"K7NE"_s, u"ORDINARIO"_s, u"EUROS"_s},
                 {u"K7AE"_s, u"ABREVIADO"_s, u"EUROS"_s},
                 {u"K7ME"_s, u"MIXTO"_s, u"EUROS"_s}};
    for (const auto &c : cases) {
        EXPECT_TRUE(FormAndCurrency(c.name, &form, &currency));
        EXPECT_EQ(form, c.form);
        EXPECT_EQ(currency, c.currency);
    }
    EXPECT_FALSE(FormAndCurrency(u"K7MP"_s, &form, &currency));
    EXPECT_TRUE(form.isEmpty());
    EXPECT_FALSE(FormAndCurrency(QString(), &form, &currency));
}

} // namespace
