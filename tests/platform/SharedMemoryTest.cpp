#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Win32.h"
#include "support/TestSupport.h"
#include "support/ZorvaneProcess.h"

// The other process is `zorvane mmf`, which reaches the blocks through the same calls.

namespace {

using zorvane::testsupport::Quoted;

constexpr DWORD kBlockSize = 100000;

// Names unique to this run of this test.
std::string UniqueName(const std::string& test) { return "Local\\ZvTest-" + test + "-" + std::to_string(getpid()); }

HANDLE Create(const std::string& name, DWORD size = kBlockSize) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
}

HANDLE Open(const std::string& name) { return OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()); }

char* MapWhole(HANDLE block) { return static_cast<char*>(MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, 0)); }

// The block's text as another process reads it; "<none>" when it finds no block.
std::string ReadElsewhere(const std::string& name) {
    const Finished read = RunZorvane({"mmf", "read", name});
    return read.exitCode == 0 ? read.output.substr(0, read.output.size() - 1) : "<none>";
}

// Whether anything of the block with this (unescaped part of a) name is left in the
// caller's block folder.
bool LeavesTraces(const std::string& test) {
    const std::string token = "ZvTest-" + test + "-" + std::to_string(getpid());
    DIR* folder = opendir(("/dev/shm/zorvane-" + std::to_string(geteuid())).c_str());
    if (!folder) return false;
    bool found = false;
    while (const dirent* entry = readdir(folder)) found = found || std::strstr(entry->d_name, token.c_str());
    closedir(folder);
    return found;
}

// The name goes with the last handle, here a killed holder's: nothing of the block is
// left, and a new block of the name starts empty. A view outlives it and unmaps once.
TEST(SharedMemory, TheBlockGoesWithItsLastHolderAndLeavesNoTrace) {
    const std::string name = UniqueName("gone");
    BlockHolder holder;
    ASSERT_TRUE(holder.Start(name));
    ASSERT_EQ(0, RunZorvane({"mmf", "write", name, "held text"}).exitCode);
    HANDLE block = Open(name);
    ASSERT_NE(nullptr, block);
    char* view = MapWhole(block);
    EXPECT_TRUE(CloseHandle(block));
    EXPECT_FALSE(CloseHandle(block)) << "a handle closes once";
    holder.Stop(SIGKILL);
    EXPECT_EQ(nullptr, Open(name));
    EXPECT_FALSE(LeavesTraces("gone"));
    EXPECT_STREQ("held text", view);
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));
    HANDLE fresh = Create(name);
    ASSERT_NE(nullptr, fresh);
    EXPECT_STREQ("", MapWhole(fresh)) << "a new block of the same name starts empty";
    EXPECT_TRUE(CloseHandle(fresh));
    EXPECT_FALSE(LeavesTraces("gone"));
}

// A read-only handle maps no writable view, and no view reaches beyond the block.
TEST(SharedMemory, RefusesWhatItDoesNotOffer) {
    const std::string name = UniqueName("refuse");
    EXPECT_EQ(nullptr, Create(name, 0));
    HANDLE block = Create(name);
    HANDLE readOnly = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(nullptr, readOnly);
    EXPECT_EQ(nullptr, MapViewOfFile(readOnly, FILE_MAP_WRITE, 0, 0, 0));
    EXPECT_EQ(nullptr, MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize + 1));
    CloseHandle(readOnly);
    CloseHandle(block);
}

// Slashes, backslashes and long names each make a block of their own.
TEST(SharedMemory, AnyNameIsItsOwnBlock) {
    const std::string names[] = {UniqueName("a/b"), UniqueName("a\\b"), UniqueName(std::string(400, 'n'))};
    std::vector<HANDLE> blocks;
    for (const std::string& name : names) {
        blocks.push_back(Create(name));
        ASSERT_NE(nullptr, blocks.back());
        std::strcpy(MapWhole(blocks.back()), name.c_str());
    }
    for (const std::string& name : names) EXPECT_EQ(name, ReadElsewhere(name));
    for (HANDLE block : blocks) CloseHandle(block);
}

// --- Another local user against the blocks of a victim ------------------------------------

// What a second user prepares in /dev/shm before the victim makes its block. In the
// commands, {A} is the victim's uid, {N} the block's name as stored, {T} a path the
// attacker owns.
struct LocalAttack {
    const char* what;
    const char* prepare;
    bool victimHolds;  // false: the victim must refuse to make the block at all
};

