#include <zorvane/Collections.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

struct Record {
    int number;
    ByteString name;
};

TEST(CArrayGrowth, AddsFollowMfcSetSizeRule) {
    CArray<int, int> array;
    std::vector<int> allocated;
    for (int i = 0; i < 40; ++i) {
        array.Add(i);
        allocated.push_back(array.GetAllocatedSize());
    }
    // 1, then steps of 4 while size / 8 is below 4, then size / 8.
    EXPECT_EQ(1, allocated[0]);
    EXPECT_EQ(5, allocated[1]);
    EXPECT_EQ(5, allocated[4]);
    EXPECT_EQ(9, allocated[5]);
    EXPECT_EQ(33, allocated[29]);
    EXPECT_EQ(37, allocated[33]) << "size 33 grows by 33 / 8 = 4";
    EXPECT_EQ(40, array.GetSize());
    for (int i = 0; i < 40; ++i) EXPECT_EQ(i, array[i]);
}

TEST(CArrayGrowth, LargeArraysGrowByAnEighthUpTo1024) {
    CArray<int, int> array;
    array.SetSize(800);
    EXPECT_EQ(800, array.GetAllocatedSize());
    array.Add(1);
    EXPECT_EQ(900, array.GetAllocatedSize());
    array.SetSize(20000);
    array.SetSize(20001);
    EXPECT_EQ(21024, array.GetAllocatedSize());
}

TEST(CArrayGrowth, AGivenGrowByAndAJumpPastIt) {
    CArray<int, int> array;
    array.SetSize(0, 10);
    array.Add(7);
    EXPECT_EQ(10, array.GetAllocatedSize());
    array.SetSize(11);
    EXPECT_EQ(20, array.GetAllocatedSize());
    array.SetSize(50);
    EXPECT_EQ(50, array.GetAllocatedSize()) << "straight to a size beyond one step";
    array.SetSize(3);
    EXPECT_EQ(50, array.GetAllocatedSize()) << "shrinking keeps the block";
    EXPECT_EQ(7, array[0]);
    array.RemoveAll();
    EXPECT_EQ(0, array.GetAllocatedSize());
    EXPECT_TRUE(array.IsEmpty());
}

TEST(CArrayElements, NewElementsAreZeroedAndObjectsLiveAcrossGrowth) {
    CArray<Record, Record&> array;
    Record first{1, ByteString("hong")};
    array.Add(first);
    array.SetSize(3);
    EXPECT_EQ(0, array[2].number);
    EXPECT_TRUE(array[2].name.IsEmpty());
    for (int i = 0; i < 30; ++i) {
        Record next{i, ByteString("n")};
        array.Add(next);
    }
    EXPECT_EQ("hong", Text(array[0].name));
    EXPECT_EQ(33, array.GetSize());
    EXPECT_EQ(32, array.GetUpperBound());
}

TEST(CArrayElements, AddingAnElementOfTheArrayItselfSurvivesGrowth) {
    CArray<Record, Record&> array;
    Record first{5, ByteString("self")};
    array.Add(first);
    for (int i = 0; i < 20; ++i) array.Add(array[0]);
    EXPECT_EQ(21, array.GetSize());
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(5, array[i].number);
        EXPECT_EQ("self", Text(array[i].name));
    }
}

TEST(CStringArray, AddsInOrder) {
    CStringArray texts;
    EXPECT_EQ(0, texts.Add(ByteString("1.2.410.200004.5.2.1.1")));
    EXPECT_EQ(1, texts.Add(ByteString("")));
    EXPECT_EQ(2, texts.GetSize());
    EXPECT_EQ("1.2.410.200004.5.2.1.1", Text(texts[0]));
    texts.ElementAt(1) = "x";
    EXPECT_EQ("x", Text(texts.GetAt(1)));
    texts.RemoveAll();
    EXPECT_TRUE(texts.IsEmpty());
}

TEST(CStringList, HeadAndTail) {
    CStringList list;
    list.AddTail(ByteString("b"));
    list.AddHead(ByteString("a"));
    list.AddTail(ByteString("c"));
    ASSERT_EQ(3, list.GetCount());
    std::string joined;
    for (const ByteString& item : list) joined += Text(item);
    EXPECT_EQ("abc", joined);
    EXPECT_EQ("c", Text(list.GetAt(2)));
}

TEST(CMapStringToString, OverwritesLooksUpAndRemoves) {
    CMapStringToString map;
    map.SetAt("1", ByteString("yessign"));
    map.SetAt(ByteString("1"), ByteString("signkorea"));
    map.SetAt("yessignCA", ByteString("금융결제원"));
    EXPECT_EQ(2, map.GetCount());
    ByteString value("untouched");
    EXPECT_TRUE(map.Lookup("1", value));
    EXPECT_EQ("signkorea", Text(value));
    value = "untouched";
    EXPECT_FALSE(map.Lookup("2", value));
    EXPECT_EQ("untouched", Text(value)) << "a failed lookup leaves the value";
    EXPECT_TRUE(map.Lookup(ByteString("yessignCA\0tail", 14), value)) << "keys end at their first zero";
    EXPECT_TRUE(map.RemoveKey("1"));
    EXPECT_FALSE(map.RemoveKey("1"));
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
}

}  // namespace
