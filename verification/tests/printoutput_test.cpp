#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/formdocument.h"
#include "components/imaging.h"
#include "components/printdevice.h"
#include "components/tifffile.h"
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "reception/failure.h"
#include "reception/paths.h"
#include "reception/userinterface.h"
#include "storehelpers.h"
#include "testing/fixedclock.h"
#include "testing/guiapplication.h"
#include "testing/hostfiles.h"
#include "testing/recordingprintdevice.h"
#include "testing/scriptedinterface.h"
#include "verification/clock.h"
#include "verification/formidentification.h"
#include "verification/printoutput.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const auto *const kGui = vk7::testing::AddGuiApplicationEnvironment();

const QString kSoundDeposit =
    QStringLiteral(VK7_SOURCE_DIR) + u"/app/tests/cases/form-k7ne-valid/deposit"_s;

// A scanned page: A4 at 200 dpi, one bit, a black bar whose height tells pages apart.
QImage ScannedPage(int seed)
{
    QImage page(1654, 2339, QImage::Format_Mono);
    page.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    page.fill(0);
    for (int y = 100; y < 100 + 20 * seed; ++y)
        for (int x = 100; x < 1500; ++x)
            page.setPixel(x, y, 1);
    return page;
}

QStringList PagePaths(const RecordingPrintDevice::Job &job)
{
    QStringList paths;
    for (const PageImage &page : job.pages)
        paths.append(QFileInfo(PathResolver::Resolve(page.path)).fileName() + u'#' +
                     QString::number(page.index));
    return paths;
}

TEST(FormPageChoice, BlocksFollowTheFormAndTheTicks)
{
    EXPECT_EQ(FirstFormBlockPages(u"K7NE"_s), 10);
    EXPECT_EQ(FirstFormBlockPages(u"K7AP"_s), 5);
    EXPECT_EQ(FirstFormBlockPages(u"K7AE"_s), 5);
    EXPECT_EQ(FirstFormBlockPages(u"K7ME"_s), 8);
    // An ordinary form of 14 pages: the last two never.
    EXPECT_EQ(ChooseFormPages(14, 10, true, false), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(ChooseFormPages(14, 10, true, true),
              QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(ChooseFormPages(14, 10, false, true), QList<int>({11, 12}));
    EXPECT_TRUE(ChooseFormPages(14, 10, false, false).isEmpty());
    // An abbreviated form of 7 pages with everything wanted: the first block only.
    EXPECT_EQ(ChooseFormPages(7, 5, true, true), QList<int>({1, 2, 3, 4, 5}));
    EXPECT_TRUE(ChooseFormPages(1, 10, true, true).isEmpty());
    // Only the first 98 pages of a form count.
    EXPECT_EQ(ChooseFormPages(120, 10, false, true).last(), 96);
    EXPECT_EQ(PrintJobName(u"DG"_s, QTime(9, 5, 7)), u"VK7_DG_09:05:07"_s);
}

class PrintOutput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC_.IsValid());
        work_ = driveC_.Path() + u"/TMP_VK7/"_s;
        ASSERT_TRUE(QDir().mkpath(work_));
        for (const QString &name : QDir(kSoundDeposit).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(kSoundDeposit + u'/' + name, work_ + name));
        const QString appFolder = QStringLiteral(VK7_BIN_DIR) + u"\\"_s;
        state_.structure = ManifestVerdict::Correct;
        state_.completeness = ManifestVerdict::Correct;
        CFileCopyDialog loader(state_);
        ASSERT_TRUE(IdentifyForm(state_, &form_, appFolder, loader).identified);
        ASSERT_EQ(state_.formName, u"K7NE"_s);
        state_.diagnosticText = {u"HOJA DE DIAGNOSTICO"_s};
    }

    OutputResult Produce(std::initializer_list<PrintableDocument> documents, bool diagnostic = true)
    {
        OutputTicks ticks{};
        ticks[0] = diagnostic;
        for (PrintableDocument document : documents)
            ticks[static_cast<size_t>(document) + 1] = true;
        const OutputResult result =
            ProduceDepositOutput(state_, &form_, formPages_, ticks, printer_, &ui_, clock_);
        // As the window does once the run has returned.
        if (result.notice)
            ShowNotice(ui_, *result.notice);
        return result;
    }
    bool Printed(std::initializer_list<PrintableDocument> documents, bool diagnostic = true)
    {
        return Produce(documents, diagnostic).Printed();
    }
    // The text of the stop, empty when the output did not stop.
    QString Stop(std::initializer_list<PrintableDocument> documents)
    {
        const OutputResult result = Produce(documents);
        return result.Failed() ? result.stopText : QString();
    }

    vk7::testing::TemporaryDriveC driveC_;
    QString work_;
    CFormDocument form_;
    DepositState state_;
    FormPageSettings formPages_;
    RecordingPrintDevice printer_;
    vk7::testing::ScriptedUserInterface ui_;
    FixedClock clock_{QDate(2010, 6, 1), QTime(9, 5, 7)};
};

