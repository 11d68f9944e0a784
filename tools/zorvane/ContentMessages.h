#pragma once
// Tagged content messages as `zorvane msg` makes and parses them (CCmdGen), shared with the demo.

#include <zorvane/CmdGen.h>

#include <string>

// The Base64 text of a content record of `type`, between <TAG> and </TAG> when `tag` is
// given. 0, or the library's code.
int FrameContent(CCmdGen& messages, int type, const std::string& content, const std::string* tag, std::string& framed);

// The content of a message tagged with `tag` (none when empty). 0, or the library's code.
int ParseContent(CCmdGen& messages, const std::string& tag, const std::string& message, ByteString& content);

// What a code of FrameContent or ParseContent means, in words for the user.
const char* ContentMessageMeaning(int code);
