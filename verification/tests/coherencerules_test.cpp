#include <limits>

#include <gtest/gtest.h>

#include "datafiles/depositstate.h"
#include "storehelpers.h"
#include "testing/fixedclock.h"
#include "verification/clock.h"
#include "verification/coherencerules.h"

using namespace Qt::StringLiterals;
using namespace vk7;
using vk7::testing::AddFields;

namespace {

const QString kTable = QStringLiteral(VK7_SOURCE_DIR) + u"/DATA/CNAE.TXT"_s;

const QString kNif = u"C|810210|9000:NIF no válido. (Error Implícito)|810210|NIF"_s;
const QString kCnae = u"C|810010|9001:CNAE no válido. (Error Implícito)|810010|CNAE"_s;
const QString kDni = u"C|781202|9002:DNI no válido. (Error Implícito)|781202|DNI"_s;
const QString kStart = u"C|810290|9006:Fecha inicio no válida. (Error Primario)|810290|Fecha"_s;
const QString kClosing = u"C|810190|9000:Fecha no válida. (Error Primario)|810190|Fecha"_s;
const QString kApplication =
    u"C|781101|9001:Fecha solicitud no válida. (Error Primario)|781101|Fecha solicitud"_s;
const QString kMemoria =
    u"C|780805|9002:Memoria existente para las cuentas anuales activas. (Error Primario)|780805|Memoria"_s;
const QString kGestion =
    u"C|780807|9003:Informe de Gestión existente para las cuentas anuales activas. (Error Primario)|780807|Inf. Gestión"_s;
const QString kAnuncios =
    u"C|780823|9007:Anuncios de convocatoria existentes para las cuentas anuales activas. (Error Primario)|780823|Anuncios conv."_s;
const QString kAmbienta =
    u"C|780819|9008:Informe Medioambiental existente para las cuentas anuales activas. (Error Primario)|780819|Inf. Medioambiental"_s;
const QString kSimcav =
    u"C|780821|9009:Informe SIMCAV existente para las cuentas anuales activas. (Error Primario)|780821|Inf. SIMCAV"_s;
const QString kAcciones =
    u"C|780809|9004:Modelo de Acciones Propias existente para las cuentas anuales activas. (Error Primario)|780809|Acciones Propias"_s;
const QString kOtros =
    u"C|780814|9005:Número de Otros Documentos no válido. (Error Primario)|780814|Otros Documentos"_s;

class CoherenceRules : public ::testing::Test
{
protected:
    // Fields of a deposit that breaks no rule; tests add or leave out keys.
    void AddSoundCompany()
    {
        AddFields(&state_.fields, {{810210, u"A28015865"_s}, {810010, u"111"_s}});
    }
    void AddSoundDates()
    {
        AddFields(&state_.fields, {{810130, u"1"_s},
                                   {810120, u"1"_s},
                                   {810290, u"2004"_s},
                                   {810030, u"31"_s},
                                   {810020, u"12"_s},
                                   {810190, u"2004"_s}});
    }
    // The records' texts, so that every field is compared as the system stores it.
    QStringList Run()
    {
        QList<ErrorRecord> records;
        RunCoherenceRules(state_, kTable, &records, clock_);
        return FormatErrorRecords(records);
    }
    int CurrentYear() const { return clock_.Today().year(); }

