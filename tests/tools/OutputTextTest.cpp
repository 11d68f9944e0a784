// How zorvane list shows texts that come from certificates and folder names.

#include <gtest/gtest.h>

#include <string>

#include "tools/zorvane/OutputText.h"

namespace {

struct ShownText {
    const char* what;
    std::string input, terminal, json;
};

const ShownText kShownTexts[] = {
    {"escape sequence and DEL", "a\x1B[2J\x7F", "a\\x1b[2J\\x7f", "\"a\\u001b[2J\\u007f\""},
    {"C1 control", "a\xC2\x9B" "b", "a\\xc2\\x9bb", "\"a\\u009bb\""},
    {"quote and backslash", "a\"b\\c", "a\"b\\\\c", "\"a\\\"b\\\\c\""},
    {"stray byte", "bad\xFFname", "bad\\xffname", "\"bad\xEF\xBF\xBDname\""},
    {"overlong slash", "\xC0\xAF", "\\xc0\\xaf", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
    {"surrogate", "\xED\xA0\x80", "\\xed\\xa0\\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
    {"above U+10FFFF", "\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80",
     "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
    {"cut short", "\xEA\xB2", "\\xea\\xb2", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
    {"largest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF", "\"\xF4\x8F\xBF\xBF\""},
    {"last before the surrogates", "\xED\x9F\xBF", "\xED\x9F\xBF", "\"\xED\x9F\xBF\""},
    {"overlong four bytes", "\xF0\x8F\xBF\xBF", "\\xf0\\x8f\\xbf\\xbf",
     "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
    {"NUL", std::string("a\0b", 3), "a\\x00b", "\"a\\u0000b\""},
};

TEST(OutputText, TerminalAndJsonForms) {
    for (const ShownText& text : kShownTexts) {
        SCOPED_TRACE(text.what);
        EXPECT_EQ(text.terminal, TerminalText(text.input));
        EXPECT_EQ(text.json, JsonString(text.input));
    }
}

}  // namespace
