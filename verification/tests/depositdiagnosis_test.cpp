#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/formdocument.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "reception/failure.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "reception/userinterface.h"
#include "storehelpers.h"
#include "testing/fixedclock.h"
#include "testing/hostfiles.h"
#include "testing/scriptedinterface.h"
#include "verification/clock.h"
#include "verification/depositdiagnosis.h"
#include "verification/formidentification.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

// The report, its notices shown as the window shows them once it has it.
DepositStateReport Shown(const DepositStateReport &report, IUserInterface &ui)
{
    for (const Notice &notice : report.notices)
        ShowNotice(ui, notice);
    return report;
}

// A K7NE deposit that breaks no rule, from the chain's cases.
const QString kSoundDeposit =
    QStringLiteral(VK7_SOURCE_DIR) + u"/app/tests/cases/form-k7ne-valid/deposit"_s;

class Diagnosis : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC_.IsValid());
        ASSERT_TRUE(QDir().mkpath(driveC_.Path() + u"/TMP_VK7"_s));
        appFolder_ = QStringLiteral(VK7_BIN_DIR) + u"\\"_s;
        state_.structure = ManifestVerdict::Correct;
        state_.completeness = ManifestVerdict::Correct;
    }

    void CopySoundDeposit()
    {
        for (const QString &name : QDir(kSoundDeposit).entryList(QDir::Files))
            ASSERT_TRUE(
                QFile::copy(kSoundDeposit + u'/' + name, driveC_.Path() + u"/TMP_VK7/"_s + name));
    }
    QString ComputedFingerprint()
    {
        QString computed;
        computed = CFileTools().ComputeDepositFingerprint(WorkFolder()).Text();
        return computed;
    }

    vk7::testing::TemporaryDriveC driveC_;
    CFormDocument form_;
    DepositState state_;
    QString appFolder_;
    FixedClock clock_{QDate(2010, 6, 1)};
};

TEST_F(Diagnosis, WithoutAFormEverythingFormDependentIsUnknown)
{
    state_.fingerprint = u"ABC"_s;
    state_.formError = u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)"_s;
    state_.otherDocumentNames = {u"Acta"_s};
    state_.Pages(DocumentKind::MemoriaText) = {u"texto"_s};
    CFileTools tools;
    vk7::testing::ScriptedUserInterface ui;
    const DepositStateReport report =
        Shown(DiagnoseDeposit(state_, &form_, appFolder_, tools, clock_, true), ui);
    EXPECT_EQ(report.form, u"¿?"_s);
    EXPECT_EQ(report.currency, u"¿?"_s);
    EXPECT_EQ(report.fingerprintVerdict, u"¿?"_s);
    EXPECT_EQ(report.primaryCount, u"¿?"_s);
    EXPECT_EQ(report.implicitCount, u"¿?"_s);
    EXPECT_EQ(report.structure, u"CORRECTA"_s);
    EXPECT_EQ(report.signature, u"ABC"_s);
    EXPECT_EQ(report.otherDocumentsCount, u"1"_s);
    EXPECT_FALSE(report.computedFingerprint.has_value());
    EXPECT_EQ(report.available, DocumentAvailability{});
    EXPECT_FALSE(report.valid);
    EXPECT_TRUE(report.ticks[0]);
    for (size_t i = 1; i < report.ticks.size(); ++i)
        EXPECT_FALSE(report.ticks[i]);
    EXPECT_EQ(state_.diagnosticText, QStringList{report.sheet});
    EXPECT_TRUE(
        report.sheet.endsWith(u"ERROR de FORMULARIO\r\n"
                              u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)\r\n\r\n"_s));
    // The suspicious-file check runs with or without a form.
    EXPECT_EQ(ui.messages,
              QStringList{u"AVISO: Posible fichero TXT erróneo. Revisar MEMORIA.TXT\n"_s});
}

