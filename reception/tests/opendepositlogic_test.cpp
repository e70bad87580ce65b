#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "reception/driveroots.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/tests/receptiontesting.h"

using namespace vk7;
using namespace vk7::testing;
using namespace Qt::StringLiterals;

namespace {

QByteArray At(const QByteArray &folder, const char *name)
{
    return folder + '/' + QByteArray(name);
}

const QString kGoodFingerprint = u"4G0589GF6J9YRDD5HZFMME2ZUJ"_s;

class OpenDepositTest : public DriveTest
{
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        logic.Initialize();
        logic.fingerprint = kGoodFingerprint;
    }
    // Puts one diskette's files on drive A:, replacing what was there.
    void Diskette(const QList<std::pair<QString, QByteArray>> &files)
    {
        QDir(driveA.path()).removeRecursively();
        QDir().mkpath(driveA.path());
        for (const auto &[name, bytes] : files)
            WriteHostFile(OnA(name), bytes);
    }
    QStringList WorkFiles() const
    {
        QStringList names = QDir(OnC(u"TMP_VK7"_s)).entryList(QDir::Files | QDir::System);
        names.sort();
        return names;
    }
    QByteArray Work(const QString &name) const { return ReadHostFile(OnC(u"TMP_VK7/"_s + name)); }
    QStringList Prompts() const
    {
        QStringList texts;
        for (const auto &shown : ui.shown)
            texts.append(shown.text);
        return texts;
    }

    ScriptedUserInterface ui;
    OpenDepositLogic logic{ui};
};

} // namespace

TEST_F(OpenDepositTest, InitialisationMakesAndEmptiesTheWorkFolder)
{
    WriteHostFile(OnC(u"TMP_VK7/OLD.ASC"_s), "old");
    WriteHostFile(OnC(u"TMP_VK7/RO.TXT"_s), "ro");
    ::chmod(QFile::encodeName(OnC(u"TMP_VK7/RO.TXT"_s)).constData(), 0444);
    QDir().mkpath(OnC(u"TMP_VK7/SUB"_s));
    int shown = 0;
    logic.membersChanged = [&] { ++shown; };
    logic.Initialize();
    EXPECT_EQ(logic.location, u"A:\\FICHERO.TXT"_s);
    EXPECT_EQ(logic.diskettes, u"1"_s);
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_TRUE(QFileInfo(OnC(u"TMP_VK7/SUB"_s)).isDir());
    EXPECT_GE(shown, 1);

    // A fresh logic keeps every text empty and no form selection.
    OpenDepositLogic fresh(ui);
    EXPECT_TRUE(fresh.location.isEmpty());
    EXPECT_EQ(fresh.formSelection, -1);
}

TEST_F(OpenDepositTest, ValidationLastFailingCheckDecides)
{
    WriteHostFile(OnC(u"DEP/DATOS.TXT"_s), "x");
    logic.fingerprint = kGoodFingerprint.left(25);
    logic.location = u"C:\\DEP\\DATOS.TXT"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
    EXPECT_EQ(logic.status(), u"ERROR. Fichero incorrecto. (Obligado : FICHERO.TXT)"_s);
    EXPECT_EQ(logic.focus(), OpenDepositLogic::Focus::Location);

    logic.location = u"C:\\DEP\\NADA.TXT"_s;
    EXPECT_FALSE(logic.Validate());
    EXPECT_EQ(logic.status(), u"ERROR. Fichero incorrecto. (No encontrado : FICHERO.TXT)"_s);

    // A folder named like the manifest is not found either.
    QDir().mkpath(OnC(u"CARPETA/FICHERO.TXT"_s));
    logic.fingerprint = kGoodFingerprint;
    logic.location = u"C:\\CARPETA\\FICHERO.TXT"_s;
    EXPECT_FALSE(logic.Validate());
    EXPECT_EQ(logic.status(), u"ERROR. Fichero incorrecto. (No encontrado : FICHERO.TXT)"_s);

    // Only the length fails.
    WriteHostFile(OnC(u"DEP/fichero.txt"_s), "x");
    logic.location = u"c:\\dep\\fichero.txt"_s;
    logic.fingerprint = kGoodFingerprint + u"X"_s;
    EXPECT_FALSE(logic.Validate());
    EXPECT_EQ(logic.status(), u"ERROR. Longitud Huella Digital. (Obligado : 26)"_s);
    EXPECT_EQ(logic.focus(), OpenDepositLogic::Focus::Fingerprint);
    EXPECT_TRUE(logic.sourceFolder.isEmpty());

    // Characters count, not bytes.
    logic.fingerprint = kGoodFingerprint.left(25) + u"Ñ"_s;
    EXPECT_TRUE(logic.Validate());
    EXPECT_TRUE(logic.status().isEmpty());
    EXPECT_EQ(logic.sourceFolder, u"c:\\dep\\"_s);
}

