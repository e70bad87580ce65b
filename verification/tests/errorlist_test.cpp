#include <gtest/gtest.h>

#include "storehelpers.h"
#include "verification/errorlist.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

ErrorRecord Rule(int number, const QString &message, int reference, const QString &label)
{
    return {ErrorRecord::Kind::Coherence, number, message, reference, label};
}

ErrorRecord Required(int number, int reference, const QString &label)
{
    return {ErrorRecord::Kind::RequiredField, number, u"0001:Falta (Error Primario)"_s, reference,
            label};
}

TEST(ErrorRecords, TextsKeepTheFifthBarOfRequiredFields)
{
    EXPECT_EQ(Rule(810210, u"9000:NIF no válido. (Error Implícito)"_s, 810210, u"NIF"_s).Format(),
              u"C|810210|9000:NIF no válido. (Error Implícito)|810210|NIF"_s);
    EXPECT_EQ(Required(9999111, 999111, u"Registro Mercantil"_s).Format(),
              u"R|9999111|0001:Falta (Error Primario)|999111|Registro Mercantil|"_s);
}

TEST(ErrorRecords, DisplayTexts)
{
    EXPECT_EQ(ErrorDisplayText(Rule(1, u"9000:NIF no válido. (Error Implícito)"_s, 1, u"NIF"_s)),
              u"NIF no válido."_s);
    EXPECT_EQ(ErrorDisplayText(Rule(1, u"9000:Fecha no válida. (Error Primario)"_s, 1, u"F"_s)),
              u"Fecha no válida."_s);
    EXPECT_EQ(ErrorDisplayText(Required(810220, 810220, u"Registro Mercantil"_s)),
              u"Falta rellenar : Registro Mercantil"_s);
    // A "|" in a label ends the record's field 4.
    EXPECT_EQ(ErrorDisplayText(Required(1, 1, u"Tomo|Folio"_s)), u"Falta rellenar : Tomo"_s);
    EXPECT_EQ(ErrorDisplayText(Required(1, 1, QString())), u"Falta rellenar : "_s);
    EXPECT_EQ(ErrorDisplayText(Rule(1, u"9000:Sin marca"_s, 1, u"NIF"_s)), QString());
    EXPECT_EQ(ErrorDisplayText(Rule(1, u"9000:(Error Primario)"_s, 1, u"x"_s)), QString());
    EXPECT_EQ(ErrorDisplayText(Rule(1, u"90(Error Primario)"_s, 1, u"x"_s)), QString());
    EXPECT_EQ(ErrorDisplayText(ErrorRecord{}), QString());
    // The marker of the label field does not make a message.
    EXPECT_EQ(ErrorDisplayText(Rule(1, u"9000:texto"_s, 1, u"(Error Primario)"_s)), QString());
}

TEST(ErrorRecords, ClassIsTheMarkerAnywhereInTheRecord)
{
    EXPECT_TRUE(IsPrimaryMarked(Rule(1, u"9000:a (Error Primario)"_s, 1, u"x"_s)));
    EXPECT_FALSE(IsPrimaryMarked(Rule(1, u"9000:a (Error Implícito)"_s, 1, u"x"_s)));
    EXPECT_TRUE(IsPrimaryMarked(Rule(1, u"9000:a"_s, 1, u"x"_s))); // no marker: primary
    EXPECT_TRUE(
        IsPrimaryMarked(Rule(1, u"9000:a (Error Implícito) (Error Primario)"_s, 1, u"x"_s)));
    EXPECT_FALSE(IsPrimaryMarked(Rule(1, u"9000:a"_s, 1, u"(Error Implícito)"_s)));
    EXPECT_TRUE(IsPrimaryMarked(Rule(1, u"9000:a (Error Implícito)"_s, 1, u"(Error Primario)"_s)));
}

TEST(ErrorRecords, Numbers)
{
    EXPECT_EQ(ErrorListNumber(810210), u"810210"_s);
    EXPECT_EQ(ErrorListNumber(781101), u"781101"_s); // below 9000000 nothing changes
    EXPECT_EQ(ErrorListNumber(8999999), u"8999999"_s);
    EXPECT_EQ(ErrorListNumber(9999111), u"9991101"_s);
    EXPECT_EQ(ErrorListNumber(9999021), u"999021"_s);
    EXPECT_EQ(ErrorListNumber(9999112), u"999112"_s);
    EXPECT_EQ(ErrorListNumber(9000000), u"0"_s);
    EXPECT_EQ(ErrorListNumber(9000001), u"01"_s);
}

TEST(ErrorRecords, ClassingFillsTheListsInOrder)
{
    const QList<ErrorRecord> records = {
        Rule(810210, u"9000:NIF no válido. (Error Implícito)"_s, 810210, u"NIF"_s),
        Required(9999111, 999111, u"Registro Mercantil"_s),
        Rule(810190, u"9000:Fecha no válida. (Error Primario)"_s, 810190, u"Fecha"_s),
        Required(810220, 810220, u"Denominación social"_s),
        Required(810300, 300, u"Nº de la hoja registral"_s),
        Rule(9999021, u"9000:Texto sin marca"_s, 7, u"x"_s),
        Required(810310, 810310, u"Tomo (Datos registrales)"_s),
        Required(810320, 810320, u"Folio (Datos registrales)"_s),
    };
    const ErrorListContent content = ClassErrorRecords(records, true);
    EXPECT_EQ(
        content.primaryTexts,
        (QStringList{u"Fecha no válida."_s, u"Falta rellenar : Denominación social"_s, QString()}));
    EXPECT_EQ(content.primaryNumbers, (QStringList{u"810190"_s, u"810220"_s, u"999021"_s}));
    EXPECT_EQ(content.primaryReferences, (QStringList{u"810190"_s, u"810220"_s, u"7"_s}));
    EXPECT_EQ(content.implicitTexts,
              (QStringList{u"NIF no válido."_s, u"Falta rellenar : Registro Mercantil"_s,
                           u"Falta rellenar : Nº de la hoja registral"_s,
                           u"Falta rellenar : Tomo (Datos registrales)"_s,
                           u"Falta rellenar : Folio (Datos registrales)"_s}));
    EXPECT_EQ(content.implicitNumbers,
              (QStringList{u"810210"_s, u"9991101"_s, u"810300"_s, u"810310"_s, u"810320"_s}));
    EXPECT_EQ(content.implicitReferences.at(2), u"300"_s);

    // Without the switch the registry messages keep their own class.
    const ErrorListContent plain = ClassErrorRecords(records, false);
    EXPECT_EQ(plain.primaryTexts.size(), 7);
    EXPECT_EQ(plain.implicitTexts, QStringList{u"NIF no válido."_s});

    EXPECT_TRUE(ClassErrorRecords({}, true).primaryTexts.isEmpty());
}

} // namespace