TEST_F(PrintOutput, TickedOutputGoesOutInItsJobsAndOrder)
{
    // A sheet of 150 lines is three pages, all printed in its one job.
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines.append(u"Error %1"_s.arg(i));
    state_.diagnosticText = {lines.join(u"\r\n"_s)};
    // A text of 100 pages is printed whole.
    QStringList accionesPages;
    for (int i = 0; i < 100; ++i)
        accionesPages.append(u"Página %1"_s.arg(i + 1));
    state_.Pages(DocumentKind::OwnSharesText) = accionesPages;
    // Images: a two-page file, a hole, a file that cannot be loaded, one page.
    {
        TiffFile twoPages;
        ASSERT_TRUE(twoPages.OpenForWriting(work_ + u"MEM1.TIF"_s));
        ASSERT_TRUE(twoPages.WriteBilevelPage(ScannedPage(1), 200));
        ASSERT_TRUE(twoPages.WriteBilevelPage(ScannedPage(2), 200));
    }
    ASSERT_FALSE(SaveImageFile(u"C:\\TMP_VK7\\MEM3.TIF"_s, ScannedPage(3)).Failed());
    QFile broken(work_ + u"BROKEN.TIF"_s);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("II*\0garbage") > 0);
    broken.close();
    state_.Images(DocumentKind::MemoriaImages) = {u"MEM1.TIF"_s, QString(), u"BROKEN.TIF"_s,
                                                  u"MEM3.TIF"_s};
    // Deposit files named like generated pages are neither printed nor in the way.
    for (const QString &name : {u"K7.D09"_s, u"K7.M05"_s, u"K7.099"_s}) {
        QFile stale(work_ + name);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly) && stale.write("x") == 1);
    }
    formPages_.printerChosen = true;

    ASSERT_TRUE(Printed({PrintableDocument::IdentificationBalance, PrintableDocument::Memoria,
                         PrintableDocument::OwnShares, PrintableDocument::EnvironmentalReport}));
    EXPECT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join(u'\n').toStdString();
    EXPECT_EQ(ui_.cursor, (QList<bool>{true, false}));
    EXPECT_TRUE(ui_.statuses.contains(u"Imprimiendo VK7_AC_09:05:07: página 100 de 100"_s));
    EXPECT_EQ(ui_.statuses.last(), QString());
    // Nothing is written outside the work folder.
    EXPECT_EQ(QDir(driveC_.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{u"TMP_VK7"_s});

    // Every job on the one printer: the form's (no own-shares data, so pages
    // 1 to 10 of 14) after the sheet.
    QList<RecordingPrintDevice::Job> jobs = printer_.Jobs();
    ASSERT_EQ(jobs.size(), 5);
    EXPECT_TRUE(jobs.at(1).name.startsWith(u"VK7_K7NE_"_s)) << jobs.at(1).name.toStdString();
    EXPECT_EQ(jobs.at(1).pages.size(), 10);
    EXPECT_EQ(jobs.at(1).pages.first().bitmap, form_.RenderPageImage(0));
    EXPECT_TRUE(jobs.at(1).ended);
    jobs.removeAt(1);
    QStringList names;
    for (const RecordingPrintDevice::Job &job : jobs)
        names.append(job.name);
    ASSERT_EQ(names, (QStringList{u"VK7_DG_09:05:07"_s, u"VK7_M1_09:05:07"_s, u"VK7_M2_09:05:07"_s,
                                  u"VK7_AC_09:05:07"_s}));
    EXPECT_EQ(PagePaths(jobs.at(0)), (QStringList{u"K7.D01#0"_s, u"K7.D02#0"_s, u"K7.D03#0"_s}));
    EXPECT_EQ(PagePaths(jobs.at(1)),
              (QStringList{u"MEM1.TIF#0"_s, u"MEM1.TIF#1"_s, u"MEM3.TIF#0"_s}));
    EXPECT_EQ(jobs.at(1).pages.at(1).bitmap.size(), ScannedPage(2).size());
    EXPECT_EQ(PagePaths(jobs.at(2)), (QStringList{u"K7.M01#0"_s}));
    EXPECT_EQ(jobs.at(3).pages.size(), 100);
    EXPECT_EQ(PagePaths(jobs.at(3)).last(), u"K7.A100#0"_s);
    for (const RecordingPrintDevice::Job &job : jobs)
        EXPECT_TRUE(job.ended) << job.name.toStdString();

    // The flag is cleared, and the next run's form pages go to the same printer.
    EXPECT_FALSE(formPages_.printerChosen);
    EXPECT_TRUE(QFile::exists(work_ + u"K7.014"_s));
    ASSERT_TRUE(Printed({PrintableDocument::IdentificationBalance}, false));
    ASSERT_EQ(printer_.Jobs().size(), 6);
    EXPECT_TRUE(printer_.Jobs().last().name.startsWith(u"VK7_K7NE_"_s));
}

