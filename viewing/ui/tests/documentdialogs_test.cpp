#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "components/cupsprintdevice.h"
#include "datafiles/depositstate.h"
#include "reception/paths.h"
#include "reception/userinterface.h"
#include "testing/cupsserver.h"
#include "testing/guiapplication.h"
#include "testing/scriptedinterface.h"
#include "viewing/ui/imagesetdialog.h"
#include "viewing/ui/textpagedialog.h"
#include "viewing/ui/textpageedit.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

class WidgetEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "documentdialogs_test";
        static char *argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
    }
    void TearDown() override { delete app; }

private:
    QApplication *app = nullptr;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new WidgetEnvironment);

class DocumentDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC.isValid());
        PathResolver::SetDriveRoot(u'C', driveC.path());
        QDir(driveC.path()).mkpath(u"TMP_VK7"_s);
        for (const QString &name : {u"MEMORIA.M01"_s, u"MEMORIA.M02"_s})
            QFile::copy(QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit/") + name,
                        driveC.path() + u"/TMP_VK7/"_s + name);
        state.Images(DocumentKind::MemoriaImages) = {u"MEMORIA.M01"_s, QString(), u"MEMORIA.G03"_s,
                                                     u"MEMORIA.M02"_s};
    }
    void TearDown() override { PathResolver::ClearDriveRoots(); }

    QTemporaryDir driveC;
    DepositState state;
    vk7::testing::ScriptedUserInterface ui;
};

template <typename T> T *Child(QWidget &dialog, const char *name)
{
    T *child = dialog.findChild<T *>(QString::fromLatin1(name));
    EXPECT_TRUE(child) << name;
    return child;
}

// One CUPS server for the whole program: the CUPS client library keeps to
// the first server it was pointed at.
vk7::testing::CupsTestServer &Server()
{
    static vk7::testing::CupsTestServer server;
    static QString error;
    static const bool started = server.Start(&error);
    EXPECT_TRUE(started) << error.toStdString();
    return server;
}

// Prints from a dialog on the test server's queue instead of asking for a
// printer; the job it printed comes back.
template <typename Dialog> vk7::testing::CupsTestServer::Job PrintOnTestQueue(Dialog &dialog)
{
    const qsizetype before = Server().WaitForJobs(0, 0).size();
    dialog.SetPrinterChoice(
        [queue = Server().Queue()](QWidget *) { return std::make_unique<CupsPrintDevice>(queue); });
    Child<QPushButton>(dialog, "printButton")->click();
    // The print runs off the window's thread; the dialog is back once it has ended.
    EXPECT_TRUE(vk7::testing::WaitUntil([&] { return !dialog.Printing(); }));
    return Server().WaitForJobs(int(before) + 1).value(before);
}

int DarkPixels(const QImage &image)
{
    int dark = 0;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            dark += grey.pixelColor(x, y).value() < 100;
    return dark;
}

} // namespace

TEST_F(DocumentDialogsTest, ImageSetDialogEnablesShowsPrintsAndCleansUp)
{
    ImageSetDialog dialog(state, DocumentKind::MemoriaImages, ui);
    dialog.resize(800, 600);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(),
              u"Tratamiento de Imágenes de la Memoria del Depósito Digital"_s);
    auto *list = Child<QListWidget>(dialog, "imageList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), u"MEMORIA.M02"_s);
    for (const char *off : {"newImageName", "scanButton", "deleteButton"})
        EXPECT_FALSE(Child<QWidget>(dialog, off)->isEnabled()) << off;
    for (const char *on : {"startButton", "viewButton", "printButton", "exitButton"})
        EXPECT_TRUE(Child<QWidget>(dialog, on)->isEnabled()) << on;

    auto *status = Child<QLabel>(dialog, "statusLine");
    Child<QPushButton>(dialog, "printButton")->click();
    EXPECT_EQ(status->text(), u"Seleccionar la imagen a imprimir"_s);

    // The page shown stays in the picture area through repaints and resizes.
    auto *picture = Child<PictureArea>(dialog, "pictureArea");
    list->setCurrentRow(1);
    Child<QPushButton>(dialog, "viewButton")->click();
    EXPECT_TRUE(status->text().isEmpty());
    const int firstPaint = DarkPixels(picture->grab().toImage());
    EXPECT_GT(firstPaint, 500);
    dialog.resize(1000, 800);
    QApplication::processEvents();
    EXPECT_GT(DarkPixels(picture->grab().toImage()), firstPaint);

    const auto job = PrintOnTestQueue(dialog);
    EXPECT_EQ(job.name, u"K7_C:\\TMP_VK7\\MEMORIA.M02"_s);
    EXPECT_EQ(vk7::testing::PdfPageCount(job.pdfPath), 1);

    Child<QPushButton>(dialog, "startButton")->click();
    EXPECT_EQ(ui.opened, QStringList{driveC.path() + u"/TMP/MEMTMP01.TIF"_s});
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(QFileInfo::exists(ui.opened.first()));

    ImageSetDialog empty(state, DocumentKind::ManagementReportImages, ui);
    for (const char *off : {"startButton", "viewButton", "printButton"})
        EXPECT_FALSE(Child<QWidget>(empty, off)->isEnabled()) << off;
}

