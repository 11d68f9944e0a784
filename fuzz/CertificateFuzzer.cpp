// Certificates through the toolkit's C interface: load the input (DER or PEM), then read
// every field as the library does, into buffers of exactly the stated size, one too small
// for most fields and one large enough for all.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/ToolkitContext.h"

namespace {

using TextGetter = int (*)(void*, int, char*);

constexpr TextGetter kTextGetters[] = {
    QLK_CERT_GetSerialNum,     QLK_CERT_GetIssuerName,      QLK_CERT_GetSubjectName,
    QLK_CERT_GetSignatureAlgorithm, QLK_CERT_GetSignature,  QLK_CERT_GetKeyUsage,
    QLK_CERT_GetCertPolicy,    QLK_CERT_GetCertPolicy_PolicyID, QLK_CERT_GetBasicConstraints,
    QLK_CERT_GetExtKeyUsage,   QLK_CERT_GetSubjectAltName,  QLK_CERT_GetSubKeyID,
    QLK_CERT_GetAuthKeyID,     QLK_CERT_GetCRLDP,           QLK_CERT_GetAIA,
};

constexpr int kBufferSizes[] = {1, 12, 16384};

// A text written on success ends inside the buffer.
void CheckTerminated(int result, const std::vector<char>& buffer) {
    if (result == 0) FUZZ_CHECK(std::memchr(buffer.data(), 0, buffer.size()) != nullptr);
}

void ReadTexts(void* context) {
    for (TextGetter getter : kTextGetters) {
        for (int size : kBufferSizes) {
            std::vector<char> text(static_cast<std::size_t>(size), 'x');
            CheckTerminated(getter(context, size, text.data()), text);
        }
    }
}

void ReadPublicKey(void* context) {
    for (int size : kBufferSizes) {
        std::vector<char> algorithm(48, 'x');
        std::vector<char> key(static_cast<std::size_t>(size), 'x');
        const int result = QLK_CERT_GetPubKey(context, size, algorithm.data(), key.data());
        CheckTerminated(result, algorithm);
        CheckTerminated(result, key);
    }
    std::vector<char> algorithm(1024, 'x'), bits(1024, 'x');
    BINSTR key{nullptr, 0};
    const int result = QLK_CERT_GetPubKey2(context, algorithm.data(), bits.data(), &key);
    CheckTerminated(result, algorithm);
    CheckTerminated(result, bits);
    QLK_BINSTR_Delete(&key);
}

void ReadFixedFields(void* context) {
    int version = 0;
    QLK_CERT_GetVersion(context, &version);
    std::vector<char> notBefore(25, 'x'), notAfter(25, 'x');
    const int result = QLK_CERT_GetValidity(context, notBefore.data(), notAfter.data());
    CheckTerminated(result, notBefore);
    CheckTerminated(result, notAfter);
    BINSTR subject{nullptr, 0};
    if (QLK_CERT_GetSubjectName_DERFormat(context, &subject) == 0) FUZZ_CHECK(subject.length > 0);
    QLK_BINSTR_Delete(&subject);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    void* context = zorvane::fuzz::ToolkitContext();
    BINSTR certificate = zorvane::fuzz::InputRecord(data, size);
    if (QLK_CERT_Load(context, &certificate) != 0) return 0;
    ReadFixedFields(context);
    ReadTexts(context);
    ReadPublicKey(context);
    QLK_CERT_Unload(context);
    return 0;
}
