#include <zorvane/Collections.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

struct Record {
    int number;
    ByteString name;
};

// Callers size their arrays by MFC's rule, so each step of one array is checked: size/8
// bounded to 4 ... 1024, a jump straight to a larger size, a given grow-by, and a
// shrink that keeps the block.
TEST(CArrayGrowth, StepsFollowMfcSetSizeRule) {
    const struct Step {
        int size, growBy, allocated;
    } kSteps[] = {
        {1, -1, 1},       {2, -1, 5},         {6, -1, 9},         {33, -1, 33},    {34, -1, 37},
        {800, -1, 800},   {801, -1, 900},     {20000, -1, 20000}, {20001, -1, 21024}, {3, -1, 21024},
        {21025, 10, 21034}, {0, -1, 0},       {1, -1, 10},        {11, -1, 20},    {50, -1, 50},
    };
    CArray<int, int> array;
    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.size);
        array.SetSize(step.size, step.growBy);
        EXPECT_EQ(step.allocated, array.GetAllocatedSize());
        EXPECT_EQ(step.size, array.GetSize());
    }
}

// New slots are zeroed; objects, even one added from the array itself, survive growth.
TEST(CArrayElements, ZeroedSlotsAndObjectsThatLiveAcrossGrowth) {
    CArray<Record, Record&> array;
    Record first{5, ByteString("self")};
    array.Add(first);
    array.SetSize(3);
    EXPECT_EQ(0, array[2].number);
    EXPECT_TRUE(array[2].name.IsEmpty());
    for (int i = 0; i < 30; ++i) array.Add(array[0]);
    EXPECT_EQ(32, array.GetUpperBound());
    for (int i : {0, 3, 32}) {
        EXPECT_EQ(5, array[i].number);
        EXPECT_EQ("self", Text(array[i].name));
    }
}

TEST(CMapStringToString, OverwritesLooksUpAndRemoves) {
    CMapStringToString map;
    map.SetAt("1", ByteString("yessign"));
    map.SetAt(ByteString("1"), ByteString("signkorea"));
    map.SetAt("yessignCA", ByteString("금융결제원"));
    EXPECT_EQ(2, map.GetCount());
    ByteString value("untouched");
    EXPECT_FALSE(map.Lookup("2", value));
    EXPECT_EQ("untouched", Text(value)) << "a failed lookup leaves the value";
    EXPECT_TRUE(map.Lookup("1", value));
    EXPECT_EQ("signkorea", Text(value));
    EXPECT_TRUE(map.Lookup(ByteString("yessignCA\0tail", 14), value)) << "keys end at their first zero";
    EXPECT_TRUE(map.RemoveKey("1"));
    EXPECT_FALSE(map.RemoveKey("1"));
}

}  // namespace