const LocalAttack kLocalAttacks[] = {
    {"files at the names a block once used, open to all",
     "touch /dev/shm/zorvane-{A}-map-{N} /dev/shm/zorvane-{A}-map-{N}.holders && "
     "chmod 666 /dev/shm/zorvane-{A}-map-{N}*",
     true},
    {"a link where the holders file once was", "ln -s {T} /dev/shm/zorvane-{A}-map-{N}.holders", true},
    {"the victim's folder, made open to all", "mkdir -m 777 /dev/shm/zorvane-{A}", false},
    {"the victim's folder as a link to the attacker's",
     "mkdir -m 700 {T} && ln -s {T} /dev/shm/zorvane-{A}", false},
};

void PrintTo(const LocalAttack& attack, std::ostream* out) { *out << attack.what; }

std::string Filled(std::string command, const std::string& victim, const std::string& stored,
                   const std::string& target) {
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{A}", victim}, {"{N}", stored}, {"{T}", target}}) {
        for (std::size_t at; (at = command.find(mark)) != std::string::npos;) command.replace(at, mark.size(), value);
    }
    return command;
}

zorvane::testsupport::CommandResult RunAs(uid_t user, const std::string& command) {
    const std::string id = std::to_string(user);
    return zorvane::testsupport::RunCommand("setpriv --reuid=" + id + " --regid=" + id + " --clear-groups sh -c " +
                                            Quoted(command) + " 2>/dev/null");
}

// `zorvane mmf hold NAME` as another user, for as long as this object lives.
class HolderAs {
public:
    HolderAs(uid_t user, const std::string& name) {
        const std::string id = std::to_string(user);
        m_output = popen(("echo $$; exec setpriv --reuid=" + id + " --regid=" + id + " --clear-groups " +
                          ZorvaneProgram() + " mmf hold \"" + name + "\" 2>/dev/null")
                             .c_str(),
                         "r");
        char line[512] = {0};
        if (m_output && std::fgets(line, sizeof line, m_output)) m_pid = std::atoi(line);
        held = m_pid > 0 && std::fgets(line, sizeof line, m_output) && line == "holding " + name + "\n";
    }
    ~HolderAs() {
        if (m_pid > 0) kill(m_pid, SIGKILL);
        if (m_output) pclose(m_output);
    }
    bool held = false;

private:
    FILE* m_output = nullptr;
    pid_t m_pid = -1;
};

class SharedMemoryAttack : public ::testing::TestWithParam<LocalAttack> {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two other users";
    }
    void TearDown() override {
        zorvane::testsupport::RunCommand("rm -rf /dev/shm/zorvane-" + std::to_string(m_victim) + "* " + m_target);
    }
    // Users of their own for this run, so that parallel runs do not meet.
    const uid_t m_victim = 300000 + static_cast<uid_t>(getpid() % 100000) * 2;
    const uid_t m_attacker = m_victim + 1;
    const std::string m_target = "/tmp/zorvane-attack-" + std::to_string(getpid());
};

TEST_P(SharedMemoryAttack, TheVictimsTextStaysItsOwn) {
    const LocalAttack& attack = GetParam();
    const std::string name = "Local\\secret-" + std::to_string(getpid());
    const std::string stored = "Local%5Csecret-" + std::to_string(getpid());
    const std::string victim = std::to_string(m_victim);
    ASSERT_EQ(0, RunAs(m_attacker, Filled(attack.prepare, victim, stored, m_target)).status) << attack.what;

    const HolderAs holder(m_victim, name);
    EXPECT_EQ(attack.victimHolds, holder.held) << attack.what;
    if (holder.held) {
        const std::string write = "printf pw=victim-secret | " + ZorvaneProgram() + " mmf write \"" + name + "\"";
        EXPECT_EQ(0, RunAs(m_victim, write).status);
        EXPECT_EQ("pw=victim-secret\n", RunAs(m_victim, ZorvaneProgram() + " mmf read \"" + name + "\"").output)
            << "nothing lost";
    }

    const std::string stolen =
        RunAs(m_attacker, Filled("cat /dev/shm/zorvane-{A}-map-{N} /dev/shm/zorvane-{A}/map-{N} {T} {T}/*", victim,
                                 stored, m_target))
            .output;
    EXPECT_EQ(std::string::npos, stolen.find("victim-secret")) << attack.what;
    EXPECT_EQ("", zorvane::testsupport::RunCommand("find " + m_target + " -user " + victim + " 2>/dev/null").output)
        << "the victim made a file where the attacker chose: " << attack.what;
}

INSTANTIATE_TEST_SUITE_P(LocalAttacks, SharedMemoryAttack, ::testing::ValuesIn(kLocalAttacks));

}  // namespace
