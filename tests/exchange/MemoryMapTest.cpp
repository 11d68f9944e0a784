// The named shared block: its items, and the block between this process, the zorvane
// program as writer and reader, and a holder process.
#include <zorvane/MemoryMap.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "support/ZorvaneProcess.h"

namespace {

std::string FreshName() {
    static int counter = 0;
    return "zorvane-mmf-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

Finished ReadInChild(const std::string& name) { return RunZorvane({"mmf", "read", name}); }

int WriteInChild(const std::string& name, const std::string& text) {
    return RunZorvane({"mmf", "write", name}, text).exitCode;
}

TEST(MemoryMapItems, SiteAndNamedValues) {
    const char hidden[] = "site=a?k=v\0&hidden=1";
    const struct Row {
        ByteString text;
        const char* name;
        const char* item;
    } kRows[] = {
        {ByteString("site=abc?lang=ko&mode=1"), "site=", "abc"},
        {ByteString("site=abc?lang=ko&mode=1"), "user=", "NULL"},
        {ByteString("site=s?x=&y=2"), "x=", ""},
        {ByteString("site=abc"), "site=", "NULL"},
        {ByteString("site=?x=1"), "site=", ""},
        {ByteString("xsite=bc?"), "site=", "=bc"},  // read from position five
        {ByteString(hidden, static_cast<int>(sizeof hidden - 1)), "k=", "v"},  // ends at a zero byte
    };
    CMemoryMap map;
    for (const Row& row : kRows) {
        EXPECT_EQ(std::string(row.item), map.GetMMFItem(row.text, ByteString(row.name)).GetData()) << row.name;
    }
}

// The largest text fits with the zero that ends it; a shorter text replaces a longer one
// whole; a text too long changes nothing.
TEST(MemoryMapProcesses, WriterAndReaderAreSeparateProcesses) {
    const std::string name = FreshName();
    BlockHolder holder;
    ASSERT_TRUE(holder.Start(name));
    std::string largest(99999, 'q');
    largest[0] = 'A';
    largest[99998] = 'Z';
    const struct Row {
        std::string text;
        int exitCode;
        std::string read;
    } kRows[] = {
        {largest, 0, largest},
        {"short", 0, "short"},
        {std::string(100000, 'q'), 1, "short"},
    };
    for (const Row& row : kRows) {
        EXPECT_EQ(row.exitCode, WriteInChild(name, row.text)) << row.text.size();
        EXPECT_EQ(row.read + "\n", ReadInChild(name).output);
    }
    // JSON keeps the text valid UTF-8: a control escaped, a stray byte shown as U+FFFD.
    ASSERT_EQ(0, WriteInChild(name, "a\tb\xff"));
    EXPECT_EQ("{\n  \"name\": \"" + name + "\",\n  \"length\": 4,\n  \"text\": \"a\\u0009b\xef\xbf\xbd\"\n}\n",
              RunZorvane({"mmf", "read", "--json", name}).output);
}

TEST(MemoryMapProcesses, NoBlockBeforeItIsCreated) {
    const std::string name = FreshName();
    EXPECT_NE(std::string::npos, ReadInChild(name).output.find("some process must hold it (zorvane mmf hold NAME) (code 400)"));
    CMemoryMap map;
    ByteString text("untouched");
    EXPECT_EQ(400, map.WriteMMF(ByteString(name.c_str()), ByteString("x")));
    EXPECT_EQ(400, map.ReadMMF(ByteString(name.c_str()), text));
    EXPECT_EQ(std::string("untouched"), text.GetData());
}

// Copies share the mapping until the last one lets go; creating again, also over a
// block another process holds, keeps the block and its text.
TEST(MemoryMapObject, CopiesShareTheMappingUntilTheLastOneLetsGo) {
    const std::string name = FreshName();
    CMemoryMap original;
    original.CreateMMF(ByteString(name.c_str()));
    ASSERT_EQ(0, WriteInChild(name, "written elsewhere"));
    original.CreateMMF(ByteString(name.c_str()));
    {
        CMemoryMap copy(original);
        CMemoryMap assigned;
        CMemoryMap& alias = assigned;
        assigned = copy;
        assigned = alias;
        EXPECT_EQ(original.m_mapping, assigned.m_mapping);
        EXPECT_EQ(0, original.DeleteMMF());
        EXPECT_EQ("written elsewhere\n", ReadInChild(name).output);
    }
    EXPECT_EQ(1, ReadInChild(name).exitCode);
}

}  // namespace
