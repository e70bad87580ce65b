#include <QStringList>

#include <gtest/gtest.h>

#include "datafiles/depositstate.h"
#include "reception/filetools.h"
#include "verification/clock.h"
#include "verification/coherencerules.h"
#include "verification/depositdiagnosis.h"
#include "verification/errorlistbrowser.h"
#include "verification/statewindowchoices.h"
#include "verification/verdictcommands.h"
#include "verificationgui.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

using StateWindowWithoutForm = vk7::testing::DriveCTest;

TEST_F(StateWindowWithoutForm, VerdictsAreUnknownAndNoDocumentIsOffered)
{
    DepositState state;
    state.fingerprint = u"ABC"_s;
    state.structure = ManifestVerdict::Correct;
    state.completeness = ManifestVerdict::OptionalFault;
    state.otherDocumentNames = {u"Acta"_s, u"Informe"_s};
    state.Pages(DocumentKind::MemoriaText) = {u"Una memoria con texto"_s};
    CFileTools tools;
    const StateWindowChoices choices(
        DiagnoseDeposit(state, nullptr, QString(), tools, SystemClock(), false));
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
    EXPECT_TRUE(choices.Check(0).enabled);
    for (int i = 1; i < kPrintChoiceCount; ++i)
        EXPECT_FALSE(choices.Check(i).enabled) << i;
}

ErrorListContent TwoErrors()
{
    return ClassErrorRecords(
        {{ErrorRecord::Kind::Coherence, 9999111, u"9006:Fecha inicio no válida. (Error Primario)"_s,
          810290, u"Fecha"_s},
         CoherenceRecord(810210, u"9000:NIF no válido. (Error Implícito)"_s, u"NIF"_s)},
        true);
}

TEST(ErrorListBrowser, OneSelectionAcrossBothListsDecidesWhatTheButtonsDo)
{
    ErrorListBrowser browser(TwoErrors());
    EXPECT_FALSE(browser.ViewRule());
    EXPECT_EQ(browser.MessageLine(), u"Seleccionar el error para ver la regla asociada"_s);

    browser.Select(ErrorListBrowser::List::Primary, 0);
    EXPECT_EQ(browser.ViewRule()->caption, u"Regla asociada al error primario"_s);
    EXPECT_EQ(browser.ViewError(), 9991101L);

    // Selecting an implicit error after a primary one leaves only the implicit one;
    // a row that is not there selects nothing and leaves the other list alone.
    browser.Select(ErrorListBrowser::List::Implicit, 0);
    browser.Select(ErrorListBrowser::List::Primary, 5);
    EXPECT_EQ(browser.SelectedList(), ErrorListBrowser::List::Implicit);
    EXPECT_EQ(browser.SelectedRow(ErrorListBrowser::List::Primary), -1);
    EXPECT_EQ(browser.ViewError(), 810210L);
}

// A state window answering as scripted, and what the print output was asked.
class Script : public IStateWindow
{
public:
    std::optional<PrintChoices> Show(const DepositStateReport &) override { return answer; }
    DepositOutputPrinter Printer(bool result)
    {
        return [this, result](const PrintChoices &ticks, bool, std::function<void(bool)> done) {
            printed = ticks;
            ++prints;
            done(result);
            return true;
        };
    }
    StateWindowOutcome Steps(const DepositStateReport &report, bool result)
    {
        std::optional<StateWindowOutcome> outcome;
        ShowStateWindowAndPrint(*this, report, true, Printer(result),
                                [&](StateWindowOutcome ended) { outcome = ended; });
        EXPECT_TRUE(outcome.has_value());
        return outcome.value_or(StateWindowOutcome::Left);
    }
    std::optional<PrintChoices> answer;
    PrintChoices printed{};
    int prints = 0;
};

TEST(StateWindowSteps, ImprimirHandsTheTicksToTheOutputAndSalirPrintsNothing)
{
    Script script;
    const DepositStateReport report;
    EXPECT_EQ(script.Steps(report, true), StateWindowOutcome::Left);
    EXPECT_EQ(script.prints, 0);

    // The sheet is printed even when a window answers it unticked; an output
    // that stops does not bring the Open dialog back.
    script.answer = PrintChoices{false, false, true};
    EXPECT_EQ(script.Steps(report, false), StateWindowOutcome::PrintFailed);
    EXPECT_EQ(script.printed, (PrintChoices{true, false, true}));
    EXPECT_EQ(script.Steps(report, true), StateWindowOutcome::Printed);
}

} // namespace
