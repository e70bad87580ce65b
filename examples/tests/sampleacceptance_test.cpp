// The sample deposit is a valid filing: it loads, identifies as the euro
// ordinary form and breaks no coherence rule.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "examples/sampledeposit.h"
#include "reception/paths.h"
#include "verification/clock.h"
#include "verification/coherencecheck.h"
#include "verification/coherencerules.h"
#include "verification/formdecision.h"

using namespace vk7;
using namespace Qt::StringLiterals;

TEST(SampleAcceptanceTest, LoadsAsAValidEuroOrdinaryDeposit)
{
    QTemporaryDir drive;
    ASSERT_TRUE(drive.isValid());
    PathResolver::SetDriveRoot(u'C', drive.path());
    ASSERT_TRUE(samples::WriteSampleDeposit(drive.path() + u"/TMP_VK7"_s, nullptr));

    DepositState state;
    CFileCopyDialog loader(state);
    loader.LoadDeposit();

    EXPECT_EQ(state.Pages(DocumentKind::MemoriaText).size(), 3);
    EXPECT_EQ(state.Pages(DocumentKind::ManagementReportText).size(), 2);

    QString formName, formError;
    EXPECT_TRUE(DecideFormName(state.fields, true, &formName, &formError))
        << formError.toStdString();
    EXPECT_EQ(formName, u"K7NE"_s);

    QList<ErrorRecord> records;
    RunCoherenceRules(state, ActivityTablePath(QStringLiteral(VK7_BIN_DIR) + u'/'), &records,
                      DefaultClock());
    EXPECT_TRUE(records.isEmpty()) << FormatErrorRecords(records).join(u'\n').toStdString();
    PathResolver::ClearDriveRoots();
}
