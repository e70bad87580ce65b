#include <gtest/gtest.h>

#include "datafiles/campbdarray.h"

using namespace vk7;
using namespace Qt::StringLiterals;

TEST(FieldStoreTest, LookupFindsTheFirstRecordOfAKeyInInsertionOrder)
{
    CCampBDArray store;
    for (int key : {810210, 700000, 810210}) {
        CCampBD *record = store.AddNew();
        record->key = key;
        record->value = QString::number(store.GetSize());
    }
    ASSERT_EQ(store.GetSize(), 3);
    EXPECT_EQ(store.FindByKey(810210), store.GetAt(0));
    EXPECT_EQ(store.FindByKey(700000)->value, u"2"_s);
    EXPECT_EQ(store.FindByKey(1), nullptr);
    // Records added after a lookup are found as well.
    store.AddNew()->key = 5;
    EXPECT_EQ(store.FindByKey(5), store.GetAt(3));
    store.RemoveAll();
    EXPECT_EQ(store.GetSize(), 0);
    EXPECT_EQ(store.FindByKey(810210), nullptr);
}

TEST(FieldStoreTest, FileBytesKeepTheStoreRulesBeforeAndAfterARecordIsHandedOut)
{
    CCampBDArray store;
    store.SetFieldBytes(810220, "  Caf\xe9 \x80  ");
    store.SetFieldBytes(200000, "12");
    store.SetFieldBytes(200000, "-1234567890123.45 and more"); // outgrows its room
    store.SetFieldBytes(200000, "   ");                        // ignored
    store.SetFieldBytes(300000, "long value");
    store.SetFieldBytes(300000, "7"); // fits in the room it had
    ASSERT_EQ(store.GetSize(), 3);
    EXPECT_EQ(store.FieldValue(810220), u"Café €"_s);
    EXPECT_EQ(store.FieldValue(200000), u"-1234567890123.45 and more"_s);
    EXPECT_EQ(store.FieldValue(300000), u"7"_s);

    // A record handed out is the value's home from then on, for both ways in.
    CCampBD *record = store.FindByKey(200000);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->key, 200000);
    EXPECT_EQ(store.GetAt(1), record);
    store.SetFieldBytes(200000, "5");
    EXPECT_EQ(record->value, u"5"_s);
    record->value = u"6"_s;
    EXPECT_EQ(store.FieldValue(200000), u"6"_s);

    store.ClearValues([](int key) { return key >= 200000 && key <= 300000; });
    QList<QPair<int, QString>> visited;
    store.VisitFields([&](int key, const QString &value) { visited.append({key, value}); });
    EXPECT_EQ(visited, (QList<QPair<int, QString>>{
                           {810220, u"Café €"_s}, {200000, QString()}, {300000, QString()}}));
    // A cleared value is stored again in place.
    store.SetFieldBytes(300000, "8");
    EXPECT_EQ(store.GetSize(), 3);
    EXPECT_EQ(store.GetAt(2)->value, u"8"_s);
}
