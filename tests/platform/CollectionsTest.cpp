#include <zorvane/Collections.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

struct Record {
    int number;
    ByteString name;
};

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

}  // namespace