// The progress counts every page that reaches the printer against a total
// known before the first one: long pages laid out over several, a
// two-page image file, a hole and a file that does not load.
TEST_F(PrintOutput, ProgressCountsThePagesSentAgainstTheWholeRun)
{
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines.append(u"Error %1"_s.arg(i));
    state_.diagnosticText = {lines.join(u"\r\n"_s)};
    state_.Pages(DocumentKind::OwnSharesText) = {u"Uno"_s, lines.mid(0, 80).join(u"\r\n"_s)};
    {
        TiffFile twoPages;
        ASSERT_TRUE(twoPages.OpenForWriting(work_ + u"MEM1.TIF"_s));
        ASSERT_TRUE(twoPages.WriteBilevelPage(ScannedPage(1), 200));
        ASSERT_TRUE(twoPages.WriteBilevelPage(ScannedPage(2), 200));
    }
    QFile broken(work_ + u"BROKEN.TIF"_s);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("II*\0garbage") > 0);
    broken.close();
    state_.Images(DocumentKind::MemoriaImages) = {u"MEM1.TIF"_s, QString(), u"BROKEN.TIF"_s};

    ASSERT_TRUE(Printed({PrintableDocument::IdentificationBalance, PrintableDocument::Memoria,
                         PrintableDocument::OwnShares}));
    qint64 sent = 0;
    for (const RecordingPrintDevice::Job &job : printer_.Jobs())
        sent += job.pages.size();
    // 3 sheet pages, 10 form pages, 2 image pages, the deposit's own one-page
    // memoria text and 3 pages of the own-shares text.
    ASSERT_EQ(sent, 19);
    // One bar from the first page made to the last sent: the sheet's three
    // pages rendered and the form's fourteen exported count as much as a
    // page sent, each figure against the same whole.
    const qint64 whole = 3 + 14 + sent;
    // First an empty bar while the run counts.
    ASSERT_EQ(ui_.progress.size(), sent + 3);
    EXPECT_EQ(ui_.progress.first(), (QPair<qint64, qint64>(0, 1)));
    EXPECT_EQ(ui_.progress.at(1), (QPair<qint64, qint64>(3, whole)));
    EXPECT_EQ(ui_.progress.last(), (QPair<qint64, qint64>(whole, whole)));
    for (qsizetype i = 2; i < ui_.progress.size(); ++i) {
        EXPECT_GT(ui_.progress.at(i).first, ui_.progress.at(i - 1).first);
        EXPECT_EQ(ui_.progress.at(i).second, whole);
    }
    // The own-shares text's pages were made one at a time and are gone.
    EXPECT_TRUE(QDir(work_).entryList({u"K7.A*"_s}).isEmpty());
}

// With every box ticked and every document there, the jobs follow the
// document table: the sheet, the form, each document's images before its
// text, and the audit report and the notices last, whatever the boxes'
// order in the window.
TEST_F(PrintOutput, EveryDocumentGoesOutInTheTablesOrder)
{
    state_.diagnosticText = {u"Hoja"_s};
    ASSERT_FALSE(SaveImageFile(u"C:\\TMP_VK7\\PAGE.TIF"_s, ScannedPage(1)).Failed());
    for (const DocumentKindInfo &document : DocumentKinds()) {
        if (document.images)
            state_.Images(document.kind) = {u"PAGE.TIF"_s};
        else if (document.box)
            state_.Pages(document.kind) = {u"texto"_s};
    }
    OutputTicks all;
    all.fill(true);
    ASSERT_TRUE(
        ProduceDepositOutput(state_, &form_, formPages_, all, printer_, &ui_, clock_).Printed());

    QStringList codes;
    for (const RecordingPrintDevice::Job &job : printer_.Jobs()) {
        codes.append(job.name.section(u'_', 1, 1));
        EXPECT_FALSE(job.pages.isEmpty()) << job.name.toStdString();
    }
    EXPECT_EQ(codes, (QStringList{u"DG"_s, u"K7NE"_s, u"M1"_s, u"M2"_s, u"G1"_s, u"G2"_s, u"AC"_s,
                                  u"B"_s, u"S"_s, u"C"_s, u"AD"_s, u"AN"_s}));
}

