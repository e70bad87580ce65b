#include <functional>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include "reception/backgroundwork.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/ui/messageboxes.h"
#include "reception/ui/opendepositdialog.h"
#include "testing/guiapplication.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

// Records every text the status line is painted with.
class PaintedTexts : public QObject
{
public:
    explicit PaintedTexts(QLabel *label) : label_(label) { label->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint &&
            (texts.isEmpty() || texts.constLast() != label_->text()))
            texts.append(label_->text());
        return false;
    }
    QStringList texts;

private:
    QLabel *label_;
};

// "&Aceptar", and the copy it starts run to its end.
void Accept(COpenDepositDialog &dialog)
{
    dialog.AcceptButton()->click();
    EXPECT_TRUE(vk7::testing::WaitUntil([&] { return !dialog.Busy(); }));
}

// Answers the message boxes that come up, one answer each, noting their texts.
void AnswerBoxes(QList<QMessageBox::StandardButton> answers, QStringList *seen)
{
    if (answers.isEmpty())
        return;
    QTimer::singleShot(10, [answers, seen]() mutable {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            seen->append(box->windowTitle() + u": "_s + box->text());
            box->button(answers.takeFirst())->click();
        }
        AnswerBoxes(answers, seen);
    });
}

// Runs `step` on the first message box that comes up. The copy reaches it
// from its own thread, at a moment the test cannot know: it is looked for
// every 10 ms, for up to 30 s.
void WhenBoxShown(const std::function<void(QMessageBox *)> &step, int tries = 3000)
{
    QTimer::singleShot(10, [step, tries] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->isVisible())
            step(box);
        else if (tries > 1)
            WhenBoxShown(step, tries - 1);
        else
            ADD_FAILURE() << "no message box";
    });
}

class OpenDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC_.isValid() && medium_.isValid());
        PathResolver::ClearDriveRoots();
        PathResolver::SetDriveRoot(u'C', driveC_.path());
        PathResolver::SetDriveRoot(u'A', medium_.path());
        for (const char *name : {"FICHERO.TXT", "DATOS.ASC", "MEMORIA.TXT"}) {
            QFile file(medium_.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("x\r\n");
        }
    }
    void TearDown() override { PathResolver::ClearDriveRoots(); }

    QTemporaryDir driveC_;
    QTemporaryDir medium_;
    MessageBoxes ui_;
    OpenDialogInterface dialogUi_{ui_};
    // The copy runs off the window's thread: the logic reaches the dialog through this.
    WindowThreadInterface logicUi_{dialogUi_, jobs_};
    JobRunner jobs_;
};

TEST_F(OpenDialog, TheLastFailingCheckDecidesTheStatusLineAndTheFocus)
{
    OpenDepositLogic logic(logicUi_);
    logic.Initialize();
    COpenDepositDialog dialog(logic, jobs_);
    dialogUi_.SetDialog(&dialog);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), u"Abrir un Depósito Digital"_s);
    EXPECT_EQ(dialog.LocationEdit()->text(), u"A:\\FICHERO.TXT"_s);
    EXPECT_EQ(dialog.DiskettesEdit()->text(), u"1"_s);

    // Typed or pasted letters become capitals; the field's text is compared as it is.
    dialog.FingerprintEdit()->insert(u"cor"_s);
    dialog.FingerprintEdit()->insert(u"ta"_s);
    EXPECT_EQ(dialog.FingerprintEdit()->text(), u"CORTA"_s);
    Accept(dialog);
    EXPECT_EQ(dialog.StatusLine()->text(), u"ERROR. Longitud Huella Digital. (Obligado : 26)"_s);
    EXPECT_EQ(dialog.focusWidget(), dialog.FingerprintEdit());
    EXPECT_TRUE(dialog.isVisible());

    dialog.LocationEdit()->setText(medium_.filePath(u"DATOS.ASC"_s));
    Accept(dialog);
    EXPECT_EQ(dialog.StatusLine()->text(),
              u"ERROR. Fichero incorrecto. (Obligado : FICHERO.TXT)"_s);
    EXPECT_EQ(dialog.focusWidget(), dialog.LocationEdit());

    dialog.LocationEdit()->setText(medium_.filePath(u"NADA/fichero.txt"_s));
    Accept(dialog);
    EXPECT_EQ(dialog.StatusLine()->text(),
              u"ERROR. Fichero incorrecto. (No encontrado : FICHERO.TXT)"_s);
    EXPECT_EQ(dialog.result(), 0);
}