TEST_F(DocumentDialogsTest, AnImageThatCannotBeLoadedClearsThePicture)
{
    QFile broken(driveC.path() + u"/TMP_VK7/MEMORIA.M01"_s);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("II*\0 no es una imagen");
    broken.close();
    ImageSetDialog dialog(state, DocumentKind::MemoriaImages, ui);
    dialog.show();
    auto *list = Child<QListWidget>(dialog, "imageList");
    auto *picture = Child<PictureArea>(dialog, "pictureArea");
    list->setCurrentRow(1);
    Child<QPushButton>(dialog, "viewButton")->click();
    ASSERT_FALSE(picture->Page().isNull());
    list->setCurrentRow(0);
    Child<QPushButton>(dialog, "viewButton")->click();
    EXPECT_TRUE(picture->Page().isNull());
    EXPECT_EQ(DarkPixels(picture->grab(picture->contentsRect()).toImage()), 0);
}

TEST_F(DocumentDialogsTest, TextPageIgnoresTypingAndCountsDisplayedLines)
{
    state.Pages(DocumentKind::ManagementReportText) = {u"Primera linea\r\n"_s + QString(400, u'x') +
                                                           u"\r\nUltima"_s,
                                                       u"Segunda pagina"_s, u"Tercera"_s};
    TextPageDialog dialog(state, DocumentKind::ManagementReportText, ui);
    dialog.resize(700, 500);
    dialog.show();
    auto *edit = Child<TextPageEdit>(dialog, "pageEdit");
    auto *lines = Child<QLabel>(dialog, "linePosition");
    EXPECT_EQ(Child<QLabel>(dialog, "pagePosition")->text(), u"1 / 3"_s);
    EXPECT_FALSE(Child<QWidget>(dialog, "previousButton")->isEnabled());
    EXPECT_TRUE(Child<QWidget>(dialog, "nextButton")->isEnabled());
    for (const char *off : {"saveButton", "newButton", "deleteButton", "splitButton"})
        EXPECT_FALSE(Child<QWidget>(dialog, off)->isEnabled()) << off;
    for (const char *on : {"printButton", "startButton"})
        EXPECT_TRUE(Child<QWidget>(dialog, on)->isEnabled()) << on;
    // A text the deposit does not have: one empty page, nothing to print or open.
    {
        TextPageDialog empty(state, DocumentKind::OwnSharesText, ui);
        empty.show();
        EXPECT_EQ(Child<QLabel>(empty, "pagePosition")->text(), u"1 / 1"_s);
        for (const char *off : {"printButton", "startButton"})
            EXPECT_FALSE(Child<QWidget>(empty, off)->isEnabled()) << off;
    }

    // The 400 characters wrap into several displayed lines.
    const int count = edit->DisplayedLineCount();
    EXPECT_GT(count, 4);
    EXPECT_EQ(lines->text(), u"1 / %1"_s.arg(count));

    const QString before = edit->toPlainText();
    QTest::keyClicks(edit, u"abc"_s);
    for (int key : {int(Qt::Key_Backspace), int(Qt::Key_Return), int(Qt::Key_Tab)})
        QTest::keyClick(edit, Qt::Key(key));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->toPlainText(), before);

    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(lines->text(), u"3 / %1"_s.arg(count));
    QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(lines->text(), u"%1 / %1"_s.arg(count));
    // Escape is the dialog's Cancel, even from the page.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(DocumentDialogsTest, PageMovesKeepEditsInTheWorkingCopyOnly)
{
    state.Pages(DocumentKind::MemoriaText) = {u"Uno\r\ndos"_s, u"Tres\r\n"_s};
    const QStringList deposit = state.Pages(DocumentKind::MemoriaText).ToList();
    TextPageDialog dialog(state, DocumentKind::MemoriaText, ui);
    dialog.show();
    auto *edit = Child<TextPageEdit>(dialog, "pageEdit");

    // Delete acts; Shift+Insert pastes up to the page's limit.
    QTest::keyClick(edit, Qt::Key_Delete);
    QApplication::clipboard()->setText(u"Y\r\n"_s);
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    Child<QPushButton>(dialog, "nextButton")->click();
    EXPECT_EQ(edit->toPlainText(), u"Tres\n"_s);
    Child<QPushButton>(dialog, "previousButton")->click();
    EXPECT_EQ(edit->toPlainText(), u"Y\nno\ndos"_s);
    EXPECT_EQ(dialog.Book().Pages().ToList(), (QStringList{u"Y\r\nno\r\ndos"_s, u"Tres\r\n"_s}));
    EXPECT_EQ(state.Pages(DocumentKind::MemoriaText).ToList(), deposit);

    // Printing takes the working copy: a page image each, in one job.
    const auto job = PrintOnTestQueue(dialog);
    EXPECT_TRUE(QRegularExpression(u"^K7_\\d+$"_s).match(job.name).hasMatch())
        << job.name.toStdString();
    EXPECT_EQ(vk7::testing::PdfPageCount(job.pdfPath), 2);

    QApplication::clipboard()->setText(QString(40000, u'z'));
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(EditCharacterCount(edit->toPlainText()), kTextPageCharacterLimit);
    EXPECT_EQ(ui.messages,
              QStringList{u"AVISO: No se pueden insertar más caracteres en esta página"_s});
}

