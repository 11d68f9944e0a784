#pragma once
// Texts from certificates and folder names as the list command prints them. Both come
// from whoever made the certificate or the store, so neither may carry terminal controls
// to the screen nor break the JSON that scripts read.

#include <string>
#include <string_view>

// Length of the well-formed UTF-8 sequence at text[at] (1 to 4), or 0 when the bytes
// there are not one (a stray continuation byte, an overlong form, a surrogate, a code
// point above U+10FFFF, or a sequence cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

// For a terminal: C0 and C1 controls and DEL become \xNN, a byte that is not part of
// well-formed UTF-8 becomes \xNN, and "\" becomes "\\"; everything else is kept.
std::string TerminalText(std::string_view text);

// A JSON string literal, quotes included, that is valid UTF-8: '"' and '\' escaped,
// controls (C0, DEL, C1) as \u00XX, and each byte that is not part of well-formed UTF-8
// replaced by U+FFFD (the folder name is then shown, not kept byte for byte).
std::string JsonString(std::string_view text);
