#include <atomic>
#include <csignal>
#include <future>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "app/framecontroller.h"
#include "components/printdevice.h"
#include "components/tessocx.h"
#include "reception/backgroundwork.h"
#include "reception/filetools.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/worklock.h"
#include "testing/fixedclock.h"
#include "testing/guiapplication.h"
#include "testing/hostfiles.h"
#include "testing/recordingprintdevice.h"
#include "testing/scriptedinterface.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const auto *const kGui = vk7::testing::AddGuiApplicationEnvironment();

const QString kSample = vk7::testing::SampleDepositFolder();

// A command goes on after it returns: the one given, and everything it
// went on to do, to its end.
void Settle(const FrameController &controller)
{
    EXPECT_TRUE(vk7::testing::WaitUntil([&] { return !controller.Busy(); }));
}

// The Open dialog as a clerk fills it: entries typed, then "&Aceptar" or "&Salir".
class TypedDialog : public IOpenDialog
{
public:
    explicit TypedDialog(IUserInterface &ui) : ui_(ui) {}
    IUserInterface &Interface() override { return ui_; }
    OpenRequest request;
    bool cancel = false;
    IUserInterface &ui_;
    void Run(OpenDepositLogic &logic, std::function<void(bool)> done) override
    {
        if (cancel) {
            logic.Cancel();
            done(false);
            return;
        }
        logic.location = request.location;
        logic.diskettes = request.diskettes;
        logic.fingerprint = request.fingerprint;
        done(logic.Accept() == OpenDepositLogic::Outcome::Accepted);
    }
};

class RecordingVerdicts : public IVerdictWindows
{
public:
    void ShowDepositState(DepositModel &, const DepositStateReport &report,
                          std::function<void(bool)> done) override
    {
        shownValid.append(report.valid);
        done(printSucceeds);
    }
    void ShowRuleErrors(CFormDocument &form, const QList<ErrorRecord> &records,
                        IUserInterface &ui) override
    {
        shownRuleErrors.append(int(records.size()));
        IVerdictWindows::ShowRuleErrors(form, records, ui);
    }
    QList<bool> shownValid;
    QList<int> shownRuleErrors;
    bool printSucceeds = false;
};

class RecordingDocuments : public IDocumentDialogs
{
public:
    void ShowDocument(const EditCommand &command, qsizetype entries, DepositModel &) override
    {
        kinds.append(command.kind);
        sizes.append(int(entries));
    }
    QList<DocumentKind> kinds;
    QList<int> sizes;
};

class Frame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driveC_.IsValid());
        // A question the script does not answer gets No.
        ui_.unscriptedQuestion = IUserInterface::Answer::No;
        controller_.SetVerdictWindows(&verdicts_);
        controller_.SetDocumentDialogs(&documents_);
        dialog_.request = {kSample + u"/FICHERO.TXT"_s, u"1"_s, vk7::testing::SampleFingerprint()};
    }

    vk7::testing::TemporaryDriveC driveC_;
    vk7::testing::ScriptedUserInterface ui_;
    FixedClock clock_{QDate(2010, 6, 1)};
    FrameController controller_{QStringLiteral(VK7_BIN_DIR) + u"\\"_s, ui_, clock_};
    RecordingVerdicts verdicts_;
    RecordingDocuments documents_;
    TypedDialog dialog_{ui_};
};

TEST(CommandTable, EnablingFollowsTheFormAndThePage)
{
    CommandContext none;
    CommandContext first{true, 1, 3, false};
    CommandContext last{true, 3, 3, true};
    CommandContext single{true, 1, 1, false};
    for (const CommandInfo &command : CommandTable()) {
        const bool always =
            command.rule == EnablingRule::Always || command.rule == EnablingRule::NoRule;
        EXPECT_EQ(IsCommandEnabled(command.rule, none), always) << command.id;
    }
    for (const EditCommand &edit : EditCommands())
        EXPECT_EQ(FindCommand(edit.id)->rule, EnablingRule::FormOpen) << edit.id;
    const EnablingRule previous = FindCommand(kCmdPreviousPage)->rule;
    const EnablingRule next = FindCommand(kCmdNextPage)->rule;
    EXPECT_FALSE(IsCommandEnabled(previous, first));
    EXPECT_TRUE(IsCommandEnabled(next, first));
    EXPECT_TRUE(IsCommandEnabled(previous, last));
    EXPECT_FALSE(IsCommandEnabled(next, last));
    EXPECT_FALSE(IsCommandEnabled(previous, single));
    EXPECT_FALSE(IsCommandEnabled(next, single));
    // The check mark follows the control's mode, and only with a form.
    EXPECT_TRUE(IsCommandChecked(kCmdZoomWindow, last));
    EXPECT_FALSE(IsCommandChecked(kCmdZoomWindow, {false, 0, 0, true}));
}

