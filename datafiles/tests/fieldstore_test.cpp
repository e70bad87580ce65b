#include <gtest/gtest.h>

#include "datafiles/fieldstore.h"

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