TEST_F(DocumentDialogsTest, APageBeyondTheLimitOpensWholeAndTakesNoPaste)
{
    state.Pages(DocumentKind::ApprovalCertificateText) = {QString(35000, u'c'), u"Fin"_s};
    TextPageDialog dialog(state, DocumentKind::ApprovalCertificateText, ui);
    dialog.show();
    auto *edit = Child<TextPageEdit>(dialog, "pageEdit");
    EXPECT_EQ(edit->toPlainText().size(), 35000);

    QApplication::clipboard()->setText(u"x"_s);
    QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    Child<QPushButton>(dialog, "nextButton")->click();
    Child<QPushButton>(dialog, "previousButton")->click();
    EXPECT_EQ(edit->toPlainText(), state.Pages(DocumentKind::ApprovalCertificateText).first());
    EXPECT_EQ(dialog.Book().Pages().ToList(),
              state.Pages(DocumentKind::ApprovalCertificateText).ToList());
    EXPECT_EQ(ui.messages.size(), 1);
}

// A colour scan is shown in its colours, a bilevel page in black and white.
TEST_F(DocumentDialogsTest, PictureAreaPaintsAColourPageInColour)
{
    PictureArea picture;
    picture.resize(300, 420);
    QImage page(600, 840, QImage::Format_RGB32);
    page.fill(QColor(200, 30, 30));
    picture.SetPage(page);
    const QColor shown = picture.grab().toImage().pixelColor(150, 210);
    EXPECT_GT(shown.red(), 150);
    EXPECT_LT(shown.green(), 80);
}