TEST(CommandTable, MenusAndToolbarNameEveryCommandOnce)
{
    QList<int> placed;
    for (const MenuLayout &menu : MainMenu())
        placed += menu.entries;
    for (const QList<int> &sub : SubMenuEntries())
        placed += sub;
    placed.removeAll(0);
    placed.removeIf([](int id) { return id < 0; });
    for (int id : placed) {
        ASSERT_NE(FindCommand(id), nullptr) << id;
        EXPECT_FALSE(FindCommand(id)->caption.isEmpty()) << id;
        EXPECT_EQ(placed.count(id), 1) << id;
    }
    for (int id : ToolBarLayout())
        EXPECT_TRUE(id == 0 || FindCommand(id)) << id;
    // No two commands share an id (the Edit ones come from the document
    // table) or a key.
    QList<int> ids;
    QList<QKeySequence> keys;
    for (const CommandInfo &command : CommandTable()) {
        EXPECT_FALSE(ids.contains(command.id)) << command.id;
        ids.append(command.id);
        if (!command.shortcut.isEmpty()) {
            EXPECT_FALSE(keys.contains(command.shortcut)) << command.id;
            keys.append(command.shortcut);
        }
    }
    EXPECT_EQ(keys.size(), 12);
}

// The current printer, held at the first page of the output until the clerk
// has pressed keys on the window's thread.
class HoldingPrinter : public RecordingPrintDevice
{
public:
    bool PrintPage(const PageImage &page) override
    {
        if (!reached.exchange(true))
            released.get_future().wait();
        return RecordingPrintDevice::PrintPage(page);
    }
    std::atomic<bool> reached = false;
    std::promise<void> released;
};

// "&Imprimir" in the state window at the end of an Open.
class PrintingVerdicts : public IVerdictWindows
{
public:
    void ShowDepositState(DepositModel &model, const DepositStateReport &report,
                          std::function<void(bool)> done) override
    {
        Q_UNUSED(model);
        ++shown;
        OutputTicks ticks = report.ticks;
        ticks[0] = true;
        if (!controller->ProduceOutput(ticks, *printer, done))
            done(false);
    }
    FrameController *controller = nullptr;
    PrintDevice *printer = nullptr;
    int shown = 0;
};

TEST_F(Frame, WhileTheOutputRunsNothingClosesOrReplacesTheDeposit)
{
    HoldingPrinter printer;
    PrintingVerdicts verdicts;
    verdicts.controller = &controller_;
    verdicts.printer = &printer;
    controller_.SetVerdictWindows(&verdicts);
    int openRequests = 0;
    QObject::connect(&controller_, &FrameController::openRequested, [&] { ++openRequests; });

    controller_.Open(dialog_);
    ASSERT_TRUE(vk7::testing::WaitUntil([&] { return printer.reached.load(); }));
    EXPECT_TRUE(controller_.Busy());
    EXPECT_EQ(FrameController::BusyText(controller_.CurrentTask()),
              u"Imprimiendo el Depósito Digital ..."_s);
    EXPECT_FALSE(controller_.IsEnabled(kCmdOpen));
    // The output works on a copy: the clerk may page and zoom meanwhile,
    // but not change the text size the pages are drawn in.
    EXPECT_TRUE(controller_.IsEnabled(kCmdNextPage) && controller_.IsEnabled(kCmdZoomIn) &&
                controller_.IsEnabled(kCmdPageList));
    EXPECT_FALSE(controller_.IsEnabled(kCmdTextSizeList));
    controller_.Open(dialog_);
    EXPECT_FALSE(controller_.Close());
    controller_.CheckRules();
    printer.released.set_value();
    Settle(controller_);
    // The sample's whole print set, and one state window: the Open asked
    // meanwhile never ran.
    EXPECT_EQ(printer.JobNames().size(), 6) << printer.JobNames().join(u' ').toStdString();
    EXPECT_EQ(verdicts.shown, 1);
    EXPECT_TRUE(controller_.State().formIdentified);
    EXPECT_EQ(openRequests, 1);
    EXPECT_FALSE(controller_.Busy());
    EXPECT_TRUE(controller_.IsEnabled(kCmdOpen));
}

