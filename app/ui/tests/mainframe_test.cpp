#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include "app/framecontroller.h"
#include "app/translations.h"
#include "app/ui/mainframe.h"
#include "components/tessocx.h"
#include "reception/paths.h"
#include "reception/ui/opendepositdialog.h"
#include "testing/cupsserver.h"
#include "testing/fixedclock.h"
#include "testing/guiapplication.h"
#include "testing/hostfiles.h"
#include "verification/clock.h"
#include "verification/ui/estadodlg.h"
#include "verification/ui/listaerroresdlg.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const QString kSample = vk7::testing::SampleDepositFolder();

using vk7::testing::SampleFingerprint;

// Runs `step` on the next modal window of type T that comes up.
template <typename T> void WhenShown(std::function<void(T *)> step)
{
    QTimer::singleShot(10, [step] {
        auto *window = qobject_cast<T *>(QApplication::activeModalWidget());
        if (window && window->isVisible())
            step(window);
        else
            WhenShown<T>(step);
    });
}

// An output that stops says so in a box: each box the guard finds is noted
// in *text and closed, never waited on. The caller starts the guard.
void NoteAndCloseBoxes(QTimer &guard, QString *text)
{
    QObject::connect(&guard, &QTimer::timeout, [text] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->accept();
        }
    });
}

QStringList MenuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions()) {
        QString text = action->isSeparator() ? u"----"_s : action->text();
        if (!action->shortcut().isEmpty())
            text += u'\t' + action->shortcut().toString();
        texts.append(text);
    }
    return texts;
}

// The controls of `window` a screen reader stops on (focusable ones, and
// edits, lists, combo boxes, buttons and check boxes) that have no name,
// walked through Qt's accessibility interfaces. An item view's rows and a
// combo box's drop-down list are its content, not controls of their own.
QStringList UnnamedControls(QWidget *window)
{
    static const QList<QAccessible::Role> kControls{
        QAccessible::EditableText, QAccessible::List,          QAccessible::Table,
        QAccessible::Tree,         QAccessible::ComboBox,      QAccessible::PushButton,
        QAccessible::CheckBox,     QAccessible::RadioButton,   QAccessible::SpinBox,
        QAccessible::ButtonMenu,   QAccessible::ButtonDropDown};
    QStringList unnamed;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        const QAccessible::State state = node->state();
        if (state.invisible)
            return;
        const QAccessible::Role role = node->role();
        if ((state.focusable || kControls.contains(role)) &&
            node->text(QAccessible::Name).trimmed().isEmpty()) {
            QObject *object = node->object();
            unnamed.append(
                QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role)) +
                u' ' +
                (object ? QString::fromLatin1(object->metaObject()->className()) + u' ' +
                              object->objectName()
                        : u"(child)"_s));
        }
        if (role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree ||
            role == QAccessible::ComboBox)
            return;
        for (int i = 0; i < node->childCount(); ++i)
            if (QAccessibleInterface *child = node->child(i))
                walk(child);
    };
    walk(QAccessible::queryAccessibleInterface(window));
    return unnamed;
}

class MainFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC_.IsValid());
        frame_.resize(1000, 700);
        frame_.show();
    }

    // Opens the sample deposit through the real Open dialog window, and
    // leaves the state window that follows with "Salir".
    void OpenSample()
    {
        WhenShown<COpenDepositDialog>([](COpenDepositDialog *dialog) {
            dialog->LocationEdit()->setText(kSample + u"/FICHERO.TXT"_s);
            dialog->FingerprintEdit()->setText(SampleFingerprint());
            dialog->AcceptButton()->click();
        });
        WhenShown<CEstadoDlg>([this](CEstadoDlg *window) {
            stateVerdict_ = window->ValueLabel(1011)->text();
            window->LeaveButton()->click();
        });
        frame_.Action(kCmdOpen)->trigger();
        Settle();
    }
    // A command goes on after it returns (its jobs, the windows after them):
    // waits until the frame is idle again.
    void Settle()
    {
        EXPECT_TRUE(vk7::testing::WaitUntil([this] { return !frame_.Controller().Busy(); }));
    }
    // Lets posted commands run until `done` holds.
    static void ProcessEventsUntil(const std::function<bool()> &done)
    {
        EXPECT_TRUE(vk7::testing::WaitUntil(done, 30));
    }

    vk7::testing::TemporaryDriveC driveC_;
    QString stateVerdict_; // the fingerprint verdict the state window showed
    FixedClock clock_{QDate(2010, 6, 1)};
    CMainFrame frame_{QStringLiteral(VK7_BIN_DIR) + u"\\"_s, clock_};
};

