#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/formdocument.h"
#include "datafiles/depositstate.h"
#include "storehelpers.h"
#include "testing/fixedclock.h"
#include "verification/clock.h"
#include "verification/coherencecheck.h"
#include "verification/formtype.h"

using namespace Qt::StringLiterals;
using namespace vk7;
using vk7::testing::AddFields;

namespace {

class RecordingWindow : public IErrorListWindow
{
public:
    std::optional<long> ChooseError(const ErrorListContent &content) override
    {
        shown = content;
        ++times;
        return answer;
    }
    void ShowError(long number) override { shownError = number; }
    ErrorListContent shown;
    int times = 0;
    long shownError = 0;
    std::optional<long> answer;
};

class CoherenceCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        appFolder_ = QStringLiteral(VK7_SOURCE_DIR) + u"\\"_s;
        AddFields(&state_.fields, {{810210, u"A28015865"_s},
                                   {810010, u"0111"_s},
                                   {810030, u"31"_s},
                                   {810020, u"12"_s},
                                   {810190, u"2004"_s}});
    }
    CFormDocument form_;
    DepositState state_;
    QString appFolder_;
    FixedClock clock_{QDate(2006, 1, 1)};
};

TEST_F(CoherenceCheck, CleanDepositReturnsTrueAndLeavesRuleModeOff)
{
    QStringList primary{u"old"_s};
    QStringList implicit{u"old"_s};
    QList<ErrorRecord> records{{ErrorRecord::Kind::Coherence, 1, u"old"_s, 1, u"old"_s}};
    RecordingWindow window;
    EXPECT_TRUE(CheckCoherenceRules(state_, &form_, appFolder_, &primary, &implicit, &window,
                                    clock_, &records));
    EXPECT_TRUE(primary.isEmpty());
    EXPECT_TRUE(implicit.isEmpty());
    EXPECT_TRUE(records.isEmpty());
    EXPECT_EQ(window.times, 0); // nothing to show
    EXPECT_FALSE(form_.RuleCheckMode());
}

TEST_F(CoherenceCheck, ClassesTheRecordsIntoDisplayTexts)
{
    state_.fields.RemoveAll();
    AddFields(&state_.fields, {{810010, u"0111"_s}, {810290, u"1980"_s}});
    QStringList primary;
    QStringList implicit;
    QList<ErrorRecord> records;
    EXPECT_FALSE(CheckCoherenceRules(state_, &form_, appFolder_, &primary, &implicit, nullptr,
                                     clock_, &records));
    EXPECT_EQ(records.size(), 4);
    EXPECT_EQ(primary, (QStringList{u"Fecha inicio no válida."_s, u"Fecha no válida."_s,
                                    u"Fecha no válida."_s}));
    EXPECT_EQ(implicit, QStringList{u"NIF no válido."_s});
    EXPECT_FALSE(form_.RuleCheckMode());
}

TEST_F(CoherenceCheck, InteractiveWindowSeesTheSameLists)
{
    state_.fields.RemoveAll();
    AddFields(&state_.fields, {{810010, u"0111"_s}});
    RecordingWindow window;
    window.answer = 810210;
    QStringList primary;
    QStringList implicit;
    EXPECT_FALSE(
        CheckCoherenceRules(state_, &form_, appFolder_, &primary, &implicit, &window, clock_));
    EXPECT_EQ(window.times, 1);
    EXPECT_EQ(window.shown.primaryTexts, primary);
    EXPECT_EQ(window.shown.implicitTexts, implicit);
    EXPECT_EQ(window.shown.implicitNumbers, QStringList{u"810210"_s});
    EXPECT_FALSE(form_.RuleCheckMode());
}

TEST_F(CoherenceCheck, FormRecordsComeFirstAndTheChosenErrorIsShown)
{
    // Without the company's name the form's own check reports its field.
    ASSERT_FALSE(form_.OpenForm(appFolder_ + u"FORM\\"_s, u"K7NE"_s, &state_.fields).Failed());
    state_.fields.RemoveAll();
    AddFields(&state_.fields, {{810010, u"0111"_s}});
    RecordingWindow window;
    window.answer = 810220;
    QStringList primary;
    QStringList implicit;
    QList<ErrorRecord> records;
    EXPECT_FALSE(CheckCoherenceRules(state_, &form_, appFolder_, &primary, &implicit, &window,
                                     clock_, &records));
    ASSERT_GE(records.size(), 2);
    EXPECT_TRUE(records.first().Format().startsWith(u"R|810220|"_s));
    EXPECT_TRUE(records.at(1).Format().startsWith(u"C|810210|"_s));
    EXPECT_EQ(primary.first(), u"Falta rellenar : Denominación social"_s);
    EXPECT_EQ(window.shownError, 810220);
    EXPECT_FALSE(form_.RuleCheckMode());
}

TEST_F(CoherenceCheck, MissingActivityTableReportsTheCode)
{
    appFolder_ = u"/nonexistent/"_s;
    QStringList primary;
    QStringList implicit;
    EXPECT_FALSE(
        CheckCoherenceRules(state_, &form_, appFolder_, &primary, &implicit, nullptr, clock_));
    EXPECT_EQ(implicit, QStringList{u"CNAE no válido."_s});
    EXPECT_EQ(ActivityTablePath(u"/x/"_s), u"/x/DATA\\CNAE.TXT"_s);
}

TEST(FormType, MissingTemplateKeepsTheNameAndNamesThePath)
{
    QTemporaryDir app;
    CFormDocument form;
    CCampBDArray fields;
    AddFields(&fields, {{781010, u"EUROS"_s}, {999114, u"X"_s}, {780802, u"X"_s}});
    QString name;
    QString error;
    const QString appFolder = app.path() + u"\\"_s;
    EXPECT_TRUE(DecideFormType(fields, &form, appFolder, &name, &error, true).Failed());
    EXPECT_EQ(name, u"K7NE"_s);
    EXPECT_EQ(error, u"ERROR abriendo formulario : "_s + appFolder + u"FORM\\K7NE"_s);

    // Without a form document the template cannot be opened either.
    EXPECT_TRUE(DecideFormType(fields, nullptr, appFolder, &name, &error, true).Failed());
    EXPECT_EQ(name, u"K7NE"_s);

    // A decision failure never reaches the form document: the name is empty.
    CCampBDArray empty;
    EXPECT_TRUE(DecideFormType(empty, &form, appFolder, &name, &error, true).Failed());
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(error, u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)"_s);
}

} // namespace