// A printer on which the clerk presses "Cancelar" as the second job's first
// page goes out (the output runs off the window's thread).
class StoppingPrinter : public RecordingPrintDevice
{
public:
    bool PrintPage(const PageImage &page) override
    {
        if (Jobs().size() == 2 && Jobs().last().pages.isEmpty())
            RequestStop();
        return RecordingPrintDevice::PrintPage(page);
    }
};

TEST_F(Frame, AStoppedOutputSendsWholeJobsOnlyAndSaysWhichWereSent)
{
    StoppingPrinter printer;
    PrintingVerdicts verdicts;
    verdicts.controller = &controller_;
    verdicts.printer = &printer;
    controller_.SetVerdictWindows(&verdicts);
    controller_.Open(dialog_);
    Settle(controller_);
    ASSERT_EQ(verdicts.shown, 1);
    // The sheet went whole; the form's job in hand was dropped, none followed.
    ASSERT_EQ(printer.Jobs().size(), 1) << printer.JobNames().join(u' ').toStdString();
    EXPECT_TRUE(printer.Jobs().first().ended);
    EXPECT_EQ(ui_.statuses.last(),
              u"Impresión cancelada. Trabajos enviados: "_s + printer.Jobs().first().name);
    EXPECT_TRUE(ui_.messages.isEmpty()) << ui_.messages.join(u'\n').toStdString();
    EXPECT_FALSE(controller_.Busy());
}

// A printer on which the clerk presses "Cancelar" as page `stopAt` of the run
// goes out.
class StoppingAtPage : public RecordingPrintDevice
{
public:
    explicit StoppingAtPage(int stopAt) : left_(stopAt) {}
    bool PrintPage(const PageImage &page) override
    {
        if (--left_ == 0)
            RequestStop();
        return RecordingPrintDevice::PrintPage(page);
    }

private:
    int left_;
};

// Wherever a print is stopped (in the sheet, the form, the memoria's images
// or the pages of its long text), the deposit's next check gives the verdict
// the first one gave: nothing the print made is left for it to read.
TEST_F(Frame, AStopAnywhereInAPrintLeavesTheNextCheckItsVerdict)
{
    const QTemporaryDir medium;
    ASSERT_TRUE(medium.isValid());
    for (const QString &name : QDir(kSample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, medium.filePath(name)));
    QFile memoria(medium.filePath(u"MEMORIA.TXT"_s));
    ASSERT_TRUE(memoria.open(QIODevice::Append));
    for (int page = 0; page < 40; ++page)
        memoria.write("\f\r\nLas cuentas anuales muestran la imagen fiel de la sociedad.\r\n");
    memoria.close();
    QString fingerprint;
    fingerprint = CFileTools().ComputeDepositFingerprint(medium.path()).Text();
    dialog_.request = {medium.filePath(u"FICHERO.TXT"_s), u"1"_s, fingerprint};
    const QDir work(driveC_.Path() + u"/TMP_VK7"_s);

    for (const int stopAt : {1, 6, 12, 14, 30}) {
        StoppingAtPage printer(stopAt);
        PrintingVerdicts printing;
        printing.controller = &controller_;
        printing.printer = &printer;
        controller_.SetVerdictWindows(&printing);
        controller_.Open(dialog_);
        Settle(controller_);
        ASSERT_EQ(printing.shown, 1);
        ASSERT_TRUE(ui_.statuses.last().startsWith(u"Impresión cancelada"_s)) << stopAt;
        EXPECT_TRUE(work.entryList({u"K7.*"_s, u"MD5.TXT"_s}).isEmpty())
            << stopAt << ": " << work.entryList({u"K7.*"_s}).join(u' ').toStdString();

        controller_.SetVerdictWindows(&verdicts_);
        verdicts_.shownValid.clear();
        controller_.ShowDepositState();
        Settle(controller_);
        EXPECT_EQ(verdicts_.shownValid, QList<bool>{true}) << stopAt;
    }
}