TEST_F(MainFrame, MenusToolbarAndStatusBarAreTheCommandTables)
{
    const QList<QAction *> menus = frame_.menuBar()->actions();
    QStringList titles;
    for (QAction *menu : menus)
        titles.append(menu->text());
    EXPECT_EQ(titles,
              (QStringList{u"&Formulario"_s, u"&Ver"_s, u"&Página"_s, u"&Edición"_s, u"&Ayuda"_s}));
    EXPECT_EQ(MenuTexts(menus.at(0)->menu()),
              (QStringList{u"&Abrir...\tCtrl+A"_s, u"&Cerrar"_s, u"----"_s,
                           u"Configurar &Impesora"_s, u"----"_s, u"&Estado del Depósito\tCtrl+E"_s,
                           u"Comprobar &Reglas\tCtrl+R"_s, u"----"_s, u"&Salir"_s}));
    EXPECT_EQ(MenuTexts(menus.at(2)->menu()),
              (QStringList{u"&Retoceso página\tPgUp"_s, u"&Avance página\tPgDown"_s}));
    QMenu *edit = menus.at(3)->menu();
    ASSERT_EQ(edit->actions().size(), 2);
    EXPECT_EQ(MenuTexts(edit->actions().at(1)->menu()).join(u'|'),
              u"&Memoria|&Gestión|&Acciones|Medioam&biental|Simca&v|C&ert. Aprobación Cuentas"_s);

    // Buttons, gaps and the two lists, left to right.
    QStringList bar;
    for (QAction *action : frame_.findChild<QToolBar *>()->actions())
        bar.append(action->isSeparator()
                       ? u"|"_s
                       : (action->data().isValid() ? action->data().toString() : u"list"_s));
    EXPECT_EQ(
        bar.join(u' '),
        u"57601 | 50018 | 50017 | 50001 50002 50004 50003 50005 | 50006 50007 | list | list"_s);

    EXPECT_NE(frame_.statusBar()->findChild<QLabel *>(), nullptr);
    EXPECT_EQ(frame_.statusBar()->findChild<QLabel *>()->text(), u"Preparado"_s);
    frame_.Action(kCmdZoomIn)->showStatusText(&frame_);
    EXPECT_EQ(frame_.statusBar()->currentMessage(), u"Acercar la imagen de la página activa"_s);
    EXPECT_EQ(frame_.Action(kCmdNextPage)->toolTip(), u"Av. Pág."_s);
    EXPECT_EQ(frame_.windowTitle(), u"Velmora"_s);
}

