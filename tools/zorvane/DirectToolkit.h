#pragma once
// The toolkit's C functions reached directly, for the two things the library's facade
// does not pass through: a detached signature's content (its verification hands the
// toolkit an empty content record) and a recipient list grown one certificate at a time
// (its AddObject starts every list empty); and the PKCS#12 functions, which the facade
// does not offer. The toolkit is the Quellark.dll the program links, which is the one of
// its work folder.

#include <zorvane/ByteString.h>

#include <string>

// The files of a certificate folder; the key-management pair is empty when there is none.
struct FolderFiles {
    ByteString signCert, signKey, kmCert, kmKey;
};

class DirectToolkit {
public:
    explicit DirectToolkit(const std::string& workFolder);
    ~DirectToolkit();
    DirectToolkit(const DirectToolkit&) = delete;
    DirectToolkit& operator=(const DirectToolkit&) = delete;

    // Each answers 0 or the toolkit's code; ErrorText() then tells the toolkit's text.
    int VerifyDetached(const ByteString& message, const ByteString& content, int& signerCount);
    // Signer index of the message VerifyDetached read, and its signing time text.
    int SignerCert(int index, ByteString& certificate, ByteString& time);
    // Appends a certificate to an object list (an empty list starts a new one).
    int AddToList(const ByteString& certificate, ByteString& list);
    // The folder's pairs as a PKCS#12 file; both key files open with keyPassword.
    int ExportPfx(const FolderFiles& folder, const std::string& keyPassword, const std::string& pfxPassword,
                  ByteString& pfx);
    // The pairs of a PKCS#12 file, their key files encrypted under keyPassword.
    int ImportPfx(const ByteString& pfx, const std::string& pfxPassword, const std::string& keyPassword,
                  FolderFiles& folder);
    std::string ErrorText() const;

private:
    void* context_ = nullptr;
    int opened_ = 0;
};
