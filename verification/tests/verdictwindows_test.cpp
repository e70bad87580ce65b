#include <QStringList>

#include <gtest/gtest.h>

#include "datafiles/depositstate.h"
#include "reception/cfiletools.h"
#include "reception/userinterface.h"
#include "storehelpers.h"
#include "verification/clock.h"
#include "verification/depositdiagnosis.h"
#include "verification/errorlistbrowser.h"
#include "verification/statewindowchoices.h"
#include "verification/verdictcommands.h"
#include "verificationgui.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

constexpr int kSheet = 0;
constexpr int kBalance = 1;
constexpr int kMemoria = 2;
constexpr int kAuditor = 6;

// A diagnosed deposit with memoria and the form pages printable, no auditor report.
DepositStateReport ReportWith(bool valid)
{
    DepositStateReport report;
    report.valid = valid;
    report.available[kBalance - 1] = true;
    report.available[kMemoria - 1] = true;
    report.ticks[kSheet] = true;
    report.ticks[kBalance] = valid;
    report.ticks[kMemoria] = valid;
    return report;
}

TEST(StateWindowChoices, TicksFollowValidityAndTheSheetCannotBeUnticked)
{
    StateWindowChoices valid(ReportWith(true));
    EXPECT_TRUE(valid.Check(kMemoria).enabled);
    EXPECT_TRUE(valid.Check(kMemoria).ticked);
    EXPECT_FALSE(valid.Check(kAuditor).enabled);
    EXPECT_FALSE(valid.Check(kAuditor).ticked);

    // An invalid deposit preselects the sheet alone; available boxes stay enabled.
    StateWindowChoices invalid(ReportWith(false));
    EXPECT_EQ(invalid.Ticks(), (PrintChoices{true}));
    EXPECT_TRUE(invalid.Check(kMemoria).enabled);

    EXPECT_TRUE(invalid.SetTicked(kSheet, false));
    EXPECT_FALSE(invalid.SetTicked(kAuditor, true)); // unavailable: stays off
    EXPECT_TRUE(invalid.SetTicked(kMemoria, true));
    EXPECT_EQ(invalid.Ticks(), (PrintChoices{true, false, true}));
}

using StateWindowWithoutForm = vk7::testing::DriveCTest;

TEST_F(StateWindowWithoutForm, VerdictsAreUnknownAndNoDocumentIsOffered)
{
    DepositState state;
    state.fingerprint = u"ABC"_s;
    state.structureStatus = u"1"_s;
    state.completenessStatus = u"2"_s;
    state.otherDocumentNames = {u"Acta"_s, u"Informe"_s};
    state.memoriaPages = {u"Una memoria con texto"_s};
    CFileTools tools;
    const StateWindowChoices choices(
        DiagnoseDeposit(state, FrameState(), tools, SystemClock(), nullptr));
    QStringList shown;
    for (const StateWindowLine &line : choices.Lines())
        shown << line.caption + line.value;
    EXPECT_EQ(shown,
              (QStringList{u"Firma:ABC"_s, u"Estructura :CORRECTA"_s, u"Completitud :ERRONEA"_s,
                           u"Formulario:¿?"_s, u"Moneda:¿?"_s, u"HUELLA DIGITAL :¿?"_s,
                           u"Errores Primarios :¿?"_s, u"Errores Implícitos :¿?"_s}));
    EXPECT_EQ(choices.Title(), u"Estado del Depósito Digital"_s);
    EXPECT_EQ(choices.OtherDocumentsCount(), u"2"_s);
    EXPECT_EQ(choices.OtherDocuments(), state.otherDocumentNames);
    EXPECT_TRUE(choices.Check(kSheet).enabled);
    for (int i = 1; i < kPrintChoiceCount; ++i)
        EXPECT_FALSE(choices.Check(i).enabled) << i;
}

ErrorListContent TwoErrors()
{
    return ClassErrorRecords(
        {u"C|9999111|9006:Fecha inicio no válida. (Error Primario)|810290|Fecha"_s,
         u"C|810210|9000:NIF no válido. (Error Implícito)|810210|NIF"_s},
        true);
}

TEST(ErrorListBrowser, OneSelectionAcrossBothListsDecidesWhatTheButtonsDo)
{
    ErrorListBrowser browser(TwoErrors());
    EXPECT_FALSE(browser.ViewError());
    EXPECT_EQ(browser.MessageLine(), u"Seleccionar el error a corregir"_s);
    EXPECT_FALSE(browser.ViewRule());
    EXPECT_EQ(browser.MessageLine(), u"Seleccionar el error para ver la regla asociada"_s);

    browser.Select(ErrorListBrowser::List::Primary, 0);
    EXPECT_EQ(browser.ViewRule()->caption, u"Regla asociada al error primario"_s);
    EXPECT_EQ(browser.ViewError(), 9991101L);

    // Selecting an implicit error after a primary one leaves only the implicit one.
    browser.Select(ErrorListBrowser::List::Implicit, 0);
    EXPECT_EQ(browser.SelectedRow(ErrorListBrowser::List::Primary), -1);
    const auto note = browser.ViewRule();
    ASSERT_TRUE(note);
    EXPECT_EQ(note->caption, u"Regla asociada al error implícito"_s);
    EXPECT_EQ(note->text, u"NIF no válido.\n\n810210"_s);
    EXPECT_EQ(browser.ViewError(), 810210L);

    // A row that is not there selects nothing and leaves the other list alone.
    browser.Select(ErrorListBrowser::List::Primary, 5);
    EXPECT_EQ(browser.SelectedList(), ErrorListBrowser::List::Implicit);
}

// A state window and a print output that record what they are asked.
class Script : public IStateWindow
{
public:
    std::optional<PrintChoices> Show(const DepositStateReport &report) override
    {
        steps << u"window"_s;
        shownTicks = report.ticks;
        return answer;
    }
    DepositOutputPrinter Printer(bool result)
    {
        return [this, result](const PrintChoices &ticks, bool formIdentified) {
            steps << u"print"_s;
            printedTicks = ticks;
            printedWithForm = formIdentified;
            return result;
        };
    }
    QStringList steps;
    PrintChoices shownTicks{};
    std::optional<PrintChoices> answer;
    PrintChoices printedTicks{};
    bool printedWithForm = false;
};

TEST(StateWindowSteps, ImprimirHandsTheTicksToTheOutputAndSalirPrintsNothing)
{
    Script script;
    DepositStateReport report = ReportWith(true);
    script.answer = PrintChoices{false, false, true};
    EXPECT_EQ(ShowStateWindowAndPrint(script, report, true, script.Printer(true)),
              StateWindowOutcome::Printed);
    EXPECT_EQ(script.steps, (QStringList{u"window"_s, u"print"_s}));
    EXPECT_EQ(script.shownTicks, report.ticks);
    // The sheet is printed even when a window answers it unticked.
    EXPECT_EQ(script.printedTicks, (PrintChoices{true, false, true}));
    EXPECT_TRUE(script.printedWithForm);

    EXPECT_EQ(ShowStateWindowAndPrint(script, report, false, script.Printer(false)),
              StateWindowOutcome::PrintFailed);
    EXPECT_FALSE(script.printedWithForm);

    script.steps.clear();
    script.answer.reset();
    EXPECT_EQ(ShowStateWindowAndPrint(script, report, true, script.Printer(true)),
              StateWindowOutcome::Left);
    EXPECT_EQ(script.steps, QStringList{u"window"_s});
}

} // namespace