TEST_F(MainFrame, OpenThroughTheDialogEnablesTheCommandsAndFillsTheLists)
{
    EXPECT_FALSE(frame_.Action(kCmdClose)->isEnabled());
    EXPECT_FALSE(frame_.Action(DocumentKindOf(DocumentKind::MemoriaText).editCommand)->isEnabled());
    EXPECT_FALSE(frame_.PageList()->isEnabled());
    EXPECT_TRUE(frame_.Action(kCmdScrollLineDown)->isEnabled());

    OpenSample();
    ASSERT_TRUE(frame_.Controller().State().formIdentified);
    EXPECT_EQ(stateVerdict_, u"CORRECTA"_s); // the Open ends in the state window
    EXPECT_EQ(frame_.windowTitle(), u"Velmora - EUROS"_s);
    EXPECT_TRUE(frame_.Action(kCmdClose)->isEnabled());
    EXPECT_TRUE(
        frame_.Action(DocumentKindOf(DocumentKind::AnnouncementsImages).editCommand)->isEnabled());
    EXPECT_FALSE(frame_.Action(kCmdPreviousPage)->isEnabled());
    const int pages = frame_.Controller().Viewer().GetPageCount();
    EXPECT_EQ(frame_.PageList()->count(), pages);
    EXPECT_EQ(frame_.PageList()->currentText(), u"1"_s);
    EXPECT_EQ(frame_.TextSizeList()->currentText(),
              QString::number(frame_.Controller().Frame().textSize));

    // Page Down moves the control, the list follows, the commands too.
    frame_.Action(kCmdNextPage)->trigger();
    EXPECT_EQ(frame_.PageList()->currentText(), u"2"_s);
    EXPECT_TRUE(frame_.Action(kCmdPreviousPage)->isEnabled());
    frame_.Action(kCmdZoomWindow)->trigger();
    EXPECT_TRUE(frame_.Action(kCmdZoomWindow)->isChecked());
    // The mark is read from the control at every update, not kept by the frame.
    frame_.Controller().Viewer().SetZoomWindowMode(false);
    frame_.UpdateActions();
    EXPECT_FALSE(frame_.Action(kCmdZoomWindow)->isChecked());

    // F10: the page list takes the focus and drops down.
    frame_.Action(kCmdPageListFocus)->trigger();
    EXPECT_TRUE(frame_.PageList()->view()->isVisible());
    frame_.PageList()->hidePopup();

    frame_.Action(kCmdClose)->trigger();
    EXPECT_FALSE(frame_.Controller().State().formIdentified);
    EXPECT_FALSE(frame_.Action(kCmdNextPage)->isEnabled());
    EXPECT_EQ(frame_.PageList()->count(), 0);
}

TEST_F(MainFrame, APageChosenInTheListGivesTheKeysBackAndPageDownOnTheLastDoesNothing)
{
    OpenSample();
    ASSERT_TRUE(frame_.Controller().State().formIdentified);
    frame_.activateWindow();
    QApplication::processEvents();
    CTessOCX &viewer = frame_.Controller().Viewer();
    frame_.Action(kCmdZoomIn)->trigger();
    frame_.Action(kCmdZoomIn)->trigger();

    // F10, the last page chosen with the keys, Enter.
    frame_.Action(kCmdPageListFocus)->trigger();
    QAbstractItemView *popup = frame_.PageList()->view();
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_End);
    QTest::keyClick(popup, Qt::Key_Return);
    const int pages = viewer.GetPageCount();
    ASSERT_EQ(viewer.GetCurrentPage(), pages);
    EXPECT_EQ(QApplication::focusWidget(), frame_.centralWidget());
    EXPECT_FALSE(frame_.Action(kCmdNextPage)->isEnabled());

    const QPointF where = viewer.ScrollPosition();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_EQ(viewer.ScrollPosition(), where);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(viewer.GetCurrentPage(), pages);
}

