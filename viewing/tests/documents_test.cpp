#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/printdevice.h"
#include "datafiles/depositstate.h"
#include "reception/paths.h"
#include "reception/userinterface.h"
#include "testing/guiapplication.h"
#include "testing/recordingprintdevice.h"
#include "testing/scriptedinterface.h"
#include "viewing/imageset.h"
#include "viewing/textpagebook.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

const auto *const gui = vk7::testing::AddGuiApplicationEnvironment();

class DocumentsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC.isValid());
        PathResolver::SetDriveRoot(u'C', driveC.path());
        QDir(driveC.path()).mkpath(u"TMP_VK7"_s);
    }
    void TearDown() override { PathResolver::ClearDriveRoots(); }

    QString OnC(const QString &relative) const { return driveC.path() + u'/' + relative; }
    // Start &TXT as the window runs it: its notice shown.
    StartTextResult Start(const DocumentKindInfo &kind)
    {
        const StartText started = StartTextFile(state, kind, ui);
        if (started.notice)
            ShowNotice(ui, *started.notice);
        return started.outcome;
    }
    void Write(const QString &relative, const QByteArray &bytes)
    {
        QFile file(OnC(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read(const QString &relative) const
    {
        QFile file(OnC(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void CopySample(const QString &name, const QString &as)
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(VK7_SOURCE_DIR "/examples/sample-deposit/") + name,
                                OnC(u"TMP_VK7/"_s + as)));
    }

    QTemporaryDir driveC;
    DepositState state;
    vk7::testing::ScriptedUserInterface ui;
};

// A TIFF whose header claims a page far too large to decode.
QByteArray OversizedTiff()
{
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    auto put16 = [&](quint16 v) { bytes.append(char(v & 0xff)).append(char(v >> 8)); };
    auto put32 = [&](quint32 v) { put16(v & 0xffff), put16(v >> 16); };
    const quint16 entries[][2] = {{256, 4}, {257, 4}, {258, 3}, {259, 3}, {262, 3},
                                  {273, 4}, {277, 3}, {278, 4}, {279, 4}};
    const quint32 values[] = {200000, 200000, 8, 1, 1, 122, 1, 200000, 16};
    put16(9);
    for (int i = 0; i < 9; ++i) {
        put16(entries[i][0]);
        put16(entries[i][1]);
        put32(1);
        if (entries[i][1] == 3) {
            put16(quint16(values[i]));
            put16(0);
        } else {
            put32(values[i]);
        }
    }
    put32(0);
    bytes.append(16, '\0');
    return bytes;
}

} // namespace

TEST_F(DocumentsTest, ImageSetsListTheirKindOnlyAndNeverTheGaps)
{
    state.Images(DocumentKind::MemoriaImages) = {u"MEMORIA.M01"_s, QString(), u"MEMORIA.G03"_s,
                                                 u"ANEXO.M04"_s};
    state.Images(DocumentKind::AuditorReportImages) = {u"AUDITOR.001"_s, u"XAUDITOR.002"_s,
                                                       QString(), u"AUDITORIA.004"_s};
    EXPECT_EQ(ImageSet(state, DocumentKind::MemoriaImages).Names(),
              (QStringList{u"MEMORIA.M01"_s, u"ANEXO.M04"_s}));
    EXPECT_EQ(ImageSet(state, DocumentKind::AuditorReportImages).Names(),
              (QStringList{u"AUDITOR.001"_s, u"AUDITORIA.004"_s}));
    EXPECT_TRUE(ImageSet(state, DocumentKind::MemoriaImages).DocumentCommandsEnabled());

    const ImageSet empty(state, DocumentKind::AnnouncementsImages);
    EXPECT_TRUE(empty.Names().isEmpty());
    EXPECT_FALSE(empty.DocumentCommandsEnabled());
    EXPECT_EQ(empty.Title(),
              u"Tratamiento de Imágenes de Anuncios de Convocatoria del Depósito Digital"_s);
    EXPECT_EQ(ImageSet(state, DocumentKind::MemoriaImages).TemporaryPath(3),
              u"C:\\TMP\\MEMTMP03.TIF"_s);
    EXPECT_EQ(ImageSet(state, DocumentKind::AuditorReportImages).PrintJobName(0),
              u"K7_C:\\TMP_VK7\\AUDITOR.001"_s);
}

TEST_F(DocumentsTest, ViewRefusesWhatCannotBeShownAndKeepsTheStatusLine)
{
    CopySample(u"MEMORIA.M01"_s, u"MEMORIA.M01"_s);
    Write(u"TMP_VK7/MEMORIA.M02"_s, "not an image at all");
    Write(u"TMP_VK7/MEMORIA.M03"_s, OversizedTiff());
    state.Images(DocumentKind::MemoriaImages) = {u"MEMORIA.M01"_s, u"MEMORIA.M02"_s,
                                                 u"MEMORIA.M03"_s, u"MEMORIA.M04"_s};
    ImageSet set(state, DocumentKind::MemoriaImages);
    QImage page;

    EXPECT_FALSE(set.View(-1, &page));
    EXPECT_EQ(set.Status(), u"Seleccionar la imagen a visualizar"_s);
    for (int row : {1, 2, 3}) {
        EXPECT_FALSE(set.View(row, &page)) << row;
        EXPECT_TRUE(page.isNull());
        EXPECT_EQ(set.Status(), u"Seleccionar la imagen a visualizar"_s);
    }
    EXPECT_TRUE(set.View(0, &page));
    EXPECT_FALSE(page.isNull());
    EXPECT_TRUE(set.Status().isEmpty());

    EXPECT_FALSE(set.CheckPrintSelection(-1));
    EXPECT_EQ(set.Status(), u"Seleccionar la imagen a imprimir"_s);
}

TEST_F(DocumentsTest, TemporaryCopiesAreMadeAndDeletedPerKind)
{
    for (const QString &name : {u"MEMORIA.M01"_s, u"MEMORIA.M02"_s, u"MEMORIA.M03"_s})
        CopySample(u"MEMORIA.M01"_s, name);
    CopySample(u"AUDITOR.001"_s, u"AUDITOR.001"_s);
    state.Images(DocumentKind::MemoriaImages) = {u"MEMORIA.M01"_s, u"MEMORIA.M02"_s,
                                                 u"MEMORIA.M03"_s};
    state.Images(DocumentKind::AuditorReportImages) = {u"AUDITOR.001"_s};

    // "C:\TMP\" is made when missing; an old read-only copy is replaced.
    ImageSet auditor(state, DocumentKind::AuditorReportImages);
    auditor.StartExternal(0, ui);
    ImageSet memoria(state, DocumentKind::MemoriaImages);
    Write(u"TMP/MEMTMP02.TIF"_s, "old");
    QFile::setPermissions(OnC(u"TMP/MEMTMP02.TIF"_s), QFile::ReadOwner);
    memoria.StartExternal(2, ui);
    EXPECT_EQ(ui.opened, (QStringList{OnC(u"TMP/ADTMP00.TIF"_s), OnC(u"TMP/MEMTMP02.TIF"_s)}));
    EXPECT_EQ(Read(u"TMP/MEMTMP02.TIF"_s), Read(u"TMP_VK7/MEMORIA.M03"_s));
    EXPECT_TRUE(memoria.Status().isEmpty());

    Write(u"TMP/MEMTMP00.TIF"_s, "from an earlier run");
    Write(u"TMP/MEMTMP03.TIF"_s, "beyond the list");
    memoria.DeleteTemporaryCopies();
    EXPECT_FALSE(QFileInfo::exists(OnC(u"TMP/MEMTMP00.TIF"_s)));
    EXPECT_FALSE(QFileInfo::exists(OnC(u"TMP/MEMTMP02.TIF"_s)));
    EXPECT_TRUE(QFileInfo::exists(OnC(u"TMP/MEMTMP03.TIF"_s)));
    EXPECT_TRUE(QFileInfo::exists(OnC(u"TMP/ADTMP00.TIF"_s)));

    // A viewer that cannot be started adds the error to the status line.
    ui.openSucceeds = false;
    memoria.StartExternal(1, ui);
    memoria.StartExternal(1, ui);
    EXPECT_EQ(memoria.Status(),
              u"ERROR (WinExec) al ejecutar STARTERROR (WinExec) al ejecutar START"_s);
}

TEST_F(DocumentsTest, TextBookMovesWithinItsPagesAndStartsOnAnEmptyPage)
{
    TextPageBook none({});
    EXPECT_EQ(none.PagePosition(), u"1 / 1"_s);
    EXPECT_FALSE(none.CanGoBack());
    EXPECT_FALSE(none.CanGoForward());

    TextPageBook book({u"uno"_s, u"dos"_s, u"tres"_s});
    EXPECT_EQ(book.CurrentText(), u"uno"_s);
    EXPECT_FALSE(book.Backward());
    EXPECT_TRUE(book.CanGoForward());
    book.ReplaceCurrent(u"uno cambiado"_s);
    EXPECT_TRUE(book.Forward());
    EXPECT_TRUE(book.Forward());
    EXPECT_FALSE(book.Forward());
    EXPECT_EQ(book.PagePosition(), u"3 / 3"_s);
    EXPECT_FALSE(book.CanGoForward());
    EXPECT_TRUE(book.CanGoBack());
    EXPECT_EQ(book.Pages().first(), u"uno cambiado"_s);

    EXPECT_EQ(PageFromEditText(u"a\nb"_s), u"a\r\nb"_s);
    EXPECT_EQ(EditCharacterCount(u"a\nb"_s), 4);
}

TEST_F(DocumentsTest, TextPrintPrintsEveryRenderedPageInOneJobAndCleansUp)
{
    QStringList pages;
    for (int i = 1; i <= 101; ++i)
        pages << u"Pagina %1"_s.arg(i);
    QDir(driveC.path()).mkpath(u"TMP"_s);
    Write(u"TMP/K7.X01"_s, "an older print's page"); // cleared as well
    RecordingPrintDevice printer;
    const PrintRun run = PrintTextPages(*TextKindOf(DocumentKind::EnvironmentalReportText), pages,
                                        printer, 123456, &ui);
    EXPECT_EQ(run.pages, 101);
    EXPECT_TRUE(run.sent);
    EXPECT_FALSE(run.failure.Failed());
    ASSERT_FALSE(ui.progress.isEmpty());
    EXPECT_EQ(ui.progress.constLast(), qMakePair(qint64(101), qint64(101)));
    ASSERT_EQ(printer.JobNames(), QStringList{u"K7_123456"_s});
    EXPECT_EQ(printer.Jobs().first().pages.size(), 101);
    EXPECT_EQ(printer.Jobs().first().pages.last().path, u"C:\\TMP\\K7.B101"_s);
    EXPECT_TRUE(QDir(OnC(u"TMP"_s)).entryList({u"K7.*"_s}, QDir::Files).isEmpty());
}

TEST_F(DocumentsTest, StartTextReplacesAnOldReadOnlyCopyOrOpensNothing)
{
    const DocumentKindInfo &memoria = *TextKindOf(DocumentKind::MemoriaText);
    QDir(driveC.path()).mkpath(u"TMP"_s);
    Write(u"TMP/MEMORIA.TXT"_s, "another company's notes");
    QFile::setPermissions(OnC(u"TMP/MEMORIA.TXT"_s), QFile::ReadOwner);
    Write(u"TMP_VK7/MEMORIA.TXT"_s, "this deposit's notes");

    EXPECT_EQ(Start(memoria), StartTextResult::Opened);
    EXPECT_EQ(Read(u"TMP/MEMORIA.TXT"_s), "this deposit's notes");
    EXPECT_FALSE(QFile::permissions(OnC(u"TMP/MEMORIA.TXT"_s)) & QFile::WriteOwner);
    EXPECT_EQ(ui.opened, QStringList{OnC(u"TMP/MEMORIA.TXT"_s)});
    EXPECT_TRUE(ui.messages.isEmpty());

    // No file of this kind in the deposit: the old copy is not shown.
    ui.opened.clear();
    EXPECT_EQ(Start(*TextKindOf(DocumentKind::ManagementReportText)), StartTextResult::CopyFailed);
    EXPECT_TRUE(ui.opened.isEmpty());
    EXPECT_EQ(ui.messages, QStringList{u"AVISO: ERROR. Copiando fichero (C:\\TMP_VK7\\GESTION.TXT "
                                       u"-> C:\\TMP\\GESTION.TXT)"_s});

    ui.messages.clear();
    ui.openSucceeds = false;
    EXPECT_EQ(Start(memoria), StartTextResult::StartFailed);
    EXPECT_EQ(ui.messages, QStringList{u"AVISO: ERROR (WinExec) al ejecutar START"_s});
}
