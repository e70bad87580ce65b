#include <gtest/gtest.h>

#include "datafiles/campbdarray.h"
#include "datafiles/depositstate.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

QList<std::pair<int, QString>> Records(const CCampBDArray &fields)
{
    QList<std::pair<int, QString>> records;
    for (qsizetype i = 0; i < fields.GetSize(); ++i)
        records.append({fields.GetAt(i)->key, fields.GetAt(i)->value});
    return records;
}

} // namespace

TEST(StoreOperationsTest, SetFieldTextTrimsIgnoresEmptyAndReplacesInPlace)
{
    CCampBDArray fields;
    SetFieldText(fields, 810210, u"12"_s);
    SetFieldText(fields, 810210, u"   "_s); // blank: the 12 stays
    SetFieldText(fields, 700000, u"  A B  "_s);
    SetFieldText(fields, 800000, u"\tT\t"_s);
    SetFieldText(fields, 810210, u" 34 "_s); // same key: value replaced, position kept
    SetFieldText(fields, 5, QString());
    const QList<std::pair<int, QString>> expected{
        {810210, u"34"_s}, {700000, u"A B"_s}, {800000, u"\tT\t"_s}};
    EXPECT_EQ(Records(fields), expected);
}

TEST(StoreOperationsTest, SetFieldTextByCodeConvertsTheKeyAsAtol)
{
    CCampBDArray fields;
    SetFieldTextByCode(fields, u"810210"_s, u"a"_s);
    SetFieldTextByCode(fields, QString(), u"b"_s);
    SetFieldTextByCode(fields, u"  -12x7"_s, u"c"_s);
    SetFieldTextByCode(fields, u"+0781010abc"_s, u"d"_s);
    const QList<std::pair<int, QString>> expected{
        {810210, u"a"_s}, {0, u"b"_s}, {-12, u"c"_s}, {781010, u"d"_s}};
    EXPECT_EQ(Records(fields), expected);
}

TEST(StoreOperationsTest, RangeClearingEmptiesValuesAndKeepsRecords)
{
    DepositState state;
    const QList<int> keys{810210, 700000, 775220, 775221, 779999, 780000, 781404,
                          781405, 791000, 791001, 791010, 999021, 1000001};
    for (int key : keys)
        SetFieldText(state.fields, key, u"v"_s);
    state.otherDocumentNames = QStringList{u"X"_s};

    const auto emptied = [&] {
        QList<int> empty;
        for (const auto &[key, value] : Records(state.fields))
            if (value.isEmpty())
                empty.append(key);
        return empty;
    };
    const auto refill = [&] {
        for (int key : keys)
            SetFieldText(state.fields, key, u"v"_s);
    };

    ClearAccountsFields(state.fields);
    EXPECT_EQ(emptied(), (QList<int>{810210, 775221, 779999, 781405, 791000, 999021, 1000001}));
    refill();
    ClearSharesFields(state.fields);
    EXPECT_EQ(emptied(), (QList<int>{700000, 775220}));
    refill();
    ClearCertificationFields(state.fields);
    EXPECT_EQ(emptied(), (QList<int>{791001, 791010}));
    refill();
    EXPECT_FALSE(state.otherDocumentNames.isEmpty());
    ClearApplicationFields(state);
    EXPECT_EQ(emptied(), (QList<int>{780000, 781404}));
    EXPECT_TRUE(state.otherDocumentNames.isEmpty());

    // Positions never moved.
    QList<int> order;
    for (const auto &[key, value] : Records(state.fields))
        order.append(key);
    EXPECT_EQ(order, keys);
}

TEST(StoreOperationsTest, LookupKeepsTheFirstRecordForEveryKindOfKey)
{
    // Keys inside and outside the catalogue's range, duplicates appended
    // directly, and records added between lookups.
    CCampBDArray fields;
    const QList<int> keys{0,      9999999, 10000000, -5, 2147483647, -2147483647 - 1,
                          810210, 1023,    1024};
    for (int round = 0; round < 2; ++round) {
        for (int key : keys) {
            CCampBD *record = fields.AddNew();
            record->key = key;
            record->value = QString::number(round);
            if (key == 810210) {
                EXPECT_EQ(fields.FindByKey(key)->value, u"0"_s);
            }
        }
    }
    for (int key : keys) {
        ASSERT_NE(fields.FindByKey(key), nullptr) << key;
        EXPECT_EQ(fields.FindByKey(key), fields.GetAt(keys.indexOf(key))) << key;
    }
    for (int key : {1, -1, 9999998, 10000001, 1025})
        EXPECT_EQ(fields.FindByKey(key), nullptr) << key;
    fields.RemoveAll();
    EXPECT_EQ(fields.FindByKey(0), nullptr);
    SetFieldText(fields, 0, u"a"_s);
    EXPECT_EQ(fields.FindByKey(0), fields.GetAt(0));
}