TEST_F(MainFrame, StateAndRuleCommandsShowTheirWindowsAndAPrintBringsTheOpenDialogBack)
{
    OpenSample();
    ASSERT_TRUE(frame_.Controller().State().formIdentified);

    // The sample breaks no rule: the rule command says so instead of listing errors.
    QString said;
    WhenShown<QMessageBox>([&said](QMessageBox *box) {
        said = box->windowTitle() + u": "_s + box->text();
        box->accept();
    });
    frame_.Action(kCmdCheckRules)->trigger();
    Settle();
    EXPECT_EQ(said, u"VK7: Reglas de Coherencia Correctas"_s);

    // "Imprimir" prints what the window preselects for a valid deposit on the
    // printer chosen with "Configurar Impesora", a test CUPS queue; a print run
    // that ends well posts the Open command once the window is gone.
    vk7::testing::CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    frame_.SetPrintDialogRunner([&server](QPrinter &printer) {
        printer.setPrinterName(server.Queue());
        return true;
    });
    frame_.Action(kCmdPrintSetup)->trigger();
    WhenShown<CEstadoDlg>([](CEstadoDlg *window) { window->PrintButton()->click(); });
    bool reopened = false;
    WhenShown<COpenDepositDialog>([&reopened](COpenDepositDialog *dialog) {
        reopened = true;
        dialog->reject();
    });
    // An output that stops says so in a box: noted and closed, never waited on.
    QString stopped;
    QTimer guard;
    NoteAndCloseBoxes(guard, &stopped);
    guard.start(50);
    frame_.Action(kCmdDepositState)->trigger();
    ProcessEventsUntil([&reopened] { return reopened; });
    EXPECT_TRUE(stopped.isEmpty()) << stopped.toStdString();
    EXPECT_TRUE(reopened);
    EXPECT_FALSE(frame_.Controller().Frame().printerChosen);

    const QStringList codes{u"DG"_s, u"K7NE"_s, u"M1"_s, u"M2"_s, u"G2"_s, u"AD"_s};
    const QList<vk7::testing::CupsTestServer::Job> jobs = server.WaitForJobs(int(codes.size()));
    ASSERT_EQ(jobs.size(), codes.size());
    for (qsizetype i = 0; i < codes.size(); ++i)
        EXPECT_TRUE(jobs.at(i).name.startsWith(u"VK7_"_s + codes.at(i) + u'_'))
            << jobs.at(i).name.toStdString();
    EXPECT_EQ(vk7::testing::PdfPageCount(jobs.at(0).pdfPath), 1);  // the sheet
    EXPECT_EQ(vk7::testing::PdfPageCount(jobs.at(1).pdfPath), 10); // the form's first block
}

// One printer per deposit, the one chosen: with another queue as the CUPS
// default, every job of two deposits printed one after the other goes to
// the queue chosen with "Configurar Impesora", with the two copies asked.
TEST_F(MainFrame, EveryJobOfEveryDepositGoesToTheChosenPrinterWithItsCopies)
{
    vk7::testing::CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    ASSERT_TRUE(server.AddQueue(u"VK7_OTRA"_s, true, &error)) << error.toStdString();
    frame_.SetPrintDialogRunner([&server](QPrinter &printer) {
        printer.setPrinterName(server.Queue());
        printer.setCopyCount(2);
        return true;
    });
    frame_.Action(kCmdPrintSetup)->trigger();

    QString stopped;
    QTimer guard;
    NoteAndCloseBoxes(guard, &stopped);
    for (int deposit = 0; deposit < 2; ++deposit) {
        OpenSample();
        ASSERT_TRUE(frame_.Controller().State().formIdentified);
        WhenShown<CEstadoDlg>([](CEstadoDlg *window) { window->PrintButton()->click(); });
        bool reopened = false;
        WhenShown<COpenDepositDialog>([&reopened](COpenDepositDialog *dialog) {
            reopened = true;
            dialog->reject();
        });
        guard.start(50);
        frame_.Action(kCmdDepositState)->trigger();
        ProcessEventsUntil([&reopened] { return reopened; });
        guard.stop();
        ASSERT_TRUE(reopened);
        EXPECT_TRUE(stopped.isEmpty()) << stopped.toStdString();
    }

    // Six jobs a deposit: the sheet, the form pages and four documents.
    ASSERT_EQ(server.WaitForJobs(12).size(), 12);
    const auto jobs = server.QueuedJobs();
    ASSERT_EQ(jobs.size(), 12);
    for (const auto &job : jobs) {
        EXPECT_EQ(job.queue, server.Queue()) << job.name.toStdString();
        EXPECT_EQ(job.copies, 2) << job.name.toStdString();
    }
}