    DepositState state_;
    FixedClock clock_{QDate(2006, 6, 30)};
};

TEST_F(CoherenceRules, SoundDepositHasNoRecord)
{
    AddSoundCompany();
    AddSoundDates();
    EXPECT_EQ(Run(), QStringList());
}

TEST_F(CoherenceRules, EmptyDepositBreaksTheAlwaysEvaluatedRulesInOrder)
{
    // No tax id, no activity code (looked up as empty text), no closing date
    // (twice: impossible and out of range); start and application dates skipped.
    EXPECT_EQ(Run(), (QStringList{kNif, kCnae, kClosing, kClosing}));
}

TEST_F(CoherenceRules, EveryRuleBrokenAppearsInItsOrder)
{
    AddFields(&state_.fields, {{810210, u"A28015864"_s},
                               {810010, u"9999"_s},
                               {781202, u"12345678A"_s},
                               {810130, u"31"_s},
                               {810120, u"4"_s},
                               {810290, u"2005"_s},
                               {810030, u"31"_s},
                               {810020, u"12"_s},
                               {810190, u"2005"_s},
                               {781101, u"1"_s},
                               {781102, u"13"_s},
                               {781103, u"2005"_s},
                               {780814, u"1"_s},
                               {721000, u"5"_s}});
    state_.Pages(DocumentKind::MemoriaText) = QStringList{u"texto"_s};
    state_.Images(DocumentKind::ManagementReportImages) = QStringList{u"GESTION.G01"_s};
    state_.Images(DocumentKind::AnnouncementsImages) = QStringList{u"ANUNCIO.001"_s};
    state_.Pages(DocumentKind::EnvironmentalReportText) = QStringList{u"texto"_s};
    state_.Pages(DocumentKind::SimcavReportText) = QStringList{u"texto"_s};
    EXPECT_EQ(Run(), (QStringList{kNif, kCnae, kDni, kStart, kApplication, kMemoria, kGestion,
                                  kAnuncios, kAmbienta, kSimcav, kAcciones, kOtros}));
}

TEST_F(CoherenceRules, TaxIdAndPresenter)
{
    AddSoundDates();
    AddFields(&state_.fields, {{810010, u"0111"_s}, {781202, u"   "_s}});
    EXPECT_EQ(Run(), QStringList{kNif}); // absent tax id; a blank presenter is not checked

    state_.fields.RemoveAll();
    AddSoundDates();
    AddFields(&state_.fields,
              {{810210, u"A 2801 5865"_s}, {810010, u"0111"_s}, {781202, u"x1234567l"_s}});
    EXPECT_EQ(Run(), QStringList());

    state_.fields.RemoveAll();
    AddSoundDates();
    AddFields(&state_.fields,
              {{810210, u"A280158650"_s}, {810010, u"0111"_s}, {781202, u"1234 5678 A"_s}});
    EXPECT_EQ(Run(), (QStringList{kNif, kDni}));
}

TEST_F(CoherenceRules, ActivityCodeIsLookedUpWithFourDigits)
{
    AddSoundDates();
    AddFields(&state_.fields, {{810210, u"A28015865"_s}});
    auto runWithCode = [this](const QString &code) {
        state_.fields.RemoveAll();
        AddSoundDates();
        AddFields(&state_.fields, {{810210, u"A28015865"_s}, {810010, code}});
        return Run();
    };
    EXPECT_EQ(runWithCode(u"123"_s), QStringList()); // 0123
    EXPECT_EQ(runWithCode(u"0123"_s), QStringList());
    EXPECT_EQ(runWithCode(u"7260"_s), QStringList());
    EXPECT_EQ(runWithCode(u"0124x"_s), QStringList()); // read as a number, as atoi does
    EXPECT_EQ(runWithCode(u"0126"_s), QStringList{kCnae});
    EXPECT_EQ(runWithCode(u"texto"_s), QStringList{kCnae}); // 0000
    EXPECT_EQ(runWithCode(u"-111"_s), QStringList{kCnae});
    EXPECT_EQ(runWithCode(u"99999999999999999999"_s), QStringList{kCnae});
}

TEST_F(CoherenceRules, MissingActivityTableFailsEveryCode)
{
    AddSoundCompany();
    AddSoundDates();
    QList<ErrorRecord> records;
    RunCoherenceRules(state_, u"/nonexistent/DATA\\CNAE.TXT"_s, &records, clock_);
    EXPECT_EQ(FormatErrorRecords(records), QStringList{kCnae});
}

TEST(RuleDates, PossibleDates)
{
    EXPECT_TRUE(IsPossibleDate({29, 2, 2000}));
    EXPECT_TRUE(IsPossibleDate({29, 2, 2004}));
    EXPECT_FALSE(IsPossibleDate({29, 2, 1900}));
    EXPECT_FALSE(IsPossibleDate({29, 2, 2005}));
    EXPECT_TRUE(IsPossibleDate({28, 2, 1900}));
    EXPECT_FALSE(IsPossibleDate({31, 4, 2005}));
    EXPECT_TRUE(IsPossibleDate({30, 4, 2005}));
    EXPECT_TRUE(IsPossibleDate({31, 12, 9999}));
    EXPECT_TRUE(IsPossibleDate({1, 1, 1000}));
    EXPECT_FALSE(IsPossibleDate({1, 1, 999}));
    EXPECT_FALSE(IsPossibleDate({1, 1, 10000}));
    EXPECT_FALSE(IsPossibleDate({0, 1, 2005}));
    EXPECT_FALSE(IsPossibleDate({32, 1, 2005}));
    EXPECT_FALSE(IsPossibleDate({1, 0, 2005}));
    EXPECT_FALSE(IsPossibleDate({1, 13, 2005}));
    EXPECT_FALSE(IsPossibleDate({-1, -1, -2005}));
    EXPECT_FALSE(IsPossibleDate({std::numeric_limits<qint64>::max(), 1, 2005}));
    EXPECT_FALSE(IsPossibleDate({1, std::numeric_limits<qint64>::min(), 2005}));
}

TEST(RuleDates, YearRange)
{
    EXPECT_FALSE(IsYearInRange(1989, 2006));
    EXPECT_TRUE(IsYearInRange(1990, 2006));
    EXPECT_TRUE(IsYearInRange(2006, 2006));
    EXPECT_FALSE(IsYearInRange(2007, 2006));
}

TEST_F(CoherenceRules, StartDate)
{
    auto count = [this](std::initializer_list<std::pair<int, QString>> keys) {
        state_.fields.RemoveAll();
        AddFields(&state_.fields, keys);
        return StartDateErrorCount(state_, CurrentYear());
    };
    EXPECT_EQ(count({}), 0);                                                      // skipped
    EXPECT_EQ(count({{810130, u"0"_s}, {810120, u"00"_s}, {810290, u"x"_s}}), 0); // all 0: skipped
    EXPECT_EQ(count({{810130, u"29"_s}, {810120, u"2"_s}, {810290, u"2000"_s}}), 0);
    EXPECT_EQ(count({{810130, u"29"_s}, {810120, u"2"_s}, {810290, u"1900"_s}}), 1);
    EXPECT_EQ(count({{810130, u"31"_s}, {810120, u"4"_s}, {810290, u"2005"_s}}), 1);
    EXPECT_EQ(count({{810130, u"1"_s}, {810120, u"1"_s}, {810290, u"1989"_s}}), 1);
    EXPECT_EQ(count({{810130, u"1"_s}, {810120, u"1"_s}, {810290, u"2007"_s}}), 1); // next year
    EXPECT_EQ(count({{810130, u"1"_s}, {810120, u"1"_s}, {810290, u"2006"_s}}), 0);
    EXPECT_EQ(count({{810290, u"2004"_s}}), 1); // day 0 is never possible
    EXPECT_EQ(count({{810130, u"99999999999999999999"_s}, {810120, u"1"_s}, {810290, u"2004"_s}}),
              1);
    // Impossible and out of range at once still gives one record.
    EXPECT_EQ(count({{810130, u"31"_s}, {810120, u"2"_s}, {810290, u"1980"_s}}), 1);
}

TEST_F(CoherenceRules, ClosingDate)
{
    auto count = [this](std::initializer_list<std::pair<int, QString>> keys) {
        state_.fields.RemoveAll();
        AddFields(&state_.fields, keys);
        return ClosingDateErrorCount(state_, CurrentYear());
    };
    EXPECT_EQ(count({}), 2); // 99/99/9999: impossible, and out of range
    EXPECT_EQ(count({{810030, u"31"_s}, {810020, u"12"_s}, {810190, u"2005"_s}}), 0);
    EXPECT_EQ(count({{810030, u"31"_s}, {810020, u"4"_s}, {810190, u"2005"_s}}), 1);
    EXPECT_EQ(count({{810030, u"31"_s}, {810020, u"12"_s}, {810190, u"1985"_s}}), 1);
    EXPECT_EQ(count({{810030, u"31"_s}, {810020, u"2"_s}, {810190, u"1985"_s}}), 2);
    EXPECT_EQ(count({{810030, u"0"_s}, {810020, u"0"_s}, {810190, u"0"_s}}), 2); // never skipped
    EXPECT_EQ(count({{810030, u"31"_s}, {810020, u"12"_s}}), 1);   // 9999 is possible, not in range
    EXPECT_EQ(count({{810020, u"12"_s}, {810190, u"2005"_s}}), 1); // day 99
    EXPECT_EQ(count({{810030, u"31"_s}, {810020, u"12"_s}, {810190, u"99999999999999999999"_s}}),
              2);
}

TEST_F(CoherenceRules, ApplicationDate)
{
    auto count = [this](std::initializer_list<std::pair<int, QString>> keys) {
        state_.fields.RemoveAll();
        AddFields(&state_.fields, keys);
        return ApplicationDateErrorCount(state_, CurrentYear());
    };
    EXPECT_EQ(count({}), 0);
    EXPECT_EQ(count({{781101, u"0"_s}, {781102, u"0"_s}, {781103, u"0"_s}}), 0);
    EXPECT_EQ(count({{781101, u"99"_s}, {781102, u"99"_s}, {781103, u"9999"_s}}), 0);
    EXPECT_EQ(count({{781101, u"15"_s}, {781102, u"6"_s}, {781103, u"2006"_s}}), 0);
    EXPECT_EQ(count({{781101, u"15"_s}, {781102, u"6"_s}}), 1); // year 9999
    EXPECT_EQ(count({{781101, u"30"_s}, {781102, u"2"_s}, {781103, u"1980"_s}}), 2);
    EXPECT_EQ(count({{781101, u"31"_s}, {781102, u"6"_s}, {781103, u"2006"_s}}), 1);
    EXPECT_EQ(count({{781101, u"15"_s}, {781102, u"6"_s}, {781103, u"2007"_s}}), 1);
    EXPECT_EQ(count({{781101, u"0"_s}, {781102, u"0"_s}, {781103, u"2006"_s}}), 1);
}

TEST_F(CoherenceRules, DatesReachTheRecordsWithTheirKeys)
{
    AddSoundCompany();
    AddFields(&state_.fields, {{810290, u"2004"_s}, {781101, u"15"_s}, {781102, u"6"_s}});
    EXPECT_EQ(Run(), (QStringList{kStart, kClosing, kClosing, kApplication}));
}

TEST_F(CoherenceRules, DocumentsMustBeDeclared)
{
    AddSoundCompany();
    AddSoundDates();

    // Memoria: text or images, with either box.
    state_.Pages(DocumentKind::MemoriaText) = QStringList{QString()};
    EXPECT_EQ(Run(), QStringList()); // one empty page is no text
    state_.Pages(DocumentKind::MemoriaText) = QStringList{QString(), QString()};
    EXPECT_EQ(Run(), QStringList{kMemoria});
    AddFields(&state_.fields, {{780806, u"X"_s}});
    EXPECT_EQ(Run(), QStringList());
    state_.fields.RemoveAll();
    AddSoundCompany();
    AddSoundDates();
    AddFields(&state_.fields, {{780805, u"x"_s}}); // lower case is not marked
    state_.Pages(DocumentKind::MemoriaText).clear();
    state_.Images(DocumentKind::MemoriaImages) = QStringList{QString()}; // a hole is an entry
    EXPECT_EQ(Run(), QStringList{kMemoria});
}

TEST_F(CoherenceRules, DeclaredMeansFirstBoxMarkedAndSecondNot)
{
    struct Case
    {
        DocumentKind kind; // a text or an image set
        int first;
        int second;
        QString record;
    };
    const Case cases[] = {{DocumentKind::ManagementReportText, 780807, 780808, kGestion},
                          {DocumentKind::ManagementReportImages, 780807, 780808, kGestion},
                          {DocumentKind::AnnouncementsImages, 780823, 780824, kAnuncios},
                          {DocumentKind::EnvironmentalReportText, 780819, 780820, kAmbienta},
                          {DocumentKind::SimcavReportText, 780821, 780822, kSimcav},
                          {DocumentKind::OwnSharesText, 780809, 780810, kAcciones}};
    auto isImages = [](DocumentKind kind) { return DocumentKindOf(kind).images; };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.first);
        auto run = [&](std::initializer_list<std::pair<int, QString>> boxes, bool present) {
            state_.fields.RemoveAll();
            AddSoundCompany();
            AddSoundDates();
            AddFields(&state_.fields, boxes);
            if (isImages(c.kind))
                state_.Images(c.kind) = present ? QStringList{u"contenido"_s} : QStringList();
            else
                state_.Pages(c.kind) = present ? TextPageList{u"contenido"_s} : TextPageList();
            return Run();
        };
        EXPECT_EQ(run({}, false), QStringList());
        EXPECT_EQ(run({}, true), QStringList{c.record});
        EXPECT_EQ(run({{c.first, u"X"_s}}, true), QStringList());
        EXPECT_EQ(run({{c.first, u"X"_s}, {c.second, u"X"_s}}, true), QStringList{c.record});
        EXPECT_EQ(run({{c.second, u"X"_s}}, true), QStringList{c.record});
        EXPECT_EQ(run({{c.first, u"X "_s}}, true), QStringList{c.record});
        state_.ClearDocuments();
    }
    // Nothing is asked of auditor images or of the approval certificate.
    state_.fields.RemoveAll();
    AddSoundCompany();
    AddSoundDates();
    state_.Images(DocumentKind::AuditorReportImages) = QStringList{u"AUDITOR.001"_s};
    state_.Pages(DocumentKind::ApprovalCertificateText) = QStringList{u"certificado"_s};
    EXPECT_EQ(Run(), QStringList());
}

