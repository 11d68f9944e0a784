#include "tools/zorvane/ContentMessages.h"

#include "message/MessageCodes.h"
#include "tools/zorvane/CodeMeanings.h"

namespace {

// The content-record codes (message/MessageCodes.h) and the toolkit's that reach msg.
const CodeMeaning kMeanings[] = {
    {zorvane::kRecordTooShort, "the record is shorter than its layout says; the message is cut or damaged"},
    {zorvane::kNoMemory, "there is not enough memory for the record"},
    {zorvane::kUnknownContentType, "the content type is not one the library knows"},
    {zorvane::kOpeningTagMissing, "the opening tag named by --tag is not in the input; check --tag"},
    {zorvane::kClosingTagMissing, "the closing tag named by --tag is not in the input; the message is cut"},
    {zorvane::kSignArgumentTooLong, "the content is too long for the 2-byte length of a sign record"},
    {101, kToolkitNotLoaded},
    {2015, "the text between the tags is not Base64"},
};

}  // namespace

int FrameContent(CCmdGen& messages, int type, const std::string& content, const std::string* tag, std::string& framed) {
    const int result =
        messages.MakeContent(type, ByteString(content.data(), static_cast<int>(content.size())), ByteString());
    if (result != 0) return result;
    const std::string text = messages.GetResult().GetData();
    framed = tag ? "<" + *tag + ">" + text + "</" + *tag + ">" : text;
    return 0;
}

int ParseContent(CCmdGen& messages, const std::string& tag, const std::string& message, ByteString& content) {
    messages.SetTag(ByteString(tag.c_str()));
    const int result = messages.Parse(ByteString(message.data(), static_cast<int>(message.size())));
    if (result == 0) content = messages.GetResult();
    return result;
}

const char* ContentMessageMeaning(int code) {
    return MeaningOf(kMeanings, code, "the toolkit refused it (see toolkit/README.md)");
}