TEST_F(OpenDepositTest, HostFolderCopiesOnceWithoutPromptsAndSkipsSubFolders)
{
    WriteHostFile(OnC(u"medio/FICHERO.TXT"_s), "manifest");
    WriteHostFile(OnC(u"medio/datos.asc"_s), "datos");
    WriteHostFile(OnC(u"medio/SUB/OTRO.TXT"_s), "sub");
    logic.location = OnC(u"medio/FICHERO.TXT"_s);
    logic.diskettes = u"3"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_EQ(logic.diskettes, u"1"_s);
    EXPECT_TRUE(ui.shown.isEmpty());
    EXPECT_EQ(WorkFiles(), (QStringList{u"FICHERO.TXT"_s, u"datos.asc"_s}));
    EXPECT_EQ(logic.location, u"C:\\TMP_VK7\\"_s);
    EXPECT_TRUE(ui.statuses.contains(u"Copiando fichero "_s + OnC(u"medio/"_s) +
                                     u"datos.asc -> C:\\TMP_VK7\\datos.asc"_s));
    // Bytes copied of the files' bytes, the sub-folder's left out: one step
    // per piece of each file, the last one at the end.
    EXPECT_EQ(ui.progress.size(), 2);
    EXPECT_EQ(ui.progress.constFirst(), std::make_pair(qint64(8), qint64(13)));
    EXPECT_EQ(ui.progress.constLast(), std::make_pair(qint64(13), qint64(13)));
}

TEST_F(OpenDepositTest, LowerCaseDriveLetterIsNotTheDisketteDrive)
{
    Diskette({{u"FICHERO.TXT"_s, "m"}, {u"DATOS.ASC"_s, "d"}});
    logic.location = u"a:\\fichero.txt"_s;
    logic.diskettes = u"3"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_TRUE(ui.shown.isEmpty());
    EXPECT_EQ(logic.diskettes, u"1"_s);
    EXPECT_EQ(WorkFiles(), (QStringList{u"DATOS.ASC"_s, u"FICHERO.TXT"_s}));
}

TEST_F(OpenDepositTest, SeveralDiskettesArePromptedAndCopiedInTurn)
{
    Diskette({{u"FICHERO.TXT"_s, "manifest"}, {u"DATOS.ASC"_s, "first"}});
    ui.beforeAnswer = [this](int index) {
        if (index == 1)
            Diskette({{u"datos.asc"_s, "second"}, {u"MEMORIA.TXT"_s, "memoria"}});
        if (index == 2)
            Diskette({{u"X.M01"_s, "image"}});
    };
    logic.location = u"A:\\FICHERO.TXT"_s;
    logic.diskettes = u"3"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_EQ(Prompts(),
              (QStringList{u"Introducir disquete nº : 1"_s, u"Introducir disquete nº : 2"_s,
                           u"Introducir disquete nº : 3"_s}));
    for (const auto &shown : ui.shown) {
        EXPECT_EQ(shown.title, u"AVISO"_s);
        EXPECT_EQ(shown.buttons, IUserInterface::Buttons::OkCancel);
        EXPECT_EQ(shown.icon, IUserInterface::Icon::Information);
    }
    // The later diskette's file replaces the earlier one whatever its case.
    EXPECT_EQ(WorkFiles(),
              (QStringList{u"DATOS.ASC"_s, u"FICHERO.TXT"_s, u"MEMORIA.TXT"_s, u"X.M01"_s}));
    EXPECT_EQ(Work(u"DATOS.ASC"_s), "second");
    EXPECT_EQ(logic.location, u"C:\\TMP_VK7\\"_s);
}

