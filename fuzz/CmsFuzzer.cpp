// CMS messages as a verifier and a recipient read them: SignedData verification with
// the content a detached signature needs, EnvelopedData and signed-and-enveloped
// opening with the recipient whose certificate and key lie in fuzz/cms.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/ToolkitContext.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    FUZZ_CHECK(file.good());
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Recipient {
    Bytes certificate = ReadWhole(ZORVANE_FUZZ_SOURCE_DIR "/cms/recipient.der");
    Bytes key = ReadWhole(ZORVANE_FUZZ_SOURCE_DIR "/cms/recipient.key.der");
};

// An empty output record that deletes itself.
struct Output {
    BINSTR record{};
    Output() { QLK_BINSTR_Create(&record); }
    ~Output() { QLK_BINSTR_Delete(&record); }
};

void Verify(void* context, BINSTR& message) {
    static const char kContent[] = "fuzz content";
    Output content;
    QLK_BINSTR_SetData(reinterpret_cast<const unsigned char*>(kContent), std::strlen(kContent), &content.record);
    int signers = -1;
    if (QLK_CMS_VerifyData(context, 0, &message, &content.record, &signers) != 0) return;
    FUZZ_CHECK(signers >= 1);
    Output certificate;
    char time[20] = {0};
    FUZZ_CHECK(QLK_CMS_GetSignerCert(context, signers - 1, &certificate.record, time) == 0);
    FUZZ_CHECK(certificate.record.length > 0);
    FUZZ_CHECK(std::strlen(time) == 0 || std::strlen(time) == 14);
}

void Open(void* context, BINSTR& message) {
    static const Recipient recipient;
    BINSTR certificate = zorvane::fuzz::InputRecord(recipient.certificate.data(), recipient.certificate.size());
    BINSTR key = zorvane::fuzz::InputRecord(recipient.key.data(), recipient.key.size());
    Output content, first, signer;
    QLK_CMS_DecryptData(context, &certificate, &key, &message, &content.record);
    if (QLK_CMS_VerifyAndDecData(context, 0, &certificate, &key, &message, &first.record, &signer.record) == 0) {
        FUZZ_CHECK(signer.record.length > 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    void* context = zorvane::fuzz::ToolkitContext();
    BINSTR message = zorvane::fuzz::InputRecord(data, size);
    Verify(context, message);
    Open(context, message);
    return 0;
}
