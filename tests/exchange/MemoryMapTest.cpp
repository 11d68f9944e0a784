#include <zorvane/MemoryMap.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/ZorvaneProcess.h"

namespace {

std::string FreshName() {
    static int counter = 0;
    return "zorvane-mmf-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

Finished ReadInChild(const std::string& name) { return RunZorvane({"mmf", "read", name}); }

// Whether the block's file is still in shared memory, without opening it (an open
// would clear away a block whose holders are gone).
bool BlockFileRemains(const std::string& name) {
    const std::string path = "/dev/shm/zorvane-" + std::to_string(geteuid()) + "/map-" + name;
    return access(path.c_str(), F_OK) == 0;
}

// --- Items of a query-style text --------------------------------------------------------------

TEST(MemoryMapItems, SiteAndNamedValues) {
    CMemoryMap map;
    const ByteString text("site=abc?lang=ko&mode=1");
    EXPECT_EQ(std::string("abc"), map.GetMMFItem(text, ByteString("site=")).GetData());
    EXPECT_EQ(std::string("ko"), map.GetMMFItem(text, ByteString("lang=")).GetData());
    EXPECT_EQ(std::string("1"), map.GetMMFItem(text, ByteString("mode=")).GetData());
    EXPECT_EQ(std::string("NULL"), map.GetMMFItem(text, ByteString("user=")).GetData());
}

TEST(MemoryMapItems, NamesAreFoundAsPlainSubstrings) {
    CMemoryMap map;
    EXPECT_EQ(std::string("kim"), map.GetMMFItem(ByteString("site=s?userid=kim"), ByteString("id=")).GetData());
    EXPECT_EQ(std::string("a=b"), map.GetMMFItem(ByteString("site=s?x=a=b&y=2"), ByteString("x=")).GetData());
    EXPECT_TRUE(map.GetMMFItem(ByteString("site=s?x=&y=2"), ByteString("x=")).IsEmpty());
}

TEST(MemoryMapItems, SiteNeedsAQuestionMarkAndIsReadFromPositionFive) {
    CMemoryMap map;
    EXPECT_EQ(std::string("NULL"), map.GetMMFItem(ByteString("site=abc"), ByteString("site=")).GetData());
    EXPECT_TRUE(map.GetMMFItem(ByteString("ab?cdefgh"), ByteString("site=")).IsEmpty());
    EXPECT_TRUE(map.GetMMFItem(ByteString("site=?x=1"), ByteString("site=")).IsEmpty());
    EXPECT_EQ(std::string("=bc"), map.GetMMFItem(ByteString("xsite=bc?"), ByteString("site=")).GetData());
    EXPECT_EQ(std::string("NULL"), map.GetMMFItem(ByteString(), ByteString("site=")).GetData());
}

TEST(MemoryMapItems, TextEndsAtItsFirstZeroByte) {
    CMemoryMap map;
    const char bytes[] = "site=a?k=v\0&hidden=1";
    const ByteString text(bytes, static_cast<int>(sizeof bytes - 1));
    EXPECT_EQ(std::string("v"), map.GetMMFItem(text, ByteString("k=")).GetData());
    EXPECT_EQ(std::string("NULL"), map.GetMMFItem(text, ByteString("hidden=")).GetData());
}

// --- The shared block between processes -------------------------------------------------------

TEST(MemoryMapProcesses, WriterAndReaderAreSeparateProcesses) {
    const std::string name = FreshName();
    BlockHolder holder;
    ASSERT_TRUE(holder.Start(name));
    Finished write = RunZorvane({"mmf", "write", name, "site=abc?lang=ko&mode=1"});
    ASSERT_EQ(0, write.exitCode) << write.output;
    Finished read = ReadInChild(name);
    ASSERT_EQ(0, read.exitCode) << read.output;
    EXPECT_EQ("site=abc?lang=ko&mode=1\n", read.output);
}

TEST(MemoryMapProcesses, AShorterTextReplacesALongerOneWhole) {
    const std::string name = FreshName();
    BlockHolder holder;
    ASSERT_TRUE(holder.Start(name));
    ASSERT_EQ(0, RunZorvane({"mmf", "write", name, "a rather long first text"}).exitCode);
    ASSERT_EQ(0, RunZorvane({"mmf", "write", name, "short"}).exitCode);
    EXPECT_EQ("short\n", ReadInChild(name).output);
}

TEST(MemoryMapProcesses, NoBlockBeforeItIsCreated) {
    const std::string name = FreshName();
    Finished write = RunZorvane({"mmf", "write", name, "text"});
    EXPECT_EQ(1, write.exitCode);
    EXPECT_NE(std::string::npos, write.output.find("no block of that name exists; some process must hold it (zorvane mmf hold NAME) (code 400)")) << write.output;
    Finished read = ReadInChild(name);
    EXPECT_EQ(1, read.exitCode);
    EXPECT_NE(std::string::npos, read.output.find("no block of that name exists; some process must hold it (zorvane mmf hold NAME) (code 400)")) << read.output;
    CMemoryMap map;
    ByteString text("untouched");
    EXPECT_EQ(400, map.WriteMMF(ByteString(name.c_str()), ByteString("x")));
    EXPECT_EQ(400, map.ReadMMF(ByteString(name.c_str()), text));
    EXPECT_EQ(std::string("untouched"), text.GetData());
}

TEST(MemoryMapProcesses, BlockIsGoneOnceItsLastHolderHasExited) {
    for (int signal : {SIGTERM, SIGINT, SIGKILL}) {
        const std::string name = FreshName();
        BlockHolder holder;
        ASSERT_TRUE(holder.Start(name));
        ASSERT_EQ(0, RunZorvane({"mmf", "write", name, "kept while held"}).exitCode);
        EXPECT_EQ("kept while held\n", ReadInChild(name).output);
        const int status = holder.Stop(signal);
        if (signal != SIGKILL) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << signal;
        }
        EXPECT_EQ(1, ReadInChild(name).exitCode) << "signal " << signal;
    }
}

TEST(MemoryMapProcesses, ALargeTextThroughStandardInput) {
    const std::string name = FreshName();
    BlockHolder holder;
    ASSERT_TRUE(holder.Start(name));
    std::string largest(99999, 'q');
    largest[0] = 'A';
    largest[99998] = 'Z';
    ASSERT_EQ(0, RunZorvane({"mmf", "write", name}, largest).exitCode);
    EXPECT_EQ(largest + "\n", ReadInChild(name).output);
    Finished tooLong = RunZorvane({"mmf", "write", name}, std::string(100000, 'q'));
    EXPECT_EQ(1, tooLong.exitCode);
    EXPECT_NE(std::string::npos, tooLong.output.find("at most 99999 bytes of text (code 402)")) << tooLong.output;
    EXPECT_EQ(largest + "\n", ReadInChild(name).output);
}

// --- The mapping object in this process ----------------------------------------------------

// Copies share the mapping: it lasts until the last copy lets go of it.
TEST(MemoryMapObject, CopiesShareTheMappingUntilTheLastOneLetsGo) {
    const std::string name = FreshName();
    CMemoryMap original;
    original.CreateMMF(ByteString(name.c_str()));
    ASSERT_NE(nullptr, original.m_mapping);
    {
        CMemoryMap copy(original);
        CMemoryMap assigned;
        assigned = copy;
        EXPECT_EQ(original.m_mapping, copy.m_mapping);
        EXPECT_EQ(original.m_mapping, assigned.m_mapping);
        EXPECT_EQ(0, original.DeleteMMF());
        EXPECT_EQ(nullptr, original.m_mapping);
        EXPECT_EQ(0, ReadInChild(name).exitCode);
    }
    EXPECT_EQ(1, ReadInChild(name).exitCode);
}

TEST(MemoryMapObject, CreateOpensAnExistingBlockOfTheSameName) {
    const std::string name = FreshName();
    BlockHolder holder;
    ASSERT_TRUE(holder.Start(name));
    ASSERT_EQ(0, RunZorvane({"mmf", "write", name, "from elsewhere"}).exitCode);
    CMemoryMap map;
    map.CreateMMF(ByteString(name.c_str()));
    ASSERT_NE(nullptr, map.m_mapping);
    holder.Stop(SIGTERM);
    EXPECT_EQ("from elsewhere\n", ReadInChild(name).output);
}

TEST(MemoryMapObject, CreatingAgainKeepsTheTextOfTheBlock) {
    const std::string name = FreshName();
    CMemoryMap map;
    map.CreateMMF(ByteString(name.c_str()));
    ASSERT_NE(nullptr, map.m_mapping);
    ASSERT_EQ(0, RunZorvane({"mmf", "write", name, "written elsewhere"}).exitCode);
    map.CreateMMF(ByteString(name.c_str()));
    ASSERT_NE(nullptr, map.m_mapping);
    EXPECT_EQ("written elsewhere\n", ReadInChild(name).output);
}

// A forked child shares its parent's holds; its normal exit must not let them go.
TEST(MemoryMapObject, AForkedChildThatExitsLeavesItsParentsHold) {
    const std::string name = FreshName();
    CMemoryMap map;
    map.CreateMMF(ByteString(name.c_str()));
    ASSERT_EQ(1, map.WriteMMF(ByteString(name.c_str()), ByteString("parent's text")));
    EXPECT_EXIT(std::exit(0), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("parent's text\n", ReadInChild(name).output);
}

// Runs in a child process of its own (the block it keeps must go when it ends); each
// step that goes wrong is named on standard error.
bool WriteAndReadKeepTheBlock(const std::string& name) {
    const ByteString blockName(name.c_str());
    bool ok = true;
    auto check = [&ok](bool passed, const char* step) {
        if (!passed) std::fprintf(stderr, "failed: %s\n", step);
        ok = ok && passed;
    };
    {
        CMemoryMap creator;
        creator.CreateMMF(blockName);
        check(creator.WriteMMF(blockName, ByteString("stays")) == 1, "write through the creator");
    }
    CMemoryMap map;
    ByteString text;
    check(map.ReadMMF(blockName, text) == 1 && text == "stays", "read after the creator is gone");
    check(ReadInChild(name).output == "stays\n", "read from another process");
    check(map.WriteMMF(blockName, ByteString()) == 1, "write an empty text");
    check(map.ReadMMF(blockName, text) == 1 && text.IsEmpty(), "read the empty text");
    check(map.WriteMMF(blockName, ByteString(std::string(100000, 'x').c_str())) == 402, "refuse 100000 bytes");
    check(map.ReadMMF(blockName, text) == 1 && text.IsEmpty(), "nothing written by the refusal");
    return ok;
}

// Writing and reading keep the block for the rest of the process: it outlives the
// object that created it, and goes with the process.
TEST(MemoryMapObject, WriteAndReadKeepTheBlockForTheRestOfTheProcess) {
    const std::string name = FreshName();
    EXPECT_EXIT(std::exit(WriteAndReadKeepTheBlock(name) ? 0 : 1), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(BlockFileRemains(name)) << "the exit of the last holder removes the block";
    EXPECT_EQ(1, ReadInChild(name).exitCode);
}

}  // namespace
