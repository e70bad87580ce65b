#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/receptionchain.h"
#include "components/formdocument.h"
#include "datafiles/depositmodel.h"
#include "datafiles/depositstate.h"
#include "reception/paths.h"
#include "testing/fixedclock.h"
#include "testing/hostfiles.h"
#include "testing/scriptedinterface.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const QString kSoundDeposit =
    QStringLiteral(VK7_SOURCE_DIR) + u"/app/tests/cases/form-k7ne-valid/deposit"_s;

class Chain : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC_.IsValid());
        frame_.form = &form_;
        frame_.appFolder = QStringLiteral(VK7_BIN_DIR) + u"\\"_s;
    }

    vk7::testing::TemporaryDriveC driveC_;
    CFormDocument form_;
    DepositState state_;
    FrameState frame_;
    SilentUserInterface ui_;
    FixedClock clock_{QDate(2010, 6, 1)};
};

TEST(EntryNumber, EightDigitsZeroPadded)
{
    EXPECT_EQ(FormatEntryNumber(u"123"_s), u"00000123"_s);
    EXPECT_EQ(FormatEntryNumber(QString()), u"00000000"_s);
    EXPECT_EQ(FormatEntryNumber(u"abc"_s), u"00000000"_s);
    EXPECT_EQ(FormatEntryNumber(u"123456789"_s), u"123456789"_s);
}

TEST_F(Chain, RefusedOpenLeavesTheDepositClosed)
{
    state_.Pages(DocumentKind::MemoriaText) = {u"anterior"_s};
    state_.otherDocumentNames = {u"anterior"_s};
    state_.formError = u"anterior"_s;
    CCampBD *record = state_.fields.AddNew();
    record->key = 810210;
    ReceptionChain chain(state_, frame_, &ui_, clock_);
    bool accepted = true;
    QString status;
    chain.Open({kSoundDeposit + u"/FICHERO.TXT"_s, u"1"_s, u"CORTA"_s}, &accepted, &status);
    EXPECT_FALSE(accepted);
    EXPECT_EQ(status, u"ERROR. Longitud Huella Digital. (Obligado : 26)"_s);
    EXPECT_TRUE(state_.Pages(DocumentKind::MemoriaText).isEmpty());
    EXPECT_TRUE(state_.otherDocumentNames.isEmpty());
    EXPECT_TRUE(state_.formError.isEmpty());
    EXPECT_EQ(state_.fields.GetSize(), 0);
    EXPECT_TRUE(state_.diagnosticText.isEmpty());
}

TEST_F(Chain, OpenRunsEveryStepAndCloseEmptiesTheDeposit)
{
    ReceptionChain chain(state_, frame_, &ui_, clock_);
    bool accepted = false;
    QString status;
    const QString typed = u"ABCDEFGHJKMNPQRSTUVXYZ0123"_s;
    const ReceptionResult result =
        chain.Open({kSoundDeposit + u"/FICHERO.TXT"_s, u"1"_s, typed}, &accepted, &status);
    ASSERT_TRUE(accepted) << status.toStdString();
    EXPECT_TRUE(state_.open);
    EXPECT_EQ(state_.fingerprint, typed);
    EXPECT_EQ(state_.entryNumber, u"00000000"_s);
    EXPECT_EQ(state_.structure, ManifestVerdict::Correct);
    EXPECT_EQ(state_.completeness, ManifestVerdict::Correct);
    EXPECT_TRUE(result.identificationRan);
    EXPECT_TRUE(result.identification.identified);
    EXPECT_EQ(state_.formName, u"K7NE"_s);
    EXPECT_EQ(result.report.fingerprintVerdict, u"ERRONEA"_s);
    EXPECT_FALSE(result.report.valid);
    EXPECT_EQ(state_.diagnosticText.size(), 1);

    chain.CloseDeposit();
    EXPECT_FALSE(state_.open);
    EXPECT_FALSE(state_.formIdentified);
    EXPECT_EQ(state_.fields.GetSize(), 0);
    EXPECT_TRUE(state_.Pages(DocumentKind::MemoriaText).isEmpty());
    EXPECT_EQ(form_.PageCount(), 0);
}