TEST_F(PrintOutput, StopsOnItsThreeErrorsAndSkipsRefusedDocuments)
{
    // A refused diagnostic job stops everything.
    printer_.SetRefusing(true);
    EXPECT_EQ(Stop({PrintableDocument::IdentificationBalance, PrintableDocument::Memoria}),
              u"ERROR Imprimiendo DIAGNOSTICO"_s);
    EXPECT_EQ(ui_.messages, QStringList{u"VK7: ERROR Imprimiendo DIAGNOSTICO"_s});
    EXPECT_TRUE(printer_.Jobs().isEmpty());

    // Without the diagnostic ticked, a refused document is skipped in silence.
    ui_.messages.clear();
    EXPECT_TRUE(
        Produce({PrintableDocument::IdentificationBalance, PrintableDocument::Memoria}, false)
            .Printed());
    EXPECT_TRUE(ui_.messages.isEmpty());
    EXPECT_TRUE(printer_.Jobs().isEmpty());
    printer_.SetRefusing(false);

    // No form: the diagnostic is printed and the output ends there, with
    // nothing to print rather than a stop.
    state_.formIdentified = false;
    EXPECT_EQ(Produce({PrintableDocument::Memoria}).outcome, OutputResult::Outcome::NoFormToPrint);
    EXPECT_EQ(printer_.JobNames(), QStringList{u"VK7_DG_09:05:07"_s});
    EXPECT_TRUE(ui_.messages.isEmpty());

    // A write the machine refuses (a folder where a form page goes) is named
    // with its cause, in a box titled "ERROR", after the jobs already sent.
    state_.formIdentified = true;
    ui_.messages.clear();
    ASSERT_TRUE(QDir().mkpath(work_ + u"K7.001"_s));
    const OutputResult refused = Produce({PrintableDocument::Memoria});
    ASSERT_TRUE(refused.Failed());
    EXPECT_TRUE(refused.failure.IsIo()) << refused.failure.text.toStdString();
    EXPECT_TRUE(refused.failure.file.endsWith(u"K7.001"_s)) << refused.failure.file.toStdString();
    EXPECT_EQ(refused.sentJobs, QStringList{u"VK7_DG_09:05:07"_s});
    EXPECT_EQ(ui_.messages,
              QStringList{u"ERROR: ERROR Creando TIF's\n"_s + refused.failure.Message() +
                          u"\nTrabajos enviados: VK7_DG_09:05:07"_s});
    ASSERT_TRUE(QDir(work_ + u"K7.001"_s).removeRecursively());

    // The form cannot be exported.
    ui_.messages.clear();
    form_.CloseForm();
    EXPECT_EQ(Stop({PrintableDocument::Memoria}), u"ERROR Creando TIF's"_s);
    // The sheet had gone to the printer, and the box says so; the stopped
    // run left none of its page images.
    EXPECT_EQ(ui_.messages,
              QStringList{u"VK7: ERROR Creando TIF's\nTrabajos enviados: VK7_DG_09:05:07"_s});
    EXPECT_TRUE(QDir(work_).entryList({u"K7.*"_s}).isEmpty());

    // The sheet's first page cannot be written (a folder holds its name):
    // nothing goes out.
    ui_.messages.clear();
    const qsizetype jobs = printer_.Jobs().size();
    ASSERT_TRUE(QDir().mkpath(work_ + u"K7.D01"_s));
    EXPECT_EQ(Stop({}), u"ERROR Creando DIAGNOSTICO"_s);
    ASSERT_EQ(ui_.messages.size(), 1);
    EXPECT_TRUE(ui_.messages.first().startsWith(u"ERROR: ERROR Creando DIAGNOSTICO\nERROR de "_s))
        << ui_.messages.first().toStdString();
    EXPECT_EQ(printer_.Jobs().size(), jobs);
}

} // namespace