TEST_F(Diagnosis, IdentifiedSoundDepositIsValidAndOffersItsDocuments)
{
    CopySoundDeposit();
    state_.fingerprint = ComputedFingerprint();
    CFileCopyDialog loader(state_);
    const FormIdentification identification = IdentifyForm(state_, &form_, appFolder_, loader);
    ASSERT_TRUE(identification.identified) << state_.formError.toStdString();
    EXPECT_EQ(state_.formName, u"K7NE"_s);
    EXPECT_TRUE(state_.formIdentified);
    EXPECT_FALSE(form_.RuleCheckMode());

    CFileTools tools;
    vk7::testing::ScriptedUserInterface ui;
    DepositStateReport report =
        Shown(DiagnoseDeposit(state_, &form_, appFolder_, tools, clock_, true), ui);
    EXPECT_EQ(report.fingerprintVerdict, u"CORRECTA"_s);
    EXPECT_EQ(report.computedFingerprint.value_or(QString()), state_.fingerprint);
    EXPECT_EQ(report.form, u"ORDINARIO"_s);
    EXPECT_EQ(report.currency, u"EUROS"_s);
    EXPECT_EQ(report.primaryCount, u"0"_s);
    EXPECT_TRUE(report.valid);
    EXPECT_TRUE(report.ticks[0]);
    EXPECT_TRUE(report.ticks[1]);  // identification and balance
    EXPECT_TRUE(report.ticks[2]);  // memoria text
    EXPECT_FALSE(report.ticks[6]); // no auditor images
    EXPECT_TRUE(report.fileWarnings.isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty());

    // Running it again gives the same sheet; a fingerprint differing in case only is wrong.
    const QString sheet = report.sheet;
    EXPECT_EQ(DiagnoseDeposit(state_, &form_, appFolder_, tools, clock_, false).sheet, sheet);
    state_.fingerprint = state_.fingerprint.toLower();
    report = DiagnoseDeposit(state_, &form_, appFolder_, tools, clock_, false);
    EXPECT_EQ(report.fingerprintVerdict, u"ERRONEA"_s);
    EXPECT_FALSE(report.valid);
    EXPECT_TRUE(report.ticks[0]);
    EXPECT_FALSE(report.ticks[1]);
    EXPECT_FALSE(report.ticks[2]);
    EXPECT_TRUE(report.available[1]); // still available, just not preselected
}

TEST_F(Diagnosis, AFingerprintThatCouldNotBeComputedIsUnknownNotWrong)
{
    CopySoundDeposit();
    state_.fingerprint = ComputedFingerprint();
    CFileCopyDialog loader(state_);
    ASSERT_TRUE(IdentifyForm(state_, &form_, appFolder_, loader).identified);
    // The concatenation file cannot be written: the computation fails.
    ASSERT_TRUE(QDir().mkpath(driveC_.Path() + u"/TMP_VK7/MD5.TXT"_s));

    CFileTools tools;
    const DepositStateReport report =
        DiagnoseDeposit(state_, &form_, appFolder_, tools, clock_, false);
    EXPECT_EQ(report.fingerprintVerdict, u"¿?"_s);
    EXPECT_FALSE(report.valid);
    EXPECT_TRUE(report.sheet.contains(u"Huella Digital : ¿?\r\nNo se ha podido calcular la Huella "
                                      u"Digital: ERROR de lectura o escritura en el archivo "_s))
        << report.sheet.toStdString();
    // The report carries the failure: the reception stops on it.
    EXPECT_TRUE(report.failure.IsIo());
    EXPECT_TRUE(report.failure.file.endsWith(u"MD5.TXT"_s));
}

TEST_F(Diagnosis, SuspiciousFilesAreShownAsAWarning)
{
    CopySoundDeposit();
    QFile memoria(driveC_.Path() + u"/TMP_VK7/MEMORIA.TXT"_s);
    ASSERT_TRUE(memoria.open(QIODevice::WriteOnly | QIODevice::Truncate));
    memoria.write(QByteArray(400, 'x'));
    memoria.close();
    state_.fingerprint = ComputedFingerprint();
    CFileCopyDialog loader(state_);
    ASSERT_TRUE(IdentifyForm(state_, &form_, appFolder_, loader).identified);
    CFileTools tools;
    vk7::testing::ScriptedUserInterface ui;
    const DepositStateReport report =
        Shown(DiagnoseDeposit(state_, &form_, appFolder_, tools, clock_, true), ui);
    EXPECT_EQ(report.fileWarnings, u"Posible fichero TXT erróneo. Revisar MEMORIA.TXT\n"_s);
    EXPECT_EQ(ui.messages,
              QStringList{u"AVISO: Posible fichero TXT erróneo. Revisar MEMORIA.TXT\n"_s});
    ASSERT_FALSE(ui.shown.isEmpty());
    EXPECT_EQ(ui.shown.last().icon, IUserInterface::Icon::Information);
    EXPECT_TRUE(report.valid); // a warning does not invalidate the deposit
}

TEST_F(Diagnosis, FailedIdentificationLeavesFlagAndTitle)
{
    CopySoundDeposit();
    appFolder_ = driveC_.Path() + u"\\"_s; // no FORM folder here
    CFileCopyDialog loader(state_);
    const FormIdentification identification = IdentifyForm(state_, &form_, appFolder_, loader);
    EXPECT_FALSE(identification.identified);
    EXPECT_FALSE(state_.formIdentified);
    EXPECT_EQ(state_.formName, u"K7NE"_s);
    EXPECT_EQ(state_.formError,
              u"ERROR abriendo formulario : "_s + driveC_.Path() + u"\\FORM\\K7NE"_s);
    EXPECT_FALSE(form_.IsOpen());
    // The load pass ran all the same.
    EXPECT_EQ(state_.fields.FieldValue(810210), u"A28015865"_s);
    EXPECT_EQ(state_.Pages(DocumentKind::MemoriaText).size(), 1);
}

} // namespace
