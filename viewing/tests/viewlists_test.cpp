#include <gtest/gtest.h>

#include "viewing/viewlists.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

QString Range(const ListFill &fill)
{
    return fill.items.join(u' ');
}

} // namespace

TEST(ViewLists, TextSizeListFollowsItsWorkedExamples)
{
    const ListFill ten = TextSizeListFill(10);
    EXPECT_EQ(Range(ten), u"5 6 7 8 9 10 11 12 13 14 15"_s);
    EXPECT_EQ(ten.items.at(ten.selected), u"10"_s);

    const ListFill hundred = TextSizeListFill(100);
    EXPECT_EQ(Range(hundred), u"50 60 70 80 90 100 110 120 130 140 150"_s);
    EXPECT_EQ(hundred.items.at(hundred.selected), u"100"_s);

    EXPECT_EQ(Range(TextSizeListFill(8)), u"3 4 5 6 7 8 9 10 11 12 13"_s);
    // One step or less below keeps nothing under the size.
    const ListFill one = TextSizeListFill(1);
    EXPECT_EQ(Range(one), u"1 2 3 4 5 6"_s);
    EXPECT_EQ(one.selected, 0);
    const ListFill zero = TextSizeListFill(0);
    EXPECT_EQ(Range(zero), u"0 1 2 3 4 5"_s);
    EXPECT_EQ(zero.items.at(zero.selected), u"0"_s);
    // A step that does not divide the size: 25 -> step 2, five steps below.
    EXPECT_EQ(Range(TextSizeListFill(25)), u"15 17 19 21 23 25 27 29 31 33 35"_s);
    // The largest size still ends: its items go past the 32-bit range.
    const ListFill largest = TextSizeListFill(4294967295u);
    EXPECT_EQ(largest.items.size(), 11);
    EXPECT_EQ(largest.items.at(largest.selected), u"4294967295"_s);
}

TEST(ViewLists, PageListCountsFromOne)
{
    EXPECT_TRUE(PageListFill(0).items.isEmpty());
    EXPECT_EQ(PageListFill(0).selected, -1);
    const ListFill three = PageListFill(3);
    EXPECT_EQ(Range(three), u"1 2 3"_s);
    EXPECT_EQ(three.selected, 0);
}
