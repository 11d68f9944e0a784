#include <zorvane/CmdGen.h>

#include <cstring>
#include <string>
#include <utility>

#include "core/ByteStringBlocks.h"
#include "message/ContentTypes.h"
#include "message/MessageCodes.h"

using zorvane::ContentLayout;
using zorvane::ContentLayoutOf;

namespace {

constexpr int kNoContentType = -1;

}  // namespace

CCmdGen::CCmdGen() : m_type(0), m_cipherAlg(0), m_hashAlg(0), m_contentType(kNoContentType) {}

CCmdGen::CCmdGen(int type, int cipherAlg, int hashAlg, ByteString workFolder) : CCmdGen() {
    Init(type, cipherAlg, hashAlg, workFolder);
}

CCmdGen::CCmdGen(const CCmdGen& other) = default;

CCmdGen& CCmdGen::operator=(const CCmdGen& other) = default;

CCmdGen::~CCmdGen() { Close(); }

int CCmdGen::Init(int type, int cipherAlg, int hashAlg, ByteString workFolder) {
    m_type = type;
    m_cipherAlg = cipherAlg;
    m_hashAlg = hashAlg;
    m_workFolder = workFolder;
    return m_crypto.Init(type, cipherAlg, hashAlg, workFolder);
}

void CCmdGen::Close() { m_crypto.Close(); }

void CCmdGen::SetTag(ByteString tag) { m_tag = tag; }

ByteString CCmdGen::GetResult() { return m_result; }

int CCmdGen::GetContentType() { return m_contentType; }

// Builds version bytes, type, length and content, and keeps the Base64 text of it.
// The third argument is part of the interface and carries nothing.
int CCmdGen::MakeContent(int type, ByteString content, ByteString) {
    if (ContentLayoutOf(type) == ContentLayout::kUnknown) return zorvane::kUnknownContentType;
    CCmdEnvelope made = m_envelope;
    if (!made.Encode(type, content)) return zorvane::kNoMemory;
    ByteString text;
    const int result = m_crypto.Base64Enc(made.encoded, text);
    if (result != 0) return result;
    m_madeRecord = made.encoded;
    m_envelope = std::move(made);
    m_result = std::move(text);
    m_contentType = type;
    return 0;
}

int CCmdGen::MakeSignContent(ByteString first, ByteString second) {
    const int result = m_signItem.Encode(first, second);
    if (result != 0) return result;
    m_signRecord = m_signItem.encoded;
    return 0;
}

int CCmdGen::Parse(ByteString message) {
    m_lastMessage = message;
    int result = RemoveTag(message);
    if (result != 0) return result;
    ByteString record;
    result = m_crypto.Base64Dec(message, record);
    if (result != 0) return result;
    result = m_envelope.Parse(std::move(record));
    if (result != 0) return result;
    m_contentType = m_envelope.type;
    m_result = m_envelope.value;
    return 0;
}

int CCmdGen::ProcessContent(ByteString content) {
    switch (ContentLayoutOf(m_contentType)) {
        case ContentLayout::kTrailer:
            return m_trailerItem.Parse(content);
        case ContentLayout::kSign:
            return m_signItem.Parse(content);
        case ContentLayout::kPlain:
            return 0;
        case ContentLayout::kUnknown:
            break;
    }
    return zorvane::kUnknownContentType;
}

namespace {

// prefix + tag + ">", made in one piece rather than by two joins.
ByteString TagText(const char* prefix, const ByteString& tag) {
    std::string text(prefix);
    if (!tag.IsEmpty()) text.append(tag.GetData(), static_cast<std::size_t>(tag.GetLength()));
    text += '>';
    return ByteString(text.data(), static_cast<int>(text.size()));
}

}  // namespace

// Both tags must be present; their order is not checked.
int CCmdGen::CheckTag(const ByteString& tag, const ByteString& message) {
    if (FindStr(message, TagText("<", tag)) == -1) return zorvane::kOpeningTagMissing;
    if (FindStr(message, TagText("</", tag)) == -1) return zorvane::kClosingTagMissing;
    return 0;
}

// Keeps the text after the first ">" up to the last "<" that follows it; the message
// is read as a zero-terminated text and cut inside its own block.
int CCmdGen::RemoveTag(ByteString& message) {
    const int result = CheckTag(m_tag, message);
    if (result != 0) return result;
    const char* text = message.GetData();
    const char* opening = std::strchr(text, '>');
    const char* start = opening ? opening + 1 : text;
    const std::size_t rest = std::strlen(start);
    const auto* closing = static_cast<const char*>(memrchr(start, '<', rest));  // from the end: near it
    const std::size_t kept = closing ? static_cast<std::size_t>(closing - start) : rest;
    zorvane::KeepInPlace(message, static_cast<int>(start - text), static_cast<int>(kept));
    return 0;
}

// Position of the first occurrence of pattern in text, both read as zero-terminated
// texts; -1 when text is empty or pattern does not occur.
int CCmdGen::FindStr(const ByteString& text, const ByteString& pattern) {
    if (text.IsEmpty()) return -1;
    const char* found = std::strstr(text.GetData(), pattern.GetData());
    return found ? static_cast<int>(found - text.GetData()) : -1;
}
