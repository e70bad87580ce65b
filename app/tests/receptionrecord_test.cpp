// The desktop's record of each reception: made when the Open ends, whatever
// its end, into the register the frame is given; kept locally, and said on
// the status line, when the store is away.
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/framecontroller.h"
#include "reception/opendepositlogic.h"
#include "registry/receptionregister.h"
#include "testing/fixedclock.h"
#include "testing/guiapplication.h"
#include "testing/hostfiles.h"
#include "testing/scriptedinterface.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

const auto *const kGui = vk7::testing::AddGuiApplicationEnvironment();

// The Open dialog as a clerk fills it, or closes it untouched.
class TypedDialog : public IOpenDialog
{
public:
    explicit TypedDialog(IUserInterface &ui) : ui_(ui) {}
    IUserInterface &Interface() override { return ui_; }
    void Run(OpenDepositLogic &logic, std::function<void(bool)> done) override
    {
        if (untouched) {
            done(false);
            return;
        }
        logic.location = vk7::testing::SampleDepositFolder() + u"/FICHERO.TXT"_s;
        logic.fingerprint = fingerprint;
        done(logic.Accept() == OpenDepositLogic::Outcome::Accepted);
    }
    QString fingerprint = vk7::testing::SampleFingerprint();
    bool untouched = false;

private:
    IUserInterface &ui_;
};

RegisterLocation Location(const QString &text)
{
    RegisterLocation location;
    EXPECT_FALSE(ParseRegisterLocation(text, &location).Failed());
    return location;
}

} // namespace

TEST(DesktopRecord, EveryOpenThatEndsLeavesOneRecordAndAnAbsentStoreOnlyTheStatusLine)
{
    vk7::testing::TemporaryDriveC driveC;
    ASSERT_TRUE(driveC.IsValid());
    QTemporaryDir folder;
    vk7::testing::ScriptedUserInterface ui;
    ui.unscriptedQuestion = IUserInterface::Answer::No;
    FixedClock clock{QDate(2010, 6, 1)};
    FrameController controller{QStringLiteral(VK7_BIN_DIR) + u"\\"_s, ui, clock};
    const QString spool = folder.filePath(u"pendientes.sqlite"_s);
    controller.SetRegister(std::make_unique<ReceptionRegister>(
        Location(u"sqlite:"_s + folder.filePath(u"registro.sqlite"_s)), spool));
    TypedDialog dialog(ui);
    controller.Open(dialog); // valid
    EXPECT_TRUE(vk7::testing::WaitUntil([&] { return !controller.Busy(); }));
    dialog.untouched = true;
    controller.Open(dialog); // closed without a try: no reception
    EXPECT_TRUE(vk7::testing::WaitUntil([&] { return !controller.Busy(); }));
    dialog.untouched = false;
    dialog.fingerprint = u"CORTA"_s;
    controller.Open(dialog); // refused by the dialog's checks
    EXPECT_TRUE(vk7::testing::WaitUntil([&] { return !controller.Busy(); }));

    QList<StoredReception> stored;
    ASSERT_FALSE(controller.Register()->Store().List({}, &stored).Failed());
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0].result, u"Válido"_s);
    EXPECT_EQ(stored[0].nif, u"B09512344"_s);
    EXPECT_EQ(stored[0].Record().value(u"deposito"_s).toObject().value(u"exitCode"_s).toInt(), 0);
    EXPECT_EQ(stored[1].result, u"No abierto"_s);
    EXPECT_EQ(stored[1].Record().value(u"huella"_s).toString(), u"CORTA"_s);
    EXPECT_TRUE(stored[1]
                    .Record()
                    .value(u"deposito"_s)
                    .toObject()
                    .value(u"openStatus"_s)
                    .toString()
                    .startsWith(u"ERROR. Longitud Huella Digital"_s));

    // A server that is not there: the same reception, its record kept locally.
    controller.SetRegister(std::make_unique<ReceptionRegister>(
        Location(u"postgresql://vk7@%2Fno%2Fexiste:5432/registro"_s), spool));
    dialog.fingerprint = vk7::testing::SampleFingerprint();
    ui.statuses.clear();
    controller.Open(dialog);
    EXPECT_TRUE(vk7::testing::WaitUntil([&] { return !controller.Busy(); }));
    EXPECT_TRUE(controller.State().formIdentified);
    EXPECT_TRUE(ui.statuses.contains(
        u"Registro de recepciones no disponible: la recepción queda guardada localmente."_s));
    EXPECT_EQ(controller.Register()->PendingCount(), 1);
}
