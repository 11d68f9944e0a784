// libzorvane.so must export the documented classes, records and InitCertProcessDll and
// nothing else. Reads the dynamic symbol table of the built library with nm.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/TestSupport.h"

namespace {

const std::string kClasses =
    "(ByteString|CCryptoEx|CLoadCert|tagCERTLIST|CGenKey|tagSESSIONINFO|CCmdGen|CMemoryMap|CUtil|ErrorLog|"
    "CArray<tagCERTLIST, tagCERTLIST&>)";
// The interface, and beside it the symbols the linker defines in every shared object.
const std::regex kAllowed("InitCertProcessDll|_init|_fini|_edata|_end|__bss_start|operator\\+\\(ByteString const&, .*|"
                          "(typeinfo (name )?for |vtable for )" +
                          kClasses + "|" + kClasses + "::.*");

// The demangled names of the defined dynamic symbols ("<address> <type> <name>", the name
// may contain blanks).
TEST(ExportedSymbols, TheDocumentedInterfaceAndNothingElseLeavesTheLibrary) {
    std::istringstream lines(zorvane::testsupport::RunCommand("nm -D --defined-only -C '" ZORVANE_TEST_WORK_DIR
                                                              "/libzorvane.so' | cut -d' ' -f3-")
                                 .output);
    std::set<std::string> present;
    std::string unexpected;
    for (std::string symbol; std::getline(lines, symbol);) {
        present.insert(symbol);
        if (!std::regex_match(symbol, kAllowed)) unexpected += "  " + symbol + "\n";
    }
    EXPECT_EQ("", unexpected) << "symbols exported beyond the documented interface";
    for (const char* required : {"InitCertProcessDll", "vtable for ByteString",
                                 "operator+(ByteString const&, char const*)",
                                 "CUtil::ByteStringFindCount(ByteString, char*, int&)",
                                 "ErrorLog::WriteErrInfo(ByteString, ByteString, ByteString&)"})
        EXPECT_TRUE(present.count(required)) << required;
}

}  // namespace
