#include "tools/zorvane/DirectToolkit.h"

#include "crypto/QlkApi.h"

namespace {

// A toolkit record that deletes itself; filled from bytes or left empty for an output.
class Record {
public:
    Record() { QLK_BINSTR_Create(&record_); }
    explicit Record(const ByteString& bytes) : Record() { QLK_BINSTR_SetData(bytes.data, bytes.length, &record_); }
    ~Record() { QLK_BINSTR_Delete(&record_); }
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    BINSTR* get() { return &record_; }
    void CopyTo(ByteString& target) const { target.SetData(record_.data, record_.length); }

private:
    BINSTR record_{};
};

constexpr int kSignaturesOnly = 0;

}  // namespace

DirectToolkit::DirectToolkit(const std::string& workFolder) { opened_ = QLK_API_Init(&context_, workFolder.c_str()); }

DirectToolkit::~DirectToolkit() {
    if (opened_ == 0) QLK_API_Finish(&context_);
}

int DirectToolkit::VerifyDetached(const ByteString& message, const ByteString& content, int& signerCount) {
    if (opened_ != 0) return opened_;
    Record signedData(message), contentRecord(content);
    return QLK_CMS_VerifyData(context_, kSignaturesOnly, signedData.get(), contentRecord.get(), &signerCount);
}

int DirectToolkit::SignerCert(int index, ByteString& certificate, ByteString& time) {
    if (opened_ != 0) return opened_;
    Record output;
    char text[20] = {0};
    const int code = QLK_CMS_GetSignerCert(context_, index, output.get(), text);
    output.CopyTo(certificate);
    time = ByteString(text);
    return code;
}

int DirectToolkit::AddToList(const ByteString& certificate, ByteString& list) {
    if (opened_ != 0) return opened_;
    Record object(certificate), grown(list);
    const int code = QLK_UTIL_AddObject(context_, object.get(), grown.get());
    if (code == 0) grown.CopyTo(list);
    return code;
}

std::string DirectToolkit::ErrorText() const {
    char text[2048] = {0};
    QLK_API_GetErrInfo(context_, sizeof text, text);
    return text;
}