// The rules read the date: that is where the clerk's "Cancelar" meets them.
class StoppingClock : public FixedClock
{
public:
    using FixedClock::FixedClock;
    QDate Today() const override
    {
        if (stop) {
            readOffThread = QThread::currentThread() != QCoreApplication::instance()->thread();
            RequestStop();
        }
        // Held, the rules wait here while the clerk goes on with the window.
        if (hold && !held.exchange(true))
            released.get_future().wait();
        return FixedClock::Today();
    }
    bool stop = false;
    bool hold = false;
    mutable bool readOffThread = false;
    mutable std::atomic<bool> held = false;
    mutable std::promise<void> released;
};

TEST(FrameRuleCheck, RunsOffTheWindowsThreadAndAStopDropsTheCheckAlone)
{
    vk7::testing::TemporaryDriveC driveC;
    ASSERT_TRUE(driveC.IsValid());
    vk7::testing::ScriptedUserInterface ui;
    ui.unscriptedQuestion = IUserInterface::Answer::No;
    StoppingClock clock{QDate(2010, 6, 1)};
    FrameController controller(QStringLiteral(VK7_BIN_DIR) + u"\\"_s, ui, clock);
    RecordingVerdicts verdicts;
    controller.SetVerdictWindows(&verdicts);
    controller.Open(
        OpenRequest{kSample + u"/FICHERO.TXT"_s, u"1"_s, vk7::testing::SampleFingerprint()});
    Settle(controller);
    ASSERT_TRUE(controller.State().formIdentified);

    clock.stop = true;
    controller.CheckRules();
    Settle(controller);
    EXPECT_TRUE(clock.readOffThread);
    EXPECT_EQ(ui.statuses.last(), u"Comprobación cancelada"_s);
    EXPECT_TRUE(verdicts.shownRuleErrors.isEmpty());
    EXPECT_FALSE(controller.Form().RuleCheckMode());
    EXPECT_TRUE(controller.State().formIdentified);
    EXPECT_TRUE(controller.IsEnabled(kCmdCheckRules));

    // While the rules run, the window still shows the form as it was and
    // may read it (painting, the keyboard's fields): the rules work on a copy.
    clock.stop = false;
    clock.hold = true;
    controller.CheckRules();
    ASSERT_TRUE(vk7::testing::WaitUntil([&] { return clock.held.load(); }));
    EXPECT_TRUE(controller.Busy());
    EXPECT_GT(controller.Viewer().GetPageCount(), 1);
    EXPECT_FALSE(controller.Form().RuleCheckMode());
    QImage shown(400, 300, QImage::Format_RGB32);
    shown.fill(Qt::white);
    QPainter painter(&shown);
    controller.Viewer().PaintView(painter);
    painter.end();
    EXPECT_NE(shown, [] {
        QImage blank(400, 300, QImage::Format_RGB32);
        blank.fill(Qt::white);
        return blank;
    }());
    clock.released.set_value();
    Settle(controller);
    EXPECT_EQ(verdicts.shownRuleErrors, QList<int>{0});
    EXPECT_FALSE(controller.Form().RuleCheckMode());
}

// The clerk presses "Cancelar" while the diskette prompt is up.
class StoppingAtThePrompt : public vk7::testing::ScriptedUserInterface
{
public:
    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override
    {
        if (text.startsWith(u"Introducir disquete"_s))
            RequestStop();
        return vk7::testing::ScriptedUserInterface::ShowMessage(text, title, buttons, icon);
    }
};