TEST_F(OpenDialog, EachCopiedFileIsPaintedAndTheHiddenEntryComesBack)
{
    OpenDepositLogic logic(logicUi_);
    logic.number = u"124"_s;
    logic.date = u"01/06/2010"_s;
    logic.formSelection = 1;
    logic.Initialize();
    COpenDepositDialog dialog(logic, jobs_);
    dialogUi_.SetDialog(&dialog);
    dialog.show();
    // On screen, as when the clerk types in it: the copy then paints each
    // line at once, without handling any event.
    QElapsedTimer shown;
    shown.start();
    while (!(dialog.windowHandle() && dialog.windowHandle()->isExposed()) && shown.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    PaintedTexts painted(dialog.StatusLine());
    // A path on drive A:'s folder, as "Buscar" returns it, is a diskette.
    dialog.LocationEdit()->setText(medium_.filePath(u"fichero.txt"_s));
    dialog.FingerprintEdit()->setText(QString(26, u'A'));
    QStringList seen;
    AnswerBoxes({QMessageBox::Ok}, &seen);
    Accept(dialog);

    ASSERT_EQ(dialog.result(), QDialog::Accepted) << dialog.StatusLine()->text().toStdString();
    EXPECT_EQ(seen, QStringList{u"AVISO: Introducir disquete nº : 1"_s});
    EXPECT_EQ(painted.texts.filter(u"Copiando fichero "_s).size(), 3)
        << painted.texts.join(u'\n').toStdString();
    EXPECT_EQ(logic.location, u"C:\\TMP_VK7\\"_s);
    EXPECT_EQ(logic.number, u"124"_s);
    EXPECT_EQ(logic.date, u"01/06/2010"_s);
    EXPECT_EQ(logic.formSelection, 1);
    EXPECT_TRUE(QFile::exists(driveC_.filePath(u"TMP_VK7/MEMORIA.TXT"_s)));
}

TEST_F(OpenDialog, DiskettePromptsAreMessageBoxesAndCancelEndsTheCopy)
{
    OpenDepositLogic logic(logicUi_);
    logic.Initialize();
    COpenDepositDialog dialog(logic, jobs_);
    dialogUi_.SetDialog(&dialog);
    ui_.SetParent(&dialog);
    dialog.show();
    dialog.DiskettesEdit()->setText(u"2"_s);
    dialog.FingerprintEdit()->setText(QString(26, u'A'));
    QStringList seen;
    AnswerBoxes({QMessageBox::Ok, QMessageBox::Cancel}, &seen);
    Accept(dialog);
    EXPECT_EQ(seen, (QStringList{u"AVISO: Introducir disquete nº : 1"_s,
                                 u"AVISO: Introducir disquete nº : 2"_s}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(QFile::exists(driveC_.filePath(u"TMP_VK7/DATOS.ASC"_s)));
}

TEST_F(OpenDialog, TheProgressBarShowsWhileTheCopyRunsAndKeepsTheDialogsSize)
{
    OpenDepositLogic logic(logicUi_);
    logic.Initialize();
    COpenDepositDialog dialog(logic, jobs_);
    dialogUi_.SetDialog(&dialog);
    ui_.SetParent(&dialog);
    dialog.show();
    const QSize size = dialog.size();
    QProgressBar *bar = dialog.ProgressBar();
    EXPECT_EQ(bar->accessibleName(), u"Progreso"_s);
    EXPECT_FALSE(bar->isVisible());

    // At the diskette prompt the copy is under way.
    bool asked = false;
    WhenBoxShown([&](QMessageBox *box) {
        asked = true;
        logicUi_.ShowProgress(3'000'000'000, 4'000'000'000);
        EXPECT_TRUE(bar->isVisible());
        // Beyond an int's range, scaled down.
        EXPECT_NEAR(double(bar->value()) / bar->maximum(), 0.75, 0.001);
        EXPECT_EQ(dialog.size(), size);
        box->button(QMessageBox::Ok)->click();
    });
    dialog.FingerprintEdit()->setText(QString(26, u'A'));
    Accept(dialog);
    EXPECT_TRUE(asked);
    ASSERT_EQ(dialog.result(), QDialog::Accepted) << dialog.StatusLine()->text().toStdString();
    EXPECT_FALSE(bar->isVisibleTo(&dialog));
    // A figure left over from the ended copy shows nothing.
    logicUi_.ShowProgress(1, 4);
    EXPECT_FALSE(bar->isVisibleTo(&dialog));
}

TEST_F(OpenDialog, KeepsItsSizeCutsALongStatusInTheMiddleAndWrapsTheRetryWhole)
{
    // A deposit deep in folders (not on drive A:, so no diskette is asked
    // for) whose DATOS.ASC finds a folder in its place.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    QString deep = elsewhere.path();
    for (int i = 0; i < 8; ++i)
        deep += u"/Cuentas-Anuales_%1/dep.%1"_s.arg(2020 + i);
    ASSERT_TRUE(QDir().mkpath(deep));
    for (const char *name : {"FICHERO.TXT", "DATOS.ASC"})
        ASSERT_TRUE(QFile::copy(medium_.filePath(QString::fromLatin1(name)),
                                deep + u'/' + QString::fromLatin1(name)));
    OpenDepositLogic logic(logicUi_);
    logic.Initialize();
    ASSERT_TRUE(QDir().mkpath(driveC_.filePath(u"TMP_VK7/DATOS.ASC"_s)));
    COpenDepositDialog dialog(logic, jobs_);
    dialogUi_.SetDialog(&dialog);
    ui_.SetParent(&dialog);
    dialog.show();
    const QSize size = dialog.size();

    bool asked = false;
    WhenBoxShown([&asked](QMessageBox *box) {
        auto *label = box->findChild<QLabel *>(u"qt_msgbox_label"_s);
        if (!label) {
            ADD_FAILURE() << "no retry box";
            box->button(QMessageBox::No)->click();
            return;
        }
        EXPECT_TRUE(label->text().startsWith(u"No se puede copiar el fichero "_s))
            << label->text().toStdString();
        // As the box lays it out, every line fits and ends after a folder
        // separator or a blank, never inside a name ("Cuentas-", "dep.").
        QString text = label->text();
        text.replace(u'\n', QChar::LineSeparator);
        QTextLayout layout(text, label->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        const int width = label->contentsRect().width();
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            EXPECT_LE(line.naturalTextWidth(), width);
            QString shown = text.mid(line.textStart(), line.textLength());
            shown.remove(QChar(0x200B)).remove(QChar(0x2060));
            const QChar last = shown.isEmpty() ? QChar() : shown.back();
            const bool end = line.textStart() + line.textLength() >= text.size();
            EXPECT_TRUE(end || last == u'/' || last == u'\\' || last.isSpace() ||
                        last == QChar::LineSeparator)
                << shown.toStdString();
        }
        layout.endLayout();
        EXPECT_LE(box->frameGeometry().width(), box->screen()->availableGeometry().width());
        asked = true;
        box->button(QMessageBox::No)->click();
    });
    dialog.LocationEdit()->setText(deep + u"/FICHERO.TXT"_s);
    dialog.FingerprintEdit()->setText(QString(26, u'A'));
    Accept(dialog);
    EXPECT_TRUE(asked);

    const QString status = dialog.StatusLine()->text();
    ASSERT_TRUE(status.startsWith(u"ERROR. Copiando fichero ("_s)) << status.toStdString();
    EXPECT_EQ(dialog.size(), size);
    EXPECT_EQ(dialog.StatusLine()->toolTip(), status);
    const QString shown = dialog.StatusLine()->ShownText();
    EXPECT_TRUE(shown.startsWith(u"ERROR. Copiando"_s)) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(u"DATOS.ASC)"_s)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u'…'));
    EXPECT_LE(dialog.StatusLine()->fontMetrics().horizontalAdvance(shown),
              dialog.StatusLine()->contentsRect().width());
}

TEST_F(OpenDialog, SalirEmptiesTheLocation)
{
    OpenDepositLogic logic(logicUi_);
    logic.Initialize();
    COpenDepositDialog dialog(logic, jobs_);
    dialogUi_.SetDialog(&dialog);
    dialog.show();
    dialog.CancelButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(logic.location.isEmpty());
}

TEST_F(OpenDialog, BuscarShowsOnlyFicheroTxtInAnyCaseFromDriveA)
{
    ASSERT_TRUE(QDir(medium_.path()).mkdir(u"OTRO"_s));
    QFile lower(medium_.filePath(u"OTRO/fichero.txt"_s));
    ASSERT_TRUE(lower.open(QIODevice::WriteOnly));
    lower.close();

    std::unique_ptr<QFileDialog> dialog(COpenDepositDialog::CreateBrowseDialog(nullptr));
    EXPECT_EQ(dialog->windowTitle(), u"Buscar la situación del FICHERO.TXT"_s);
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(medium_.path()).canonicalPath());
    auto *model = dialog->findChild<QFileSystemModel *>();
    ASSERT_NE(model, nullptr);
    // The model lists in a thread of its own: wait until the folder is read
    // (a wrong filter would show more names, never fewer).
    auto listing = [&](const QString &folder, int atLeast) {
        dialog->setDirectory(folder);
        const QModelIndex parent = model->index(folder);
        QElapsedTimer waited;
        waited.start();
        while (model->rowCount(parent) < atLeast && waited.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            model->fetchMore(parent);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
        QStringList names;
        for (int row = 0; row < model->rowCount(parent); ++row)
            names.append(model->index(row, 0, parent).data().toString());
        names.sort();
        return names;
    };
    EXPECT_EQ(listing(medium_.path(), 2), (QStringList{u"FICHERO.TXT"_s, u"OTRO"_s}));
    EXPECT_EQ(listing(medium_.filePath(u"OTRO"_s), 1), QStringList{u"fichero.txt"_s});
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
