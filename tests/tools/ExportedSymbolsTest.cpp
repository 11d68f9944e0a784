// libzorvane.so must export the documented classes, records and InitCertProcessDll and
// nothing else. Reads the dynamic symbol table of the built library with nm.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

const char* const kClasses[] = {"ByteString", "CCryptoEx", "CLoadCert",  "tagCERTLIST", "CGenKey",
                                "tagSESSIONINFO", "CCmdGen", "CMemoryMap", "CUtil", "ErrorLog",
                                "CArray<tagCERTLIST, tagCERTLIST&>"};

// Symbols the linker defines in every shared object.
const std::set<std::string> kLinkerSymbols = {"_init", "_fini", "_edata", "_end", "__bss_start"};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool IsAllowed(const std::string& symbol) {
    if (symbol == "InitCertProcessDll" || kLinkerSymbols.count(symbol)) return true;
    if (StartsWith(symbol, "operator+(ByteString const&, ")) return true;
    for (const char* name : kClasses) {
        const std::string type = name;
        for (const std::string& prefix :
             {type + "::", "typeinfo for " + type, "typeinfo name for " + type, "vtable for " + type}) {
            if (StartsWith(symbol, prefix) && (prefix.back() == ':' || symbol.size() == prefix.size())) return true;
        }
    }
    return false;
}

// The demangled names of the defined dynamic symbols.
std::vector<std::string> ExportedSymbols(const std::string& library) {
    const std::string command = "nm -D --defined-only -C '" + library + "' 2>/dev/null";
    const auto listed = zorvane::testsupport::RunCommand(command);
    EXPECT_EQ(0, listed.status) << "nm failed on " << library;
    std::vector<std::string> symbols;
    std::istringstream lines(listed.output);
    std::string text;
    while (std::getline(lines, text)) {
        // "<address> <type> <name>"; the name may contain blanks.
        const auto first = text.find(' ');
        const auto second = first == std::string::npos ? first : text.find(' ', first + 1);
        if (second != std::string::npos) symbols.push_back(text.substr(second + 1));
    }
    return symbols;
}

TEST(ExportedSymbols, OnlyTheDocumentedInterfaceLeavesTheLibrary) {
    const auto symbols = ExportedSymbols(std::string(ZORVANE_TEST_WORK_DIR) + "/libzorvane.so");
    ASSERT_FALSE(symbols.empty());
    std::ostringstream unexpected;
    for (const std::string& symbol : symbols) {
        if (!IsAllowed(symbol)) unexpected << "  " << symbol << "\n";
    }
    EXPECT_EQ("", unexpected.str()) << "symbols exported beyond the documented interface";
}

TEST(ExportedSymbols, TheDocumentedEntryPointsAreThere) {
    const auto symbols = ExportedSymbols(std::string(ZORVANE_TEST_WORK_DIR) + "/libzorvane.so");
    const std::set<std::string> present(symbols.begin(), symbols.end());
    for (const char* required : {"InitCertProcessDll", "ByteString::ByteString(char const*)",
                                 "ByteString::LoadFile(char const*)", "vtable for ByteString",
                                 "CUtil::ByteStringFindCount(ByteString, char*, int&)",
                                 "ErrorLog::WriteErrInfo(ByteString, ByteString, ByteString&)",
                                 "operator+(ByteString const&, char const*)"}) {
        EXPECT_TRUE(present.count(required)) << required;
    }
}

TEST(ExportedSymbols, TheAllowListRejectsLookalikes) {
    EXPECT_TRUE(IsAllowed("CUtil::ToUpper(unsigned char*)"));
    EXPECT_TRUE(IsAllowed("CArray<tagCERTLIST, tagCERTLIST&>::SetSize(int, int)"));
    EXPECT_FALSE(IsAllowed("CUtilities::Run()"));
    EXPECT_FALSE(IsAllowed("typeinfo for ByteStringHelper"));
    EXPECT_FALSE(IsAllowed("zorvane::paths::Win32PathToNative(char const*)"));
    EXPECT_FALSE(IsAllowed("CreateFileA"));
    EXPECT_FALSE(IsAllowed("std::vector<int, std::allocator<int> >::_M_realloc_insert(int)"));
}

}  // namespace