TEST_F(MainFrame, LeavingAsksAndNoKeepsTheDepositOpen)
{
    OpenSample();
    ASSERT_TRUE(frame_.Controller().State().formIdentified);
    QString asked;
    WhenShown<QMessageBox>([&asked](QMessageBox *box) {
        asked = box->windowTitle() + u": "_s + box->text();
        box->button(QMessageBox::No)->click();
    });
    // "&Salir" posts the same close request as the window's close box.
    frame_.Action(kCmdExit)->trigger();
    for (int i = 0; i < 20 && asked.isEmpty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(asked, u"VK7: ¿ Está seguro que desea abandonar la aplicación ?"_s);
    EXPECT_TRUE(frame_.isVisible());
    EXPECT_TRUE(frame_.Controller().State().formIdentified);

    WhenShown<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(frame_.close());
    EXPECT_FALSE(frame_.Controller().State().formIdentified);
}

// Answers the next message box whose text starts with `start`.
void AnswerBox(const QString &start, QMessageBox::StandardButton button)
{
    QTimer::singleShot(10, [start, button] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->isVisible() && box->text().startsWith(start))
            box->button(button)->click();
        else
            AnswerBox(start, button);
    });
}

TEST_F(MainFrame, LeavingWhileTheWorkRunsAsksStopsItAndThenCloses)
{
    QTemporaryDir medium;
    ASSERT_TRUE(medium.isValid());
    for (const QFileInfo &file : QDir(kSample).entryInfoList(QDir::Files))
        ASSERT_TRUE(QFile::copy(file.filePath(), medium.filePath(file.fileName())));
    PathResolver::SetDriveRoot(u'A', medium.path());
    WhenShown<COpenDepositDialog>([](COpenDepositDialog *dialog) {
        dialog->LocationEdit()->setText(u"A:\\FICHERO.TXT"_s);
        dialog->FingerprintEdit()->setText(SampleFingerprint());
        dialog->AcceptButton()->click();
    });
    // The copy waits on the diskette prompt: the clerk leaves meanwhile.
    bool closedAtOnce = true;
    WhenShown<QMessageBox>([this, &closedAtOnce](QMessageBox *prompt) {
        AnswerBox(u"¿ Está seguro"_s, QMessageBox::Yes);
        closedAtOnce = frame_.close();
        prompt->button(QMessageBox::Ok)->click();
    });
    frame_.show();
    frame_.Action(kCmdOpen)->trigger();
    ProcessEventsUntil([this] { return !frame_.isVisible(); });
    EXPECT_FALSE(closedAtOnce);
    EXPECT_FALSE(frame_.isVisible());
    EXPECT_FALSE(frame_.Controller().Busy());
    EXPECT_FALSE(frame_.Controller().State().open);
    EXPECT_TRUE(QDir(QDir(driveC_.Path()).filePath(u"TMP_VK7"_s)).entryList(QDir::Files).isEmpty());
}

TEST_F(MainFrame, PrinterSetUpCancelledKeepsTheDefaultAndConfirmedChoosesIt)
{
    QPrinter *const defaultPrinter = frame_.CurrentPrinter();
    QPrinter *shownOn = nullptr;
    frame_.SetPrintDialogRunner([&shownOn](QPrinter &printer) {
        shownOn = &printer;
        return false;
    });
    frame_.Action(kCmdPrintSetup)->trigger();
    ASSERT_NE(shownOn, nullptr);
    EXPECT_NE(shownOn, defaultPrinter);
    EXPECT_EQ(frame_.CurrentPrinter(), defaultPrinter);
    EXPECT_FALSE(frame_.Controller().Frame().printerChosen);

    frame_.SetPrintDialogRunner([](QPrinter &) { return true; });
    frame_.Action(kCmdPrintSetup)->trigger();
    EXPECT_EQ(frame_.CurrentPrinter(), shownOn);
    EXPECT_TRUE(frame_.Controller().Frame().printerChosen);
}

