#include <set>

#include <gtest/gtest.h>

#include "reception/documentkind.h"

using namespace vk7;

namespace {

bool Has(const QString &text)
{
    return !text.isEmpty();
}

} // namespace

// A row that misses what its form needs would print, list, warn about or
// open its document with an empty name; one that carries the other form's
// fields would be taken for it.
TEST(DocumentKinds, EveryKindHasOneCompleteRow)
{
    std::set<int> kinds;
    std::set<int> editCommands;
    std::set<int> fingerprintPlaces;
    std::set<QString> codes;
    for (const DocumentKindInfo &row : DocumentKinds()) {
        SCOPED_TRACE(int(row.kind));
        EXPECT_TRUE(kinds.insert(int(row.kind)).second);
        EXPECT_EQ(&DocumentKindOf(row.kind), &row);
        EXPECT_TRUE(Has(row.printJobCode) && codes.insert(row.printJobCode).second);
        if (row.kind == DocumentKind::DiagnosticSheet) {
            EXPECT_FALSE(row.images || row.box || row.editCommand || row.fingerprintPlace);
            EXPECT_TRUE(Has(row.pagePrefix));
            continue;
        }
        ASSERT_TRUE(row.box.has_value());
        EXPECT_NE(*row.box, PrintableDocument::IdentificationBalance);
        EXPECT_TRUE(Has(row.warningFile) && Has(row.dialogTitle));
        EXPECT_TRUE(row.editCommand != 0 && editCommands.insert(row.editCommand).second);
        EXPECT_TRUE(Has(row.editCaption) && Has(row.editPrompt) && Has(row.editToolTip));
        // A document the fingerprint skipped, or read twice, would give
        // another deposit's fingerprint.
        EXPECT_TRUE(fingerprintPlaces.insert(row.fingerprintPlace).second);
        EXPECT_TRUE(!row.fingerprintWhenThere || !row.images);
        EXPECT_EQ(Has(row.depositFile), !row.images);
        EXPECT_EQ(Has(row.pagePrefix), !row.images);
        for (const QString *imageField :
             {&row.imagePattern, &row.imageMarker, &row.jsonName, &row.temporaryName})
            EXPECT_EQ(Has(*imageField), row.images);
    }
    EXPECT_EQ(kinds.size(), size_t(kDocumentKindCount));
    EXPECT_EQ(*fingerprintPlaces.begin(), 1);
    EXPECT_EQ(*fingerprintPlaces.rbegin(), kDocumentKindCount - 1);

    std::set<QString> words;
    for (const PrintChoiceInfo &choice : PrintChoiceTable())
        EXPECT_TRUE(Has(choice.caption) && choice.controlId != 0 &&
                    words.insert(choice.printWord).second);
    EXPECT_EQ(words.size(), size_t(kPrintChoiceCount));
}
