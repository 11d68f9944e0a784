#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Win32.h"

namespace {

// Unknown names stay, the result is the size needed, and a text that does not fit is cut
// to the buffer, never beyond it.
TEST(Environment, ExpansionKeepsUnknownNamesAndIsCutToTheBuffer) {
    setenv("ZORVANE_TEST_VARIABLE", "value", 1);
    char out[64];
    EXPECT_EQ(26u, ExpandEnvironmentStringsA("a%zorvane_test_variable%b%NoSuchVariable%c%", out, sizeof out));
    EXPECT_STREQ("avalueb%NoSuchVariable%c%", out);
    char small[4];
    EXPECT_EQ(8u, ExpandEnvironmentStringsA("%ZORVANE_TEST_VARIABLE%xx", small, sizeof small));
    EXPECT_STREQ("val", small);
    unsetenv("ZORVANE_TEST_VARIABLE");
}

}  // namespace