TEST_F(MainFrame, EditMenuEntriesOpenTheirDocumentOfTheOpenDeposit)
{
    OpenSample();
    ASSERT_TRUE(frame_.Controller().State().formIdentified);
    QStringList shown;
    for (const EditCommand &command : EditCommands()) {
        WhenShown<QDialog>([&shown](QDialog *dialog) {
            // The image list's size, or the text's page position.
            const auto *list = dialog->findChild<QAbstractItemView *>();
            const auto *page = dialog->findChild<QLabel *>(u"pagePosition"_s);
            shown << dialog->windowTitle() + u": "_s +
                         (list ? QString::number(list->model()->rowCount()) : page->text());
            dialog->reject();
        });
        frame_.Action(command.id)->trigger();
    }
    const QString images = u"Tratamiento de Imágenes de"_s;
    EXPECT_EQ(shown.join(u'\n').toStdString(),
              (QStringList{
                   images + u" la Memoria del Depósito Digital: 2"_s,
                   images + u"l Informe de Gestión del Depósito Digital: 0"_s,
                   images + u"l Informe de Auditoria del Depósito Digital: 1"_s,
                   images + u" Anuncios de Convocatoria del Depósito Digital: 0"_s,
                   u"Memoria del Depósito Digital: 1 / 3"_s,
                   u"Informe de Gestión del Depósito Digital: 1 / 2"_s,
                   u"Acciones Propias del Depósito Digital: 1 / 1"_s,
                   u"Informe Medioambiental del Depósito Digital: 1 / 1"_s,
                   u"Informe SIMCAV del Depósito Digital: 1 / 1"_s,
                   u"Certificado de Aprobación de Cuentas del Depósito Digital: 1 / 1"_s,
               })
                  .join(u'\n')
                  .toStdString());
}

TEST_F(MainFrame, EveryControlOfEveryWindowHasANameAScreenReaderReads)
{
    QMap<QString, QStringList> unnamed; // per window, empty when all are named
    auto note = [&unnamed](const QString &window, QWidget *widget) {
        unnamed[window] = UnnamedControls(widget);
    };
    WhenShown<COpenDepositDialog>([&note](COpenDepositDialog *dialog) {
        note(u"Abrir"_s, dialog);
        dialog->LocationEdit()->setText(kSample + u"/FICHERO.TXT"_s);
        dialog->FingerprintEdit()->setText(SampleFingerprint());
        dialog->AcceptButton()->click();
    });
    WhenShown<CEstadoDlg>([&note](CEstadoDlg *window) {
        note(u"Estado"_s, window);
        window->LeaveButton()->click();
    });
    frame_.Action(kCmdOpen)->trigger();
    Settle();
    ASSERT_TRUE(frame_.Controller().State().formIdentified);
    note(u"Principal"_s, &frame_);
    // The toolbar's lists are named by what they are, with the value they
    // show (a reader says no value of a focused list).
    EXPECT_EQ(QAccessible::queryAccessibleInterface(frame_.PageList())->text(QAccessible::Name),
              u"Página: 1"_s);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(frame_.TextSizeList())->text(QAccessible::Name),
              u"Tamaño del texto: "_s + frame_.TextSizeList()->currentText());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(frame_.PageList())->text(QAccessible::Value),
              u"1"_s);
    // A button showing only an icon is named by its tooltip.
    QWidget *next = frame_.findChild<QToolBar *>()->widgetForAction(frame_.Action(kCmdNextPage));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(next)->text(QAccessible::Name), u"Av. Pág."_s);

    // The sample breaks no rule: the list is shown here with errors of its own.
    ErrorListContent errors;
    errors.primaryTexts = QStringList{u"Error primario"_s};
    errors.primaryNumbers = QStringList{u"1"_s};
    errors.primaryReferences = QStringList{u"R1"_s};
    CListaErroresDlg errorList(errors, nullptr, &frame_);
    errorList.show();
    note(u"Lista de Errores"_s, &errorList);
    errorList.reject();

    for (int id : {DocumentKindOf(DocumentKind::MemoriaImages).editCommand,
                   DocumentKindOf(DocumentKind::MemoriaText).editCommand}) {
        WhenShown<QDialog>([&note](QDialog *dialog) {
            note(dialog->windowTitle(), dialog);
            dialog->reject();
        });
        frame_.Action(id)->trigger();
    }
    WhenShown<QDialog>([&note](QDialog *box) {
        note(u"Acerca de"_s, box);
        box->reject();
    });
    frame_.Action(kCmdAbout)->trigger();

    // Qt's print dialog on the printers of a test CUPS server.
    vk7::testing::CupsTestServer server;
    QString error;
    ASSERT_TRUE(server.Start(&error)) << error.toStdString();
    WhenShown<QDialog>([&note](QDialog *dialog) {
        note(u"Configurar Impresora"_s, dialog);
        dialog->reject();
    });
    frame_.Action(kCmdPrintSetup)->trigger();

    // The leave question is read with its text, not only its title, and
    // once: the text is a label of the box, not also its description.
    QString read;
    WhenShown<QMessageBox>([&note, &read](QMessageBox *box) {
        note(u"Salir"_s, box);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(box);
        read = face->text(QAccessible::Name) + u" | "_s + face->text(QAccessible::Description);
        for (int i = 0; i < face->childCount(); ++i) {
            if (face->child(i)->role() == QAccessible::StaticText)
                read += u" | "_s + face->child(i)->text(QAccessible::Name);
        }
        box->button(QMessageBox::No)->click();
    });
    frame_.Action(kCmdExit)->trigger();
    ProcessEventsUntil([&read] { return !read.isEmpty(); });
    EXPECT_EQ(read, u"VK7 |  | ¿ Está seguro que desea abandonar la aplicación ?"_s);

    QStringList report;
    for (auto it = unnamed.cbegin(); it != unnamed.cend(); ++it)
        if (!it.value().isEmpty())
            report << it.key() + u" ("_s + QString::number(it.value().size()) + u"): "_s +
                          it.value().join(u", "_s);
    EXPECT_EQ(unnamed.size(), 9) << QStringList(unnamed.keys()).join(u", "_s).toStdString();
    EXPECT_TRUE(report.isEmpty()) << report.join(u'\n').toStdString();
}