// "&Imprimir" asks for the printer in the printer dialog, which offers no
// page numbers, page set or printing to a file, and the job goes to the
// printer chosen there with the copies asked.
TEST_F(DocumentDialogsTest, PrintAsksForThePrinterAndKeepsItsCopies)
{
    QString error;
    static const bool added = Server().AddQueue(u"VK7_ELEGIDA"_s, false, &error);
    ASSERT_TRUE(added) << error.toStdString();
    state.Pages(DocumentKind::MemoriaText) = {u"Uno"_s};
    TextPageDialog dialog(state, DocumentKind::MemoriaText, ui);
    dialog.show();

    QStringList printers;
    QStringList shown;
    std::function<void()> choose = [&] {
        auto *print = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        if (!print || !print->isVisible()) {
            QTimer::singleShot(10, choose);
            return;
        }
        auto *list = print->findChild<QComboBox *>(u"printers"_s);
        for (int i = 0; list && i < list->count(); ++i)
            printers.append(list->itemText(i));
        if (list)
            list->setCurrentIndex(list->findText(u"VK7_ELEGIDA"_s, Qt::MatchStartsWith));
        QApplication::processEvents();
        for (const char *name : {"gbPrintRange", "pageSetCombo", "filename"}) {
            auto *widget = print->findChild<QWidget *>(QLatin1StringView(name));
            if (widget && widget->isVisible())
                shown.append(QLatin1StringView(name));
        }
        if (auto *copies = print->findChild<QSpinBox *>(u"copies"_s))
            copies->setValue(2);
        print->accept();
    };
    QTimer::singleShot(10, choose);
    const qsizetype before = Server().WaitForJobs(0, 0).size();
    Child<QPushButton>(dialog, "printButton")->click();
    const auto jobs = Server().WaitForJobs(int(before) + 1);
    ASSERT_EQ(jobs.size(), before + 1);

    EXPECT_TRUE(printers.contains(u"VK7_ELEGIDA"_s)) << printers.join(u", "_s).toStdString();
    EXPECT_EQ(printers.filter(u"PDF"_s), QStringList()) << "printing to a file is offered";
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u", "_s).toStdString();
    const auto queued = Server().QueuedJobs();
    ASSERT_FALSE(queued.isEmpty());
    EXPECT_EQ(queued.last().queue, u"VK7_ELEGIDA"_s);
    EXPECT_EQ(queued.last().copies, 2);
}

// Given the session's printer, the dialog starts from it and its settings,
// and leaves it as it was.
TEST_F(DocumentDialogsTest, PrintStartsFromTheSessionsPrinter)
{
    QString error;
    static const bool added = Server().AddQueue(u"VK7_SESION"_s, false, &error);
    ASSERT_TRUE(added) << error.toStdString();
    QPrinter session(QPrinter::HighResolution);
    session.setPrinterName(u"VK7_SESION"_s);
    session.setCopyCount(3);
    state.Pages(DocumentKind::MemoriaText) = {u"Uno"_s};
    TextPageDialog dialog(state, DocumentKind::MemoriaText, ui);
    dialog.SetPrinterChoice(
        [&session](QWidget *parent) { return ChoosePrinterInDialog(parent, &session); });
    dialog.show();

    QString offered;
    int offeredCopies = 0;
    std::function<void()> confirm = [&] {
        auto *print = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        if (!print || !print->isVisible()) {
            QTimer::singleShot(10, confirm);
            return;
        }
        if (auto *list = print->findChild<QComboBox *>(u"printers"_s))
            offered = list->currentText();
        if (auto *copies = print->findChild<QSpinBox *>(u"copies"_s)) {
            offeredCopies = copies->value();
            copies->setValue(1);
        }
        print->accept();
    };
    QTimer::singleShot(10, confirm);
    const qsizetype before = Server().WaitForJobs(0, 0).size();
    Child<QPushButton>(dialog, "printButton")->click();
    ASSERT_EQ(Server().WaitForJobs(int(before) + 1).size(), before + 1);

    EXPECT_TRUE(offered.startsWith(u"VK7_SESION"_s)) << offered.toStdString();
    EXPECT_EQ(offeredCopies, 3);
    EXPECT_EQ(Server().QueuedJobs().last().queue, u"VK7_SESION"_s);
    EXPECT_EQ(session.copyCount(), 3);
}
