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

int DirectToolkit::ExportPfx(const FolderFiles& folder, const std::string& keyPassword,
                            const std::string& pfxPassword, ByteString& pfx) {
    if (opened_ != 0) return opened_;
    Record signCert(folder.signCert), signKey(folder.signKey), kmCert(folder.kmCert), kmKey(folder.kmKey), output;
    const int code = QLK_PFX_Export(context_, signCert.get(), signKey.get(), keyPassword.c_str(), kmCert.get(),
                                    kmKey.get(), pfxPassword.c_str(), output.get());
    if (code == 0) output.CopyTo(pfx);
    return code;
}

int DirectToolkit::ImportPfx(const ByteString& pfx, const std::string& pfxPassword, const std::string& keyPassword,
                            FolderFiles& folder) {
    if (opened_ != 0) return opened_;
    Record input(pfx), signCert, signKey, kmCert, kmKey;
    const int code = QLK_PFX_Import(context_, input.get(), pfxPassword.c_str(), keyPassword.c_str(), signCert.get(),
                                    signKey.get(), kmCert.get(), kmKey.get());
    if (code != 0) return code;
    signCert.CopyTo(folder.signCert);
    signKey.CopyTo(folder.signKey);
    kmCert.CopyTo(folder.kmCert);
    kmKey.CopyTo(folder.kmKey);
    return 0;
}

std::string DirectToolkit::ErrorText() const {
    char text[2048] = {0};
    QLK_API_GetErrInfo(context_, sizeof text, text);
    return text;
}