TEST_F(OpenDepositTest, CancelAtASecondPromptKeepsTheFirstDiskette)
{
    Diskette({{u"FICHERO.TXT"_s, "manifest"}, {u"DATOS.ASC"_s, "first"}});
    ui.answers = {IUserInterface::Answer::Ok, IUserInterface::Answer::Cancel};
    ui.beforeAnswer = [this](int index) {
        if (index == 1)
            Diskette({{u"MEMORIA.TXT"_s, "never copied"}});
    };
    logic.location = u"A:\\FICHERO.TXT"_s;
    logic.diskettes = u"3"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_EQ(ui.shown.size(), 2);
    EXPECT_EQ(WorkFiles(), (QStringList{u"DATOS.ASC"_s, u"FICHERO.TXT"_s}));
}

// Nothing copied is no reception: a count that is no whole number of at
// least one is a typing mistake, and Cancel at the first prompt ends it all;
// neither may become a verdict on an empty deposit.
TEST_F(OpenDepositTest, NoDisketteCountOrCancelAtTheFirstPromptIsNoReception)
{
    Diskette({{u"FICHERO.TXT"_s, "manifest"}});
    logic.fingerprint = QString(26, u'A');
    for (const QString &count : {u"0"_s, QString(), u"dos"_s, u"-2"_s, u"1.5"_s}) {
        logic.location = u"A:\\FICHERO.TXT"_s;
        logic.diskettes = count;
        EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
        EXPECT_EQ(logic.status(), u"ERROR. Número de Disquetes. (Obligado : 1 o más)"_s);
        EXPECT_EQ(logic.focus(), OpenDepositLogic::Focus::Diskettes);
        EXPECT_TRUE(ui.shown.isEmpty());
        EXPECT_TRUE(WorkFiles().isEmpty());
    }

    ui.answers = {IUserInterface::Answer::Cancel};
    logic.diskettes = u"2"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
    EXPECT_EQ(ui.shown.size(), 1);
    EXPECT_TRUE(logic.stopped());
    EXPECT_EQ(logic.status(), u"Recepción cancelada"_s);
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(OpenDepositTest, FailedCopyIsRetriedOnRequest)
{
    Diskette({{u"FICHERO.TXT"_s, "manifest"}});
    // A folder in the way makes the copy fail until it is removed.
    QDir().mkpath(OnC(u"TMP_VK7/FICHERO.TXT"_s));
    ui.answers = {IUserInterface::Answer::Ok, IUserInterface::Answer::Yes};
    ui.beforeAnswer = [this](int index) {
        if (index == 1)
            QDir(OnC(u"TMP_VK7/FICHERO.TXT"_s)).removeRecursively();
    };
    logic.location = u"A:\\FICHERO.TXT"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    ASSERT_EQ(ui.shown.size(), 2);
    EXPECT_EQ(ui.shown.at(1).text, u"No se puede copiar el fichero A:\\FICHERO.TXT\nsobre "
                                   u"C:\\TMP_VK7\\FICHERO.TXT\n\n¿ Reintentar ?"_s);
    EXPECT_EQ(ui.shown.at(1).title, u"AVISO"_s);
    EXPECT_EQ(ui.shown.at(1).buttons, IUserInterface::Buttons::YesNo);
    EXPECT_EQ(ui.shown.at(1).icon, IUserInterface::Icon::Stop);
    EXPECT_EQ(Work(u"FICHERO.TXT"_s), "manifest");
    EXPECT_EQ(ui.statuses.count(u"Copiando fichero A:\\FICHERO.TXT -> C:\\TMP_VK7\\FICHERO.TXT"_s),
              2);
}

TEST_F(OpenDepositTest, RefusedRetryStaysOpenWithTheError)
{
    Diskette({{u"FICHERO.TXT"_s, "manifest"}});
    QDir().mkpath(OnC(u"TMP_VK7/FICHERO.TXT"_s));
    ui.answers = {IUserInterface::Answer::Ok, IUserInterface::Answer::No};
    logic.location = u"A:\\FICHERO.TXT"_s;
    logic.diskettes = u"2"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
    EXPECT_EQ(ui.shown.size(), 2); // no prompt for the second diskette
    EXPECT_EQ(logic.status(),
              u"ERROR. Copiando fichero (A:\\FICHERO.TXT -> C:\\TMP_VK7\\FICHERO.TXT)"_s);
    EXPECT_EQ(logic.location, u"A:\\FICHERO.TXT"_s);
}

TEST_F(OpenDepositTest, EmptyDisketteCannotBeEnumerated)
{
    Diskette({{u"FICHERO.TXT"_s, "manifest"}});
    ui.beforeAnswer = [this](int index) {
        if (index == 1)
            Diskette({});
    };
    logic.location = u"A:\\FICHERO.TXT"_s;
    logic.diskettes = u"2"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
    EXPECT_EQ(logic.status(), u"ERROR. Copiando ficheros (A:\\*.*)"_s);
    EXPECT_EQ(WorkFiles(), QStringList{u"FICHERO.TXT"_s});
}

TEST_F(OpenDepositTest, OnlyRegularFilesAreCopiedAndTheMediumIsUntouched)
{
    WriteHostFile(OnC(u"private/clave.txt"_s), "secret of the clerk");
    WriteHostFile(OnC(u"medio/FICHERO.TXT"_s), "manifest");
    WriteHostFile(OnC(u"medio/RO.ASC"_s), "read-only");
    const QByteArray medium = QFile::encodeName(OnC(u"medio"_s));
    ::chmod(At(medium, "RO.ASC").constData(), 0444);
    ASSERT_EQ(::symlink(QFile::encodeName(OnC(u"private/clave.txt"_s)).constData(),
                        At(medium, "DATOS.ASC").constData()),
              0);
    ASSERT_EQ(::mkfifo(At(medium, "MEMORIA.TXT").constData(), 0600), 0);
    // A name that is not UTF-8 is read as Windows-1252: the copy is "Xé.M01".
    {
        FILE *raw = ::fopen(At(medium, "X\xe9.M01").constData(), "wb");
        ASSERT_NE(raw, nullptr);
        ::fputs("odd", raw);
        ::fclose(raw);
    }
    struct stat before;
    ASSERT_EQ(::stat(medium.constData(), &before), 0);

    logic.location = OnC(u"medio/FICHERO.TXT"_s);
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_TRUE(ui.shown.isEmpty());
    const QByteArray work = QFile::encodeName(OnC(u"TMP_VK7"_s));
    struct stat st;
    EXPECT_NE(::lstat(At(work, "DATOS.ASC").constData(), &st), 0);
    EXPECT_NE(::lstat(At(work, "MEMORIA.TXT").constData(), &st), 0);
    EXPECT_EQ(Work(u"Xé.M01"_s), "odd");
    EXPECT_EQ(Work(u"RO.ASC"_s), "read-only");

    // The medium keeps exactly what it had.
    struct stat after;
    ASSERT_EQ(::stat(medium.constData(), &after), 0);
    EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(ReadHostFile(OnC(u"medio/RO.ASC"_s)), "read-only");
    EXPECT_EQ(ReadHostFile(OnC(u"private/clave.txt"_s)), "secret of the clerk");
    // Qt cannot name this file to remove it with the temporary folder.
    ::unlink(At(medium, "X\xe9.M01").constData());
}

TEST_F(OpenDepositTest, MediumDisappearingDuringTheCopyFailsCleanly)
{
    WriteHostFile(OnC(u"medio/FICHERO.TXT"_s), "manifest");
    WriteHostFile(OnC(u"medio/DATOS.ASC"_s), "datos");
    WriteHostFile(OnC(u"medio/INSTANCIA.ASC"_s), "instancia");
    logic.location = OnC(u"medio/FICHERO.TXT"_s);
    ui.answers = {IUserInterface::Answer::No};
    ui.onStatus = [this](const QString &text) {
        if (text.startsWith(u"Copiando fichero"_s))
            QDir(OnC(u"medio"_s)).removeRecursively();
    };
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
    EXPECT_EQ(ui.shown.size(), 1);
    EXPECT_TRUE(logic.status().startsWith(u"ERROR. Copiando fichero ("_s));
}

TEST_F(OpenDepositTest, NamesDifferingInLetterCaseCopyTheCapitalOne)
{
    WriteHostFile(OnC(u"medio/FICHERO.TXT"_s), "manifest");
    WriteHostFile(OnC(u"medio/datos.asc"_s), "small");
    WriteHostFile(OnC(u"medio/DATOS.ASC"_s), "capital");
    WriteHostFile(OnC(u"medio/Datos.Asc"_s), "mixed");
    logic.location = OnC(u"medio/FICHERO.TXT"_s);
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_EQ(WorkFiles(), (QStringList{u"DATOS.ASC"_s, u"FICHERO.TXT"_s}));
    EXPECT_EQ(Work(u"DATOS.ASC"_s), "capital");
}

TEST_F(OpenDepositTest, CancelAndBrowse)
{
    logic.BeginBrowse();
    EXPECT_TRUE(logic.status().isEmpty());
    logic.EndBrowse(false, u"/x/FICHERO.TXT"_s);
    EXPECT_EQ(logic.location, u"A:\\FICHERO.TXT"_s);
    logic.EndBrowse(true, u"/x/FICHERO.TXT"_s);
    EXPECT_EQ(logic.location, u"/x/FICHERO.TXT"_s);
    EXPECT_EQ(logic.focus(), OpenDepositLogic::Focus::Accept);
    logic.Cancel();
    EXPECT_TRUE(logic.location.isEmpty());
}

TEST_F(OpenDepositTest, AMediumThatIsTheWorkFolderIsLeftAsItIs)
{
    // The real order: the dialog empties the work folder when it opens, so a
    // deposit stored there before is gone (vk7check refuses such a location
    // before it opens the dialog; the desktop's work folder is private).
    WriteHostFile(OnC(u"TMP_VK7/FICHERO.TXT"_s), "manifest");
    logic.Initialize();
    logic.location = u"C:\\TMP_VK7\\FICHERO.TXT"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
    EXPECT_EQ(logic.status(), u"ERROR. Fichero incorrecto. (No encontrado : FICHERO.TXT)"_s);

    // Files that reach the work folder while the dialog is open are already in
    // place: deleting each target before copying would delete the source.
    WriteHostFile(OnC(u"TMP_VK7/FICHERO.TXT"_s), "manifest");
    WriteHostFile(OnC(u"TMP_VK7/DATOS.ASC"_s), "datos");
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_TRUE(ui.shown.isEmpty());
    EXPECT_EQ(Work(u"FICHERO.TXT"_s), "manifest");
    EXPECT_EQ(Work(u"DATOS.ASC"_s), "datos");
}

// Drive A: is the removable medium that is in when it is used: media are
// folders that appear and disappear under a media root the test chooses.
class RemovableMediumTest : public OpenDepositTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(media.isValid());
        qputenv("VK7_MEDIA_ROOT", QFile::encodeName(media.path()));
        OpenDepositTest::SetUp();
        PathResolver::SetDriveRoot(u'A', QString());
        PathResolver::SetDriveRootSource(u'A', [] { return RemovableMediumFolder(); });
    }
    void TearDown() override
    {
        qunsetenv("VK7_MEDIA_ROOT");
        OpenDepositTest::TearDown();
    }
    void Mount(const QString &name, const QList<std::pair<QString, QByteArray>> &files)
    {
        for (const auto &[file, bytes] : files)
            WriteHostFile(media.filePath(name + u'/' + file), bytes);
    }
    void Unmount(const QString &name) { QDir(media.filePath(name)).removeRecursively(); }

    QTemporaryDir media;
};

