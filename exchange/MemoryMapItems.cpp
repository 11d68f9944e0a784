#include <zorvane/MemoryMap.h>

#include <cstring>

namespace {

const char kSiteName[] = "site=";
const char kNotFound[] = "NULL";
constexpr std::size_t kSiteNameLength = sizeof(kSiteName) - 1;

// "site=" value "?" ...: the text is taken to start with "site=", so the value runs
// from there to the first "?".
ByteString SiteItem(const char* text) {
    const char* question = std::strchr(text, '?');
    if (!question) return ByteString(kNotFound);
    const std::size_t end = static_cast<std::size_t>(question - text);
    if (end <= kSiteNameLength) return ByteString();
    return ByteString(text + kSiteNameLength, static_cast<int>(end - kSiteNameLength));
}

// The text after the first occurrence of name (a plain substring, "=" included), up
// to the next "&".
ByteString NamedItem(const char* text, const char* name) {
    const char* found = std::strstr(text, name);
    if (!found) return ByteString(kNotFound);
    const char* value = found + std::strlen(name);
    const char* ampersand = std::strchr(value, '&');
    const std::size_t length = ampersand ? static_cast<std::size_t>(ampersand - value) : std::strlen(value);
    return ByteString(value, static_cast<int>(length));
}

}  // namespace

ByteString CMemoryMap::GetMMFItem(ByteString text, ByteString name) {
    if (name == kSiteName) return SiteItem(text.GetData());
    return NamedItem(text.GetData(), name.GetData());
}