TEST_F(Frame, AStoppedOpenLeavesNoDepositAnEmptyWorkFolderAndTheMediumAsItWas)
{
    QTemporaryDir medium;
    ASSERT_TRUE(medium.isValid());
    for (const QFileInfo &file : QDir(kSample).entryInfoList(QDir::Files))
        ASSERT_TRUE(QFile::copy(file.filePath(), medium.filePath(file.fileName())));
    const QStringList before = QDir(medium.path()).entryList(QDir::Files);
    PathResolver::SetDriveRoot(u'A', medium.path());
    StoppingAtThePrompt ui;
    FrameController controller(QStringLiteral(VK7_BIN_DIR) + u"\\"_s, ui, clock_);
    RecordingVerdicts verdicts;
    controller.SetVerdictWindows(&verdicts);
    // A deposit opened before: the stopped Open must not leave it either.
    controller.Open(dialog_);
    Settle(controller);
    ASSERT_TRUE(controller.State().open);

    controller.Open(OpenRequest{u"A:\\FICHERO.TXT"_s, u"1"_s, vk7::testing::SampleFingerprint()});
    Settle(controller);
    EXPECT_FALSE(controller.State().open);
    EXPECT_FALSE(controller.State().formIdentified);
    EXPECT_EQ(verdicts.shownValid.size(), 1);
    EXPECT_EQ(ui.statuses.last(), u"Recepción cancelada"_s);
    EXPECT_EQ(ui.messages, QStringList{u"AVISO: Introducir disquete nº : 1"_s});
    EXPECT_TRUE(QDir(QDir(driveC_.Path()).filePath(u"TMP_VK7"_s)).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(QDir(medium.path()).entryList(QDir::Files), before);
    EXPECT_FALSE(controller.Busy());
}

TEST_F(Frame, OpenShowsTheFormAndItsStateAndCloseEndsIt)
{
    int changed = 0;
    QObject::connect(&controller_.Model(), &DepositModel::changed, [&changed] { ++changed; });
    controller_.Open(dialog_);
    Settle(controller_);
    DepositState &state = controller_.State();
    ASSERT_TRUE(state.formIdentified) << state.formError.toStdString();
    EXPECT_EQ(controller_.WindowTitle(), u"Velmora - EUROS"_s);
    EXPECT_EQ(verdicts_.shownValid, QList<bool>{true});
    EXPECT_GT(changed, 0);
    EXPECT_EQ(state.entryNumber, u"00000000"_s);

    // The viewer's events filled both lists.
    const int pages = controller_.Viewer().GetPageCount();
    ASSERT_GT(pages, 1);
    EXPECT_EQ(controller_.PageList().items.size(), pages);
    EXPECT_EQ(controller_.PageList().selected, 0);
    EXPECT_GT(controller_.Frame().textSize, 0);
    EXPECT_TRUE(controller_.IsEnabled(kCmdNextPage));
    EXPECT_FALSE(controller_.IsEnabled(kCmdPreviousPage));

    controller_.PageChosen(QString::number(pages));
    EXPECT_EQ(controller_.Viewer().GetCurrentPage(), pages);
    EXPECT_EQ(controller_.PageList().selected, pages - 1);
    EXPECT_FALSE(controller_.IsEnabled(kCmdNextPage));

    controller_.Execute(kCmdZoomWindow);
    EXPECT_TRUE(IsCommandChecked(kCmdZoomWindow, controller_.Context()));
    controller_.Execute(kCmdZoomWindow);
    EXPECT_FALSE(controller_.Viewer().GetZoomWindowMode());

    controller_.Execute(DocumentKindOf(DocumentKind::MemoriaText).editCommand);
    controller_.Execute(DocumentKindOf(DocumentKind::MemoriaImages).editCommand);
    EXPECT_EQ(documents_.kinds,
              (QList<DocumentKind>{DocumentKind::MemoriaText, DocumentKind::MemoriaImages}));
    EXPECT_EQ(documents_.sizes,
              (QList<int>{int(state.Pages(DocumentKind::MemoriaText).size()), 2}));

    controller_.Close();
    EXPECT_FALSE(state.formIdentified);
    EXPECT_TRUE(state.Pages(DocumentKind::MemoriaText).isEmpty());
    EXPECT_EQ(state.fields.GetSize(), 0);
    EXPECT_FALSE(controller_.IsEnabled(kCmdClose));
    EXPECT_TRUE(controller_.PageList().items.isEmpty());
}

TEST_F(Frame, AWriteTheMachineRefusesLeavesTheDepositClosedWithAnErrorBox)
{
    // Files of at most 8 KB: the copy fits, the fingerprint's concatenation
    // of the whole sample (23 KB) does not.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    controller_.Open(dialog_);
    Settle(controller_);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(verdicts_.shownValid.isEmpty());
    EXPECT_FALSE(controller_.State().open);
    EXPECT_FALSE(controller_.State().formIdentified);
    EXPECT_EQ(controller_.WindowTitle(), u"Velmora"_s);
    ASSERT_FALSE(ui_.messages.isEmpty());
    EXPECT_EQ(
        ui_.messages.last(),
        u"ERROR: ERROR de lectura o escritura en el archivo %1/TMP_VK7/MD5.TXT: El archivo "
        u"es demasiado grande\n\nEl Depósito Digital no se ha comprobado y queda cerrado."_s.arg(
            driveC_.Path()));
}

TEST_F(Frame, TheScrollKeysMoveTheViewTheirWay)
{
    controller_.Open(dialog_);
    Settle(controller_);
    ASSERT_TRUE(controller_.State().formIdentified);
    CTessOCX &viewer = controller_.Viewer();
    viewer.SetViewportSize(QSize(400, 300));
    controller_.Execute(kCmdZoomIn);
    controller_.Execute(kCmdZoomIn);
    const QPointF start = viewer.ScrollPosition();

    controller_.Execute(kCmdScrollLineDown);
    const double line = viewer.ScrollPosition().y() - start.y();
    EXPECT_GT(line, 0);
    controller_.Execute(kCmdScrollLineUp);
    EXPECT_EQ(viewer.ScrollPosition(), start);
    controller_.Execute(kCmdScrollPageDown);
    EXPECT_GT(viewer.ScrollPosition().y() - start.y(), line);
    controller_.Execute(kCmdScrollPageUp);
    EXPECT_EQ(viewer.ScrollPosition(), start);
    controller_.Execute(kCmdScrollRight);
    EXPECT_GT(viewer.ScrollPosition().x(), start.x());
    EXPECT_EQ(viewer.ScrollPosition().y(), start.y());
    controller_.Execute(kCmdScrollLeft);
    EXPECT_EQ(viewer.ScrollPosition(), start);
}

TEST_F(Frame, CancelledOpenClosesThePreviousDepositAndABadEntryIsShown)
{
    controller_.Open(dialog_);
    Settle(controller_);
    ASSERT_TRUE(controller_.State().formIdentified);
    dialog_.cancel = true;
    controller_.Open(dialog_);
    Settle(controller_);
    EXPECT_FALSE(controller_.State().formIdentified);
    EXPECT_EQ(verdicts_.shownValid.size(), 1);

    // Given at once (the command line), a failed validation is a message box.
    controller_.Open(OpenRequest{kSample + u"/FICHERO.TXT"_s, u"1"_s, u"CORTA"_s});
    Settle(controller_);
    EXPECT_FALSE(controller_.State().formIdentified);
    ASSERT_EQ(ui_.messages.size(), 1);
    EXPECT_EQ(ui_.messages.constFirst(),
              u"ERROR: ERROR. Longitud Huella Digital. (Obligado : 26)"_s);
}

TEST_F(Frame, CloseAndAnUnidentifiedFormPutTheBareTitleBack)
{
    QStringList titles;
    QObject::connect(&controller_, &FrameController::titleChanged,
                     [&titles](const QString &title) { titles.append(title); });
    controller_.Open(dialog_);
    Settle(controller_);
    ASSERT_EQ(controller_.WindowTitle(), u"Velmora - EUROS"_s);
    controller_.Close();
    EXPECT_EQ(controller_.WindowTitle(), u"Velmora"_s);

    // A deposit without DATOS.ASC after the sample: no form, no currency.
    QTemporaryDir medium;
    ASSERT_TRUE(medium.isValid());
    for (const QString &name : QDir(kSample).entryList(QDir::Files)) {
        if (name != u"DATOS.ASC"_s) {
            ASSERT_TRUE(QFile::copy(kSample + u'/' + name, medium.filePath(name)));
        }
    }
    controller_.Open(dialog_);
    Settle(controller_);
    dialog_.request.location = medium.filePath(u"FICHERO.TXT"_s);
    controller_.Open(dialog_);
    Settle(controller_);
    EXPECT_FALSE(controller_.State().formIdentified);
    EXPECT_EQ(controller_.WindowTitle(), u"Velmora"_s);
    EXPECT_EQ(titles, (QStringList{u"Velmora - EUROS"_s, u"Velmora"_s, u"Velmora - EUROS"_s,
                                   u"Velmora"_s}));
}

TEST_F(Frame, ALinkOnTheMediumIsNamedWithWhyItIsNotCopied)
{
    QTemporaryDir medium;
    ASSERT_TRUE(medium.isValid());
    for (const QString &name : QDir(kSample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(kSample + u'/' + name, medium.filePath(name)));
    ASSERT_TRUE(QFile::link(kSample + u"/MEMORIA.TXT"_s, medium.filePath(u"ENLACE.TXT"_s)));
    dialog_.request.location = medium.filePath(u"FICHERO.TXT"_s);
    controller_.Open(dialog_);
    Settle(controller_);
    ASSERT_TRUE(controller_.State().formIdentified);
    EXPECT_TRUE(ui_.statuses.contains(medium.filePath(u"ENLACE.TXT"_s) +
                                      u" no se copia: enlace simbólico"_s))
        << ui_.statuses.join(u'\n').toStdString();
    EXPECT_EQ(controller_.State().fileWarnings, u"ENLACE.TXT no se copia: enlace simbólico\n"_s);
    EXPECT_EQ(ui_.messages, QStringList{u"AVISO: ENLACE.TXT no se copia: enlace simbólico\n"_s});
    EXPECT_FALSE(QFileInfo::exists(driveC_.Path() + u"/TMP_VK7/ENLACE.TXT"_s));
}

TEST_F(Frame, AWorkFolderInUseStopsTheOpenWithAMessage)
{
    WorkFolderLock other;
    ASSERT_FALSE(other.Acquire().Failed());
    controller_.Open(dialog_);
    Settle(controller_);
    EXPECT_FALSE(controller_.State().open);
    EXPECT_TRUE(verdicts_.shownValid.isEmpty());
    ASSERT_EQ(ui_.messages.size(), 1);
    EXPECT_TRUE(ui_.messages.constFirst().startsWith(
        u"ERROR: ERROR. otra recepción está usando la carpeta de trabajo "_s));

    other.Release();
    controller_.Open(dialog_);
    Settle(controller_);
    EXPECT_TRUE(controller_.State().formIdentified);
}

TEST_F(Frame, ASuccessfulPrintAsksForTheNextDeposit)
{
    verdicts_.printSucceeds = true;
    int again = 0;
    QObject::connect(&controller_, &FrameController::openRequested, [&again] { ++again; });
    controller_.Open(dialog_);
    Settle(controller_);
    EXPECT_EQ(again, 1);
    controller_.ShowDepositState();
    Settle(controller_);
    EXPECT_EQ(again, 2);
    EXPECT_EQ(verdicts_.shownValid, (QList<bool>{true, true}));
}

} // namespace

TEST(WindowTitle, FollowsTheCurrencyLetter)
{
    EXPECT_EQ(WindowTitleForForm(u"K7NP"_s), u"Velmora - PESETAS"_s);
    EXPECT_EQ(WindowTitleForForm(u"K7AP"_s), u"Velmora - PESETAS"_s);
    EXPECT_EQ(WindowTitleForForm(u"K7ME"_s), u"Velmora - EUROS"_s);
    EXPECT_EQ(WindowTitleForForm(u"K7AE"_s), u"Velmora - EUROS"_s);
    EXPECT_EQ(WindowTitleForForm(QString()), u"Velmora"_s);
}

// The register's report printed: one job of its pages as 200 dpi A4 page
// images; a printer that refuses gets nothing and it is said.
TEST_F(Frame, TheReportGoesToThePrinterAsOneJobOfItsPages)
{
    ReceptionTally tally(ReportSpanOf({}, {}, QDate::currentDate()));
    const QList<ReportPage> pages =
        LayoutReportPages(BuildReportDocument(tally, u"prueba"_s, QDateTime::currentDateTime()));
    ASSERT_FALSE(pages.isEmpty());
    RecordingPrintDevice printer;
    ASSERT_TRUE(controller_.PrintReport(pages, printer));
    ASSERT_EQ(printer.Jobs().size(), 1);
    EXPECT_TRUE(printer.Jobs()[0].name.startsWith(u"VK7_INFORME_"_s));
    ASSERT_EQ(printer.Jobs()[0].pages.size(), pages.size());
    const QImage &page = printer.Jobs()[0].pages[0].bitmap;
    EXPECT_EQ(page.width(), 1652);
    EXPECT_EQ(page.dotsPerMeterX(), 7874);
    RecordingPrintDevice refusing;
    refusing.SetRefusing(true);
    EXPECT_FALSE(controller_.PrintReport(pages, refusing));
    EXPECT_FALSE(controller_.Busy());
}