TEST(QtWindows, SpeakSpanishWriteCtrlAndFitTheirColumns)
{
    // The menus write the keys as the command table does.
    EXPECT_EQ(QKeySequence(u"Ctrl+A"_s).toString(QKeySequence::NativeText), u"Ctrl+A"_s);
    // Texts Qt's own catalogue leaves in English.
    EXPECT_EQ(QCoreApplication::translate("QPrintSettingsOutput", "Pages"), u"Páginas"_s);
    EXPECT_EQ(QCoreApplication::translate("QPrintSettingsOutput", "Page Set:"),
              u"Páginas a imprimir:"_s);

    QTemporaryDir medium;
    ASSERT_TRUE(medium.isValid());
    ASSERT_TRUE(QDir(medium.path()).mkdir(u"CARPETA"_s));
    PathResolver::ClearDriveRoots();
    PathResolver::SetDriveRoot(u'A', medium.path());
    std::unique_ptr<QFileDialog> dialog(COpenDepositDialog::CreateBrowseDialog(nullptr));
    PathResolver::ClearDriveRoots();
    dialog->show();
    auto *view = dialog->findChild<QTreeView *>(u"treeView"_s);
    ASSERT_TRUE(view);
    QModelIndex folder;
    for (int i = 0; i < 250 && !folder.isValid(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QModelIndex root = view->rootIndex();
        if (view->model()->rowCount(root) > 0)
            folder = view->model()->index(0, 0, root);
    }
    ASSERT_TRUE(folder.isValid());
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(folder.siblingAtColumn(2).data().toString(), u"Carpeta"_s);
    const QDateTime modified = QFileInfo(medium.filePath(u"CARPETA"_s)).lastModified();
    EXPECT_EQ(folder.siblingAtColumn(3).data().toString(),
              QLocale(QLocale::Spanish, QLocale::Spain).toString(modified, QLocale::ShortFormat));
    QHeaderView *header = view->header();
    for (int column = 0; column < header->count(); ++column) {
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
        const QString text = folder.siblingAtColumn(column).data().toString();
        EXPECT_GT(header->sectionSize(column), view->fontMetrics().horizontalAdvance(text))
            << column;
    }
}

} // namespace

int main(int argc, char **argv)
{
    // As the program starts: Qt's windows in Spanish whatever the machine's locale.
    vk7::UseSpanishSystemLocale();
    QApplication app(argc, argv);
    vk7::InstallSpanishTranslations(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