TEST_F(RemovableMediumTest, ThreeDisketteDepositBrowsedOnTheFirstAsksForEach)
{
    Mount(u"DISCO1"_s, {{u"FICHERO.TXT"_s, "manifest"}, {u"DATOS.ASC"_s, "first"}});
    // Each later diskette mounts under a name of its own once the last is out.
    ui.beforeAnswer = [this](int index) {
        if (index == 1) {
            Unmount(u"DISCO1"_s);
            Mount(u"DISCO2"_s, {{u"DATOS.ASC"_s, "second"}, {u"MEMORIA.TXT"_s, "memoria"}});
        }
        if (index == 2) {
            Unmount(u"DISCO2"_s);
            Mount(u"DISCO3"_s, {{u"X.M01"_s, "image"}});
        }
    };
    logic.BeginBrowse();
    logic.EndBrowse(true, media.filePath(u"DISCO1/FICHERO.TXT"_s));
    logic.diskettes = u"3"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_EQ(Prompts(),
              (QStringList{u"Introducir disquete nº : 1"_s, u"Introducir disquete nº : 2"_s,
                           u"Introducir disquete nº : 3"_s}));
    EXPECT_EQ(WorkFiles(),
              (QStringList{u"DATOS.ASC"_s, u"FICHERO.TXT"_s, u"MEMORIA.TXT"_s, u"X.M01"_s}));
    EXPECT_EQ(Work(u"DATOS.ASC"_s), "second");
}