TEST_F(CoherenceRules, OwnSharesDataNeedsTheOwnSharesBox)
{
    auto run = [this](int key, bool marked) {
        state_.fields.RemoveAll();
        AddSoundCompany();
        AddSoundDates();
        AddFields(&state_.fields, {{key, u"1"_s}});
        if (marked)
            AddFields(&state_.fields, {{780809, u"X"_s}});
        return Run();
    };
    EXPECT_EQ(run(710000, false), QStringList());
    EXPECT_EQ(run(710999, false), QStringList());
    EXPECT_EQ(run(700500, false), QStringList());
    EXPECT_EQ(run(700000, false), QStringList{kAcciones});
    EXPECT_EQ(run(775220, false), QStringList{kAcciones});
    EXPECT_EQ(run(775221, false), QStringList());
    EXPECT_EQ(run(711000, false), QStringList{kAcciones});
    EXPECT_EQ(run(711000, true), QStringList());
}

TEST_F(CoherenceRules, NumberOfOtherDocuments)
{
    auto run = [this](std::initializer_list<std::pair<int, QString>> keys, int documents) {
        state_.fields.RemoveAll();
        AddSoundCompany();
        AddSoundDates();
        AddFields(&state_.fields, keys);
        state_.otherDocumentNames.clear();
        for (int i = 0; i < documents; ++i)
            state_.otherDocumentNames.append(u"Documento %1"_s.arg(i + 1));
        return Run();
    };
    EXPECT_EQ(run({}, 0), QStringList());
    EXPECT_EQ(run({{780814, u"2"_s}}, 2), QStringList{kOtros});
    EXPECT_EQ(run({{780814, u"2"_s}, {780813, u"X"_s}}, 2), QStringList());
    EXPECT_EQ(run({{780814, u"1"_s}, {780813, u"X"_s}}, 2), QStringList{kOtros});
    EXPECT_EQ(run({}, 1), QStringList{kOtros});
    EXPECT_EQ(run({{780813, u"X"_s}}, 0), QStringList()); // marked with none is accepted
    EXPECT_EQ(run({{780814, u"0"_s}}, 0), QStringList());
    EXPECT_EQ(run({{780814, u"99999999999999999999"_s}, {780813, u"X"_s}}, 2), QStringList{kOtros});
}

TEST_F(CoherenceRules, CurrentYearComesFromTheClock)
{
    AddSoundCompany();
    AddFields(&state_.fields, {{810030, u"31"_s}, {810020, u"12"_s}, {810190, u"2006"_s}});
    EXPECT_EQ(Run(), QStringList());
    clock_ = FixedClock(QDate(2005, 12, 31));
    EXPECT_EQ(Run(), QStringList{kClosing});
}

} // namespace
