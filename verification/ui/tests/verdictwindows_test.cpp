#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "components/formdocument.h"
#include "datafiles/depositstate.h"
#include "reception/userinterface.h"
#include "testing/fixedclock.h"
#include "testing/scriptedinterface.h"
#include "verification/clock.h"
#include "verification/depositdiagnosis.h"
#include "verification/tests/storehelpers.h"
#include "verification/ui/estadodlg.h"
#include "verification/ui/listaerroresdlg.h"
#include "verification/verdictcommands.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

// Runs `step` on the modal dialog of type T as soon as it is up.
template <typename T, typename Step> void WhenShown(Step step)
{
    QTimer::singleShot(0, [step] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "the window was not shown";
        step(dialog);
        // Never leave a modal window waiting for a clerk who is not there.
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the window stayed open";
            dialog->reject();
        }
    });
}

// A correct fingerprint with one primary error: memoria can be printed, the
// auditor's report cannot.
DepositStateReport InvalidReport()
{
    DepositStateReport report;
    report.title = u"Estado del Depósito Digital"_s;
    report.signature = u"3J4K4S7YXTQF1SQMCD7DPSAUK4"_s;
    report.structure = u"CORRECTA"_s;
    report.fingerprintVerdict = u"CORRECTA"_s;
    report.primaryCount = u"1"_s;
    report.otherDocuments = {u"Acta de la junta general"_s};
    report.available[0] = true;
    report.available[1] = true;
    report.ticks[0] = true;
    return report;
}

TEST(StateWindow, ShowsTheVerdictAndReadsBackTheTicksOnImprimir)
{
    CEstadoDlg window(InvalidReport());
    EXPECT_EQ(window.windowTitle(), u"Estado del Depósito Digital"_s);
    EXPECT_EQ(window.ValueLabel(1044)->text(), u"3J4K4S7YXTQF1SQMCD7DPSAUK4"_s);
    EXPECT_EQ(window.ValueLabel(1013)->text(), u"1"_s);
    EXPECT_EQ(window.ValueLabel(1020)->text(), u"1"_s);
    EXPECT_EQ(window.OtherDocumentsList()->count(), 1);

    QCheckBox *sheet = window.CheckBox(0);
    QCheckBox *memoria = window.CheckBox(2);
    QCheckBox *auditor = window.CheckBox(6);
    EXPECT_TRUE(sheet->isChecked());
    EXPECT_TRUE(memoria->isEnabled());
    EXPECT_FALSE(memoria->isChecked()); // invalid: the sheet alone is preselected
    EXPECT_FALSE(auditor->isEnabled());
    EXPECT_EQ(auditor->text(), u"Informe de Auditoria"_s);

    // Neither a click nor the keyboard unticks the sheet; other boxes toggle.
    sheet->click();
    EXPECT_TRUE(sheet->isChecked());
    sheet->setFocus();
    QTest::keyClick(sheet, Qt::Key_Space);
    EXPECT_TRUE(sheet->isChecked());
    memoria->click();
    window.PrintButton()->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.Ticks(), (PrintChoices{true, false, true}));
}

class RuleCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        appFolder_ = QStringLiteral(VK7_SOURCE_DIR) + u"\\"_s;
        vk7::testing::AddFields(&state_.fields, {{810210, u"A28015865"_s},
                                                 {810010, u"0111"_s},
                                                 {810030, u"31"_s},
                                                 {810020, u"12"_s},
                                                 {810190, u"2004"_s}});
    }
    CFormDocument form_;
    DepositState state_;
    QString appFolder_;
    FixedClock clock_{QDate(2006, 1, 1)};
    vk7::testing::ScriptedUserInterface ui_;
};

TEST_F(RuleCheck, TheClerkBrowsesTheListAndVerErrorTakesTheViewerToTheField)
{
    // Without the company's name and tax id the form reports the name's
    // field (primary) and the rules the tax id (implicit).
    ASSERT_FALSE(form_.OpenForm(appFolder_ + u"FORM\\"_s, u"K7NE"_s, &state_.fields).Failed());
    state_.fields.RemoveAll();
    vk7::testing::AddFields(&state_.fields, {{810010, u"0111"_s}});

    // The window hands the error chosen over to the frame's viewer.
    struct ShowingWindow : DialogErrorListWindow
    {
        using DialogErrorListWindow::DialogErrorListWindow;
        void ShowError(long number) override { shownError = number; }
        long shownError = 0;
    } window(&ui_);
    bool browsed = false;
    WhenShown<CListaErroresDlg>([this, &browsed](CListaErroresDlg *dialog) {
        QListWidget *primary = dialog->PrimaryList();
        QListWidget *implicit = dialog->ImplicitList();
        EXPECT_EQ(dialog->windowTitle(), u"Lista de Errores"_s);
        EXPECT_EQ(primary->item(0)->text(), u"Falta rellenar : Denominación social"_s);

        primary->clearSelection();
        dialog->ViewErrorButton()->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->MessageLine()->text(), u"Seleccionar el error a corregir"_s);

        primary->setCurrentRow(0);
        implicit->setCurrentRow(0);
        EXPECT_TRUE(primary->selectedItems().isEmpty());
        dialog->ViewRuleButton()->click();
        EXPECT_EQ(ui_.messages, QStringList{u"Regla asociada al error implícito: NIF no válido."
                                            u"\n\n810210"_s});

        // A double click (press, release, double click) on the primary error chooses it.
        const QRect at = primary->visualItemRect(primary->item(0));
        QTest::mouseClick(primary->viewport(), Qt::LeftButton, {}, at.center());
        QTest::mouseDClick(primary->viewport(), Qt::LeftButton, {}, at.center());
        EXPECT_TRUE(implicit->selectedItems().isEmpty());
        browsed = true;
    });
    EXPECT_FALSE(ShowRuleCheckResult(CollectRuleErrors(state_, &form_, appFolder_, clock_).records,
                                     &form_, &window, ui_));
    EXPECT_TRUE(browsed);
    EXPECT_EQ(window.shownError, 810220);
    EXPECT_EQ(ui_.messages.size(), 1); // no "Reglas de Coherencia Correctas"
}

TEST(ErrorList, TheKeysGoThroughTheListsFirstAndAFocusedListSelects)
{
    ErrorListContent content;
    content.primaryTexts = {u"Primero"_s, u"Segundo"_s};
    content.primaryNumbers = {u"810220"_s, u"810230"_s};
    content.primaryReferences = {u"R1"_s, u"R2"_s};
    content.implicitTexts = {u"Implícito"_s};
    content.implicitNumbers = {u"810210"_s};
    content.implicitReferences = {u"R3"_s};
    CListaErroresDlg dialog(content);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    EXPECT_EQ(QApplication::focusWidget(), dialog.PrimaryList());
    EXPECT_EQ(dialog.PrimaryList()->currentRow(), 0);
    EXPECT_EQ(dialog.PrimaryList()->selectedItems().size(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.ImplicitList());
    EXPECT_EQ(dialog.ImplicitList()->selectedItems().size(), 1);
    EXPECT_TRUE(dialog.PrimaryList()->selectedItems().isEmpty());
    for (QWidget *next : {static_cast<QWidget *>(dialog.ViewErrorButton()),
                          static_cast<QWidget *>(dialog.ViewRuleButton()),
                          static_cast<QWidget *>(dialog.LeaveButton())}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.PrimaryList());

    // Enter on the focused list is "Ver &Error" on its selected error.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.ChosenNumber(), 810220);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