// The desktop enables its commands from the model's notifications: each one
// must come after the step it announces, and every status text must reach
// the interface, the copy's and the readers' alike.
TEST_F(Chain, AModelHearsEachStepAndTheInterfaceEveryStatus)
{
    struct Seen
    {
        bool open, identified, diagnosed;
        ManifestVerdict structure;
    };
    vk7::testing::ScriptedUserInterface ui;
    ui.unscriptedQuestion = IUserInterface::Answer::No;
    DepositModel model;
    QList<Seen> seen;
    QObject::connect(&model, &DepositModel::changed, [&] {
        const DepositState &d = model.Deposit();
        seen.append({d.open, d.formIdentified, d.Diagnosed(), d.structure});
    });
    ReceptionChain chain(model, frame_, &ui, clock_);
    bool accepted = false;
    QString status;
    chain.Open({kSoundDeposit + u"/FICHERO.TXT"_s, u"1"_s, u"ABCDEFGHJKMNPQRSTUVXYZ0123"_s},
               &accepted, &status);
    ASSERT_TRUE(accepted) << status.toStdString();
    ASSERT_EQ(seen.size(), 4);
    EXPECT_FALSE(seen[0].open);
    EXPECT_TRUE(seen[1].open);
    EXPECT_EQ(seen[1].structure, ManifestVerdict::Correct);
    EXPECT_FALSE(seen[1].identified);
    EXPECT_TRUE(seen[2].identified);
    EXPECT_FALSE(seen[2].diagnosed);
    EXPECT_TRUE(seen[3].diagnosed);
    EXPECT_TRUE(ui.statuses.contains(u"Copiando fichero "_s + kSoundDeposit +
                                     u"/DATOS.ASC -> C:\\TMP_VK7\\DATOS.ASC"_s));
    EXPECT_TRUE(ui.statuses.contains(u"Leyendo datos. Esperar ..."_s));

    chain.CloseDeposit();
    ASSERT_EQ(seen.size(), 5);
    EXPECT_FALSE(seen[4].open);
    EXPECT_FALSE(seen[4].identified);
}

TEST_F(Chain, SaturatedEntryNumberStaysAtItsLimit)
{
    state_.entryNumber = u"99999999999999999999"_s;
    ReceptionChain chain(state_, frame_, &ui_, clock_);
    bool accepted = false;
    QString status;
    chain.Open({kSoundDeposit + u"/FICHERO.TXT"_s, u"1"_s, u"ABCDEFGHJKMNPQRSTUVXYZ0123"_s},
               &accepted, &status);
    ASSERT_TRUE(accepted) << status.toStdString();
    EXPECT_EQ(state_.entryNumber, u"9223372036854775807"_s);
}

TEST_F(Chain, MissingManifestSkipsIdentification)
{
    QTemporaryDir medium;
    QFile manifest(medium.path() + u"/FICHERO.TXT"_s);
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
    manifest.write("FICHERO.TXT\r\nDATOS.ASC\r\nINSTANCIA.ASC\r\n");
    manifest.close();
    ReceptionChain chain(state_, frame_, &ui_, clock_);
    bool accepted = false;
    QString status;
    const ReceptionResult result =
        chain.Open({medium.path() + u"/FICHERO.TXT"_s, u"1"_s, u"ABCDEFGHJKMNPQRSTUVXYZ0123"_s},
                   &accepted, &status);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(state_.completeness, ManifestVerdict::MandatoryMissing);
    EXPECT_FALSE(result.identificationRan);
    EXPECT_FALSE(state_.formIdentified);
    EXPECT_EQ(result.report.form, u"¿?"_s);
    EXPECT_TRUE(result.report.sheet.contains(u"ERROR de COMPLETITUD\r\n"_s));
}

} // namespace