TEST_F(RemovableMediumTest, TheSameDisketteAgainOrNoneIsAskedForAgain)
{
    Mount(u"DISCO"_s, {{u"FICHERO.TXT"_s, "manifest"}, {u"DATOS.ASC"_s, "first"}});
    // OK with the first diskette still in; then with none in; then the second.
    ui.beforeAnswer = [this](int index) {
        if (index == 2)
            Unmount(u"DISCO"_s);
        if (index == 3)
            Mount(u"DISCO"_s, {{u"MEMORIA.TXT"_s, "memoria"}});
    };
    logic.location = u"A:\\FICHERO.TXT"_s;
    logic.diskettes = u"2"_s;
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_EQ(
        Prompts(),
        (QStringList{u"Introducir disquete nº : 1"_s, u"Introducir disquete nº : 2"_s,
                     u"El disquete de la unidad A: es el nº : 1. Introducir disquete nº : 2"_s,
                     u"No hay ningún disquete en la unidad A:. Introducir disquete nº : 2"_s}));
    EXPECT_EQ(WorkFiles(), (QStringList{u"DATOS.ASC"_s, u"FICHERO.TXT"_s, u"MEMORIA.TXT"_s}));
}

TEST_F(RemovableMediumTest, NextDepositOnAStickMountedUnderAnotherName)
{
    // Started with no medium in: the location on A: is not found, and why.
    logic.fingerprint = kGoodFingerprint;
    EXPECT_EQ(logic.location, u"A:\\FICHERO.TXT"_s);
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::StayOpen);
    EXPECT_EQ(logic.status(), u"ERROR. Fichero incorrecto. (No encontrado : FICHERO.TXT) "
                              u"No hay ningún disquete en la unidad A:."_s);

    Mount(u"DISCO"_s, {{u"FICHERO.TXT"_s, "first deposit"}, {u"DATOS.ASC"_s, "1"}});
    EXPECT_EQ(logic.Accept(), OpenDepositLogic::Outcome::Accepted);
    EXPECT_EQ(Work(u"FICHERO.TXT"_s), "first deposit");

    Unmount(u"DISCO"_s);
    Mount(u"USB 2GB"_s, {{u"fichero.txt"_s, "second deposit"}, {u"CERTIF.ASC"_s, "2"}});
    OpenDepositLogic next{ui};
    next.Initialize();
    next.fingerprint = kGoodFingerprint;
    EXPECT_EQ(next.Accept(), OpenDepositLogic::Outcome::Accepted) << next.status().toStdString();
    EXPECT_EQ(WorkFiles(), (QStringList{u"CERTIF.ASC"_s, u"fichero.txt"_s}));
}
