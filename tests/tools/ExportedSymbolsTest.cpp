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

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// Beside the interface, the symbols the linker defines in every shared object.
bool IsAllowed(const std::string& symbol) {
    const std::set<std::string> kSingles = {"InitCertProcessDll", "_init", "_fini", "_edata", "_end", "__bss_start"};
    if (kSingles.count(symbol)) return true;
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

// The demangled names of the defined dynamic symbols ("<address> <type> <name>", the name
// may contain blanks).
TEST(ExportedSymbols, TheDocumentedInterfaceAndNothingElseLeavesTheLibrary) {
    std::istringstream lines(zorvane::testsupport::RunCommand("nm -D --defined-only -C '" ZORVANE_TEST_WORK_DIR
                                                              "/libzorvane.so' | cut -d' ' -f3-")
                                 .output);
    std::vector<std::string> symbols;
    for (std::string symbol; std::getline(lines, symbol);) symbols.push_back(symbol);
    std::ostringstream unexpected;
    for (const std::string& symbol : symbols) {
        if (!IsAllowed(symbol)) unexpected << "  " << symbol << "\n";
    }
    EXPECT_EQ("", unexpected.str()) << "symbols exported beyond the documented interface";
    const std::set<std::string> present(symbols.begin(), symbols.end());
    for (const char* required : {"InitCertProcessDll", "vtable for ByteString",
                                 "operator+(ByteString const&, char const*)",
                                 "CUtil::ByteStringFindCount(ByteString, char*, int&)",
                                 "ErrorLog::WriteErrInfo(ByteString, ByteString, ByteString&)"})
        EXPECT_TRUE(present.count(required)) << required;
}

}  // namespace
