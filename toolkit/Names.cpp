#include "toolkit/Names.h"

#include <openssl/crypto.h>
#include <openssl/objects.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "toolkit/OpenSsl.h"

namespace qlk {
namespace {

std::string AttributeName(const ASN1_OBJECT* type) {
    switch (OBJ_obj2nid(type)) {
        case NID_serialNumber: return "serialNumber";
        case NID_pkcs9_emailAddress: return "e";
        case NID_undef: return ObjectText(type, false);
        default: break;
    }
    std::string name = OBJ_nid2sn(OBJ_obj2nid(type));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

bool NeedsEscape(char c) {
    return c == ',' || c == '+' || c == '"' || c == '\\' || c == '<' || c == '>' || c == ';';
}

std::string EscapeValue(const std::string& value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        bool leading = i == 0 && (c == ' ' || c == '#');
        bool trailing = i + 1 == value.size() && c == ' ';
        if (c == '\0') {
            escaped += "\\00";
        } else if (NeedsEscape(c) || leading || trailing) {
            escaped += '\\';
            escaped += c;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

namespace {

// Types whose characters are single bytes, or UTF-8: an all-ASCII value of one of them is
// its own UTF-8 text, as OpenSSL's conversion would give it, without converting.
bool IsAsciiCompatible(int type) {
    switch (type) {
        case V_ASN1_UTF8STRING:
        case V_ASN1_NUMERICSTRING:
        case V_ASN1_PRINTABLESTRING:
        case V_ASN1_T61STRING:
        case V_ASN1_IA5STRING:
        case V_ASN1_UTCTIME:
        case V_ASN1_GENERALIZEDTIME:
        case V_ASN1_VISIBLESTRING:
            return true;
        default:
            return false;
    }
}

bool IsAscii(const unsigned char* bytes, int length) {
    return std::all_of(bytes, bytes + length, [](unsigned char byte) { return byte < 0x80; });
}

}  // namespace

std::string StringText(const ASN1_STRING* value) {
    if (value == nullptr) return {};
    const unsigned char* bytes = ASN1_STRING_get0_data(value);
    const int length = ASN1_STRING_length(value);
    if (IsAsciiCompatible(ASN1_STRING_type(value)) && bytes != nullptr && length > 0 && IsAscii(bytes, length))
        return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
    unsigned char* utf8 = nullptr;
    const int converted = ASN1_STRING_to_UTF8(&utf8, value);
    if (converted < 0) return {};
    std::string text(reinterpret_cast<const char*>(utf8), static_cast<std::size_t>(converted));
    OPENSSL_free(utf8);
    return text;
}

std::string NameText(const X509_NAME* name) {
    std::string text;
    int count = X509_NAME_entry_count(name);
    int previousSet = -1;
    for (int i = count - 1; i >= 0; --i) {
        const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, i);
        int set = X509_NAME_ENTRY_set(entry);
        if (!text.empty()) text += set == previousSet ? "+" : ",";
        previousSet = set;
        text += AttributeName(X509_NAME_ENTRY_get_object(entry));
        text += '=';
        text += EscapeValue(StringText(X509_NAME_ENTRY_get_data(entry)));
    }
    return text;
}

}  // namespace qlk
