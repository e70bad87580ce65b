#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/depositcheck.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "reception/userinterface.h"
#include "testing/fixedclock.h"
#include "testing/guiapplication.h"
#include "testing/hostfiles.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const QString kSoundDeposit =
    QStringLiteral(VK7_SOURCE_DIR) + u"/app/tests/cases/form-k7ne-valid/deposit"_s;
const QString kBrokenDeposit =
    QStringLiteral(VK7_SOURCE_DIR) + u"/app/tests/cases/rules-broken/deposit"_s;

QString FingerprintOf(const QString &folder)
{
    QString computed;
    computed = CFileTools().ComputeDepositFingerprint(folder).Text();
    return computed;
}

class DepositCheck : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(driveC_.IsValid()); }

    DepositCheckOutput Run(const QString &medium, const QString &fingerprint, bool json = false,
                           bool formPages = false)
    {
        DepositCheckOptions options;
        options.medium = medium;
        options.fingerprint = fingerprint;
        options.appFolder = QStringLiteral(VK7_BIN_DIR) + u"\\"_s;
        options.json = json;
        options.formPages = formPages;
        return RunDepositCheck(options, ui_, clock_);
    }
    bool WorkFileExists(const QString &name) const
    {
        return QFile::exists(driveC_.Path() + u"/TMP_VK7/"_s + name);
    }

    vk7::testing::TemporaryDriveC driveC_;
    SilentUserInterface ui_;
    FixedClock clock_{QDate(2010, 6, 1)};
};

TEST_F(DepositCheck, ValidDepositPrintsTheSheetAndLeavesItsPages)
{
    const QString fingerprint = FingerprintOf(kSoundDeposit);
    const DepositCheckOutput output = Run(kSoundDeposit, fingerprint);
    EXPECT_EQ(output.exitCode, 0);
    const QByteArray sheet = output.standardOutput;
    EXPECT_TRUE(sheet.startsWith(
        (u"HOJA DE DIAGNOSTICO para el Depósito Digital ("_s + fingerprint + u")\r\n\r\n"_s)
            .toUtf8()));
    EXPECT_TRUE(sheet.contains("Huella Digital : CORRECTA\r\n\r\n"));
    EXPECT_TRUE(sheet.endsWith("Errores Primarios = 0       Errores Impl\xc3\xad"
                               "citos = 0\r\n\r\n"));
    EXPECT_TRUE(output.standardError.isEmpty());
    EXPECT_TRUE(WorkFileExists(u"K7.D01"_s));
    EXPECT_FALSE(WorkFileExists(u"K7.D02"_s));
    EXPECT_FALSE(WorkFileExists(u"K7.001"_s));
}

TEST_F(DepositCheck, FormPagesOnRequest)
{
    const DepositCheckOutput output =
        Run(kSoundDeposit + u"/FICHERO.TXT"_s, FingerprintOf(kSoundDeposit), false, true);
    EXPECT_EQ(output.exitCode, 0);
    EXPECT_TRUE(WorkFileExists(u"K7.D01"_s));
    EXPECT_TRUE(WorkFileExists(u"K7.001"_s));
    EXPECT_TRUE(WorkFileExists(u"K7.002"_s));
}

TEST_F(DepositCheck, InvalidDepositExitsWithOneAndWarnsOnStandardError)
{
    const DepositCheckOutput output = Run(kBrokenDeposit, FingerprintOf(kBrokenDeposit), true);
    EXPECT_EQ(output.exitCode, 1);
    EXPECT_EQ(output.standardError, "Posible fichero TIF err\xc3\xb3neo. Revisar ANUNCIO.TIF\n");
    const QJsonObject json = QJsonDocument::fromJson(output.standardOutput).object();
    EXPECT_EQ(json.value(u"valid"_s), QJsonValue(false));
    EXPECT_EQ(json.value(u"primaryErrors"_s).toArray().size(), 10);
    // The members come in their fixed order.
    const QByteArray text = output.standardOutput;
    qsizetype last = -1;
    for (const char *member : {"\"structureStatus\"",
                               "\"completenessStatus\"",
                               "\"formIdentified\"",
                               "\"formName\"",
                               "\"formError\"",
                               "\"form\"",
                               "\"currency\"",
                               "\"fingerprint\"",
                               "\"computedFingerprint\"",
                               "\"fingerprintVerdict\"",
                               "\"primaryErrors\"",
                               "\"implicitErrors\"",
                               "\"errorRecords\"",
                               "\"otherDocumentNames\"",
                               "\"available\"",
                               "\"valid\"",
                               "\"fileWarnings\"",
                               "\"diagnosticSheet\"",
                               "\"fields\"",
                               "\"texts\"",
                               "\"images\""}) {
        const qsizetype at = text.indexOf(member);
        EXPECT_GT(at, last) << member;
        last = at;
    }
    EXPECT_LT(text.indexOf("\"Hoja Id. + Balance + Cuenta PG\""), text.indexOf("\"Memoria\""));
}

TEST_F(DepositCheck, RefusedOpenExitsWithTwo)
{
    DepositCheckOutput output = Run(kSoundDeposit, u"CORTA"_s);
    EXPECT_EQ(output.exitCode, 2);
    EXPECT_EQ(output.standardError, "ERROR. Longitud Huella Digital. (Obligado : 26)\n");
    EXPECT_TRUE(output.standardOutput.isEmpty());

    output = Run(driveC_.Path() + u"/nada"_s, FingerprintOf(kSoundDeposit));
    EXPECT_EQ(output.exitCode, 2);
    EXPECT_FALSE(output.standardError.isEmpty());
}

// Page rendering needs fonts, so the whole run has a GUI application.
const auto *const kGui = vk7::testing::AddGuiApplicationEnvironment();

} // namespace
