// Runs every folder of app/tests/cases through the reception chain, as the
// Open command and the checker run it, and compares the checker's JSON with
// the members the folder's expected.json gives. A new case is a new folder:
//   deposit/        the medium, FICHERO.TXT and the files it names
//   case.json       {"fingerprint": typed, "appFolderWithoutForms": bool}
//   expected.json   the members to compare; "${appFolder}" in a text stands
//                   for the program folder the case ran with

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/checkreport.h"
#include "app/receptionchain.h"
#include "components/formdocument.h"
#include "datafiles/depositstate.h"
#include "reception/paths.h"
#include "testing/guiapplication.h"
#include "verification/clock.h"

using namespace Qt::StringLiterals;
using namespace vk7;

// Case names in failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << text.toStdString();
}

namespace {

const QString kCasesFolder = QStringLiteral(VK7_SOURCE_DIR) + u"/app/tests/cases"_s;

QJsonObject ReadJsonObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonValue Substitute(const QJsonValue &value, const QString &appFolder)
{
    if (value.isString())
        return value.toString().replace(u"${appFolder}"_s, appFolder);
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue &item : value.toArray())
            array.append(Substitute(item, appFolder));
        return array;
    }
    return value;
}

std::string Show(const QJsonValue &value)
{
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Indented).toStdString();
}

class DepositCase : public ::testing::TestWithParam<QString>
{
};

TEST_P(DepositCase, ChainGivesTheExpectedVerdict)
{
    const QString folder = kCasesFolder + u'/' + GetParam();
    const QJsonObject setup = ReadJsonObject(folder + u"/case.json"_s);
    const QJsonObject expected = ReadJsonObject(folder + u"/expected.json"_s);
    ASSERT_FALSE(expected.isEmpty()) << "expected.json missing or not an object";

    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    ASSERT_TRUE(QDir().mkpath(scratch.path() + u"/C"_s));
    PathResolver::ClearDriveRoots();
    PathResolver::SetDriveRoot(u'C', scratch.path() + u"/C"_s);

    QString appFolder = QStringLiteral(VK7_BIN_DIR) + u"\\"_s;
    if (setup.value(u"appFolderWithoutForms"_s).toBool()) {
        // A program folder with the activity table but no form templates.
        const QString app = scratch.path() + u"/app"_s;
        ASSERT_TRUE(QDir().mkpath(app + u"/DATA"_s));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VK7_SOURCE_DIR) + u"/DATA/CNAE.TXT"_s,
                                app + u"/DATA/CNAE.TXT"_s));
        appFolder = app + u"\\"_s;
    }

    CFormDocument form;
    DepositState state;
    FrameState frame{.form = &form, .appFolder = appFolder};
    SilentUserInterface ui;
    ReceptionChain chain(state, frame, &ui, DefaultClock());
    bool accepted = false;
    QString status;
    const ReceptionResult result = chain.Open(
        {folder + u"/deposit/FICHERO.TXT"_s, u"1"_s, setup.value(u"fingerprint"_s).toString()},
        &accepted, &status);
    ASSERT_TRUE(accepted) << status.toStdString();

    const QJsonObject actual = QJsonDocument::fromJson(BuildCheckJson(state, result)).object();
    ASSERT_FALSE(actual.isEmpty());
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it) {
        const QJsonValue want = Substitute(it.value(), appFolder);
        EXPECT_EQ(actual.value(it.key()), want)
            << it.key().toStdString() << "\n expected: " << Show(want)
            << " actual: " << Show(actual.value(it.key()));
    }
    PathResolver::ClearDriveRoots();
}

std::vector<QString> CaseNames()
{
    std::vector<QString> names;
    for (const QString &name :
         QDir(kCasesFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        names.push_back(name);
    return names;
}

std::string CaseTestName(const ::testing::TestParamInfo<QString> &info)
{
    QString name = info.param;
    name.replace(u'-', u'_');
    return name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, DepositCase, ::testing::ValuesIn(CaseNames()), CaseTestName);

// Page rendering needs fonts, so the whole run has a GUI application.
const auto *const kGui = vk7::testing::AddGuiApplicationEnvironment();

} // namespace
