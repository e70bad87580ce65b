#include <gtest/gtest.h>

#include "storehelpers.h"
#include "verification/errorlist.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

TEST(ErrorRecords, SplitsFieldsAndToleratesShortRecords)
{
    const ErrorRecordFields full =
        SplitErrorRecord(u"R|810220|0001:Falta (Error Primario)|810220|Denominación|"_s);
    EXPECT_EQ(full.kind, u"R"_s);
    EXPECT_EQ(full.number, u"810220"_s);
    EXPECT_EQ(full.message, u"0001:Falta (Error Primario)"_s);
    EXPECT_EQ(full.reference, u"810220"_s);
    EXPECT_EQ(full.label, u"Denominación"_s);
    EXPECT_TRUE(full.labelClosed);

    const ErrorRecordFields shortOne = SplitErrorRecord(u"C|810210"_s);
    EXPECT_EQ(shortOne.kind, u"C"_s);
    EXPECT_EQ(shortOne.number, u"810210"_s);
    EXPECT_TRUE(shortOne.message.isEmpty());
    EXPECT_TRUE(shortOne.reference.isEmpty());
    EXPECT_TRUE(shortOne.label.isEmpty());
    EXPECT_FALSE(shortOne.labelClosed);
    EXPECT_TRUE(SplitErrorRecord(QString()).number.isEmpty());
}

TEST(ErrorRecords, DisplayTexts)
{
    EXPECT_EQ(ErrorDisplayText(u"C|810210|9000:NIF no válido. (Error Implícito)|810210|NIF"_s),
              u"NIF no válido."_s);
    EXPECT_EQ(ErrorDisplayText(u"C|810190|9000:Fecha no válida. (Error Primario)|810190|Fecha"_s),
              u"Fecha no válida."_s);
    EXPECT_EQ(ErrorDisplayText(u"R|810220|0001:Campo obligatorio (Error Primario)|810220|"
                               u"Registro Mercantil|"_s),
              u"Falta rellenar : Registro Mercantil"_s);
    EXPECT_EQ(ErrorDisplayText(u"r|810220|0001:x (Error Primario)|810220|Tomo"_s),
              u"Falta rellenar : "_s); // no fifth "|"
    EXPECT_EQ(ErrorDisplayText(u"R|1"_s), u"Falta rellenar : "_s);
    EXPECT_EQ(ErrorDisplayText(u"C|810210|9000:Sin marca|810210|NIF"_s), QString());
    EXPECT_EQ(ErrorDisplayText(u"C|1|9000:(Error Primario)|1|x"_s), QString());
    EXPECT_EQ(ErrorDisplayText(u"C|1|90(Error Primario)|1|x"_s), QString());
    EXPECT_EQ(ErrorDisplayText(u"C"_s), QString());
    // The marker of the label field does not make a message.
    EXPECT_EQ(ErrorDisplayText(u"C|1|9000:texto|1|(Error Primario)"_s), QString());
}

TEST(ErrorRecords, Class)
{
    EXPECT_TRUE(IsPrimaryMarked(u"C|1|9000:a (Error Primario)|1|x"_s));
    EXPECT_FALSE(IsPrimaryMarked(u"C|1|9000:a (Error Implícito)|1|x"_s));
    EXPECT_TRUE(IsPrimaryMarked(u"C|1|9000:a|1|x"_s)); // no marker: primary
    EXPECT_TRUE(IsPrimaryMarked(u"C|1|9000:a (Error Implícito) (Error Primario)|1|x"_s));
}

TEST(ErrorRecords, Numbers)
{
    EXPECT_EQ(ErrorListNumber(u"810210"_s), u"810210"_s);
    EXPECT_EQ(ErrorListNumber(u"781101"_s), u"781101"_s); // below 9000000 nothing changes
    EXPECT_EQ(ErrorListNumber(u"9999111"_s), u"9991101"_s);
    EXPECT_EQ(ErrorListNumber(u"9999021"_s), u"999021"_s);
    EXPECT_EQ(ErrorListNumber(u"9999112"_s), u"999112"_s);
    EXPECT_EQ(ErrorListNumber(u"9000000"_s), u"0"_s);
    EXPECT_EQ(ErrorListNumber(u"9000001"_s), u"01"_s);
    EXPECT_EQ(ErrorListNumber(QString()), QString());
    EXPECT_EQ(ErrorListNumber(u"abc"_s), u"abc"_s);
    // Too large for any integer: no overflow, a number all the same.
    const QString huge = ErrorListNumber(u"99999999999999999999"_s);
    EXPECT_FALSE(huge.isEmpty());
    EXPECT_FALSE(huge.startsWith(u'-'));
}

TEST(ErrorRecords, ClassingFillsTheListsInOrder)
{
    const QStringList records = {
        u"C|810210|9000:NIF no válido. (Error Implícito)|810210|NIF"_s,
        u"R|9999111|0001:Falta (Error Primario)|999111|Registro Mercantil|"_s,
        u"C|810190|9000:Fecha no válida. (Error Primario)|810190|Fecha"_s,
        u"R|810220|0001:Falta (Error Primario)|810220|Denominación social|"_s,
        u"R|810300|0001:Falta (Error Primario)|R810300|Nº de la hoja registral|"_s,
        u"C|9999021|9000:Texto sin marca|ref|x"_s,
        u"R|810310|0001:Falta (Error Primario)|810310|Tomo (Datos registrales)|"_s,
        u"R|810320|0001:Falta (Error Primario)|810320|Folio (Datos registrales)|"_s,
    };
    const ErrorListContent content = ClassErrorRecords(records, true);
    EXPECT_EQ(
        content.primaryTexts,
        (QStringList{u"Fecha no válida."_s, u"Falta rellenar : Denominación social"_s, QString()}));
    EXPECT_EQ(content.primaryNumbers, (QStringList{u"810190"_s, u"810220"_s, u"999021"_s}));
    EXPECT_EQ(content.primaryReferences, (QStringList{u"810190"_s, u"810220"_s, u"ref"_s}));
    EXPECT_EQ(content.implicitTexts,
              (QStringList{u"NIF no válido."_s, u"Falta rellenar : Registro Mercantil"_s,
                           u"Falta rellenar : Nº de la hoja registral"_s,
                           u"Falta rellenar : Tomo (Datos registrales)"_s,
                           u"Falta rellenar : Folio (Datos registrales)"_s}));
    EXPECT_EQ(content.implicitNumbers,
              (QStringList{u"810210"_s, u"9991101"_s, u"810300"_s, u"810310"_s, u"810320"_s}));
    EXPECT_EQ(content.implicitReferences.at(2), u"R810300"_s);

    // Without the switch the registry messages keep their own class.
    const ErrorListContent plain = ClassErrorRecords(records, false);
    EXPECT_EQ(plain.primaryTexts.size(), 7);
    EXPECT_EQ(plain.implicitTexts, QStringList{u"NIF no válido."_s});

    EXPECT_TRUE(ClassErrorRecords({}, true).primaryTexts.isEmpty());
}

} // namespace
