#include "toolkit/OpenSsl.h"

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/provider.h>

#include <mutex>

namespace qlk {

bool EnsureProviders() {
    // Loading a provider explicitly switches off the implicit default, so both go in.
    // They stay loaded for the life of the process (other code shares the default
    // context), and their handles stay referenced here: the legacy provider's own
    // context is otherwise unreachable at exit and reported as leaked.
    static std::once_flag once;
    static OSSL_PROVIDER* standard = nullptr;
    static OSSL_PROVIDER* legacy = nullptr;
    std::call_once(once, [] {
        standard = OSSL_PROVIDER_load(nullptr, "default");
        legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    });
    return standard != nullptr && legacy != nullptr;
}

std::string TakeOpenSslError() {
    unsigned long error = ERR_get_error();
    ERR_clear_error();
    if (error == 0) return {};
    char text[256];
    ERR_error_string_n(error, text, sizeof text);
    return text;
}

std::string ObjectText(const ASN1_OBJECT* object, bool preferName) {
    if (object == nullptr) return {};
    int nid = OBJ_obj2nid(object);
    if (preferName && nid != NID_undef) return OBJ_nid2ln(nid);
    char dotted[128];
    int length = OBJ_obj2txt(dotted, sizeof dotted, object, 1);
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) >= sizeof dotted) {
        std::string large(static_cast<std::size_t>(length) + 1, '\0');
        OBJ_obj2txt(&large[0], length + 1, object, 1);
        large.resize(static_cast<std::size_t>(length));
        return large;
    }
    return std::string(dotted, static_cast<std::size_t>(length));
}

std::string ToHex(const unsigned char* data, std::size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text(length * 2, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        text[2 * i] = kDigits[data[i] >> 4];
        text[2 * i + 1] = kDigits[data[i] & 0x0f];
    }
    return text;
}

}  // namespace qlk
