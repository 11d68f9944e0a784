// CMS messages against the openssl cms command, both ways: what we make it reads, what
// it makes we read, and each damaged input gives its code.

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

// openssl cms with the legacy provider, where SEED lives.
std::string Cms(const std::string& arguments) {
    return std::string("openssl cms") + zorvane::testsupport::kOpenSslProviders + " " + arguments;
}

// A user certificate and its key, in a folder of its own beside its CA.
struct Party {
    explicit Party(const char* serial) : user(MakeUserCertificate(folder, serial)), key(ReadFile(user.keyDerPath)) {}
    ScratchFolder folder;
    TestCertificate user;
    Bytes key;
};

class CmsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<ScratchFolder>();
        a_ = std::make_unique<Party>("0a01");
        b_ = std::make_unique<Party>("0b02");
        content_ = ToBytes("the content of a CMS test message, longer than one cipher block");
        WriteFile(File("content"), content_);
    }
    static void TearDownTestSuite() {
        a_.reset();
        b_.reset();
        folder_.reset();
    }
    static std::string File(const std::string& name) { return folder_->File(name); }
    static const Party& A() { return *a_; }
    static const Party& B() { return *b_; }

    Bytes Sign(int type, const Party& signer, const Bytes& data = content_) {
        Record certificate(signer.user.der), key(signer.key), content(data), message;
        EXPECT_EQ(0, QLK_CMS_SignData(context_.get(), type, certificate.get(), key.get(), content.get(), "20261206153000",
                                      message.get()))
            << context_.ErrorText();
        return message.bytes();
    }
    int Verify(int type, const Bytes& message, Bytes& content, int& signers) {
        Record messageRecord(message), contentRecord(content);
        const int result = QLK_CMS_VerifyData(context_.get(), type, messageRecord.get(), contentRecord.get(), &signers);
        content = contentRecord.bytes();
        return result;
    }
    int SignerCert(int index, Bytes& certificate, std::string& time) {
        Record record;
        char text[20] = {0};
        const int result = QLK_CMS_GetSignerCert(context_.get(), index, record.get(), text);
        certificate = record.bytes();
        time = text;
        return result;
    }
    int Open(const Party& recipient, const Bytes& message, Bytes& content) {
        Record certificate(recipient.user.der), key(recipient.key), messageRecord(message), output;
        const int result = QLK_CMS_DecryptData(context_.get(), certificate.get(), key.get(), messageRecord.get(),
                                               output.get());
        content = output.bytes();
        return result;
    }
    static std::string Save(const std::string& name, const Bytes& bytes) {
        WriteFile(File(name), bytes);
        return File(name);
    }
    static std::string OpenSslVerified(const Bytes& message, const std::string& options = "") {
        return Shell(Cms("-verify -inform DER -binary -noverify " + options + " -in " +
                             Save("signed.der", message)));
    }

    static inline std::unique_ptr<ScratchFolder> folder_;
    static inline std::unique_ptr<Party> a_, b_;
    static inline Bytes content_;
    ContextHandle context_;
};

struct SignRow {
    int type;
    int rsaVersion;
    const char* expectedTime;
};

TEST_F(CmsTest, SignedDataVerifiesHereAndWithOpenSsl) {
    const SignRow kRows[] = {{0, 1, "20261206153000"}, {1, 1, "20261206153000"}, {2, 1, ""},
                             {3, 1, ""},               {0, 2, "20261206153000"}, {4, 1, "20261206153000"}};
    for (const SignRow& row : kRows) {
        SCOPED_TRACE(::testing::Message() << "type " << row.type << " RSA version " << row.rsaVersion);
        ASSERT_EQ(0, QLK_CRYPT_SetRSAVersion(context_.get(), row.rsaVersion));
        const Bytes message = Sign(row.type, A());
        const bool detached = row.type & 1;
        EXPECT_EQ(std::string(content_.begin(), content_.end()),
                  OpenSslVerified(message, detached ? "-content " + File("content") : ""));
        Bytes content = detached ? content_ : Bytes{};
        int signers = 0;
        ASSERT_EQ(0, Verify(row.type & 3, message, content, signers)) << context_.ErrorText();
        EXPECT_EQ(1, signers);
        EXPECT_EQ(content_, content);
        Bytes certificate;
        std::string time;
        ASSERT_EQ(0, SignerCert(0, certificate, time));
        EXPECT_EQ(A().user.der, certificate);
        EXPECT_EQ(row.expectedTime, time);
    }
    // An empty content is a message like any other.
    const Bytes signedEmpty = Sign(0, A(), {});
    EXPECT_EQ("", OpenSslVerified(signedEmpty));
    Bytes content{1};
    int signers = 0;
    ASSERT_EQ(0, Verify(0, signedEmpty, content, signers)) << context_.ErrorText();
    EXPECT_EQ(Bytes{}, content);
}

TEST_F(CmsTest, ReadsWhatOpenSslSignsAndEnvelopes) {
    const std::string signers = " -signer " + A().user.pemPath + " -inkey " + A().user.keyPath + " -signer " +
                                B().user.pemPath + " -inkey " + B().user.keyPath;
    Shell(Cms("-sign -binary -nodetach -outform DER -in " + File("content") + signers + " -out " +
                  File("attached.der")));
    Bytes content;
    int signerCount = 0;
    ASSERT_EQ(0, Verify(0, ReadFile(File("attached.der")), content, signerCount)) << context_.ErrorText();
    EXPECT_EQ(content_, content);
    EXPECT_EQ(2, signerCount);
    // What openssl envelopes opens here (the other way round, in every cipher, is the
    // command-line envelope test's).
    Shell(Cms("-encrypt -binary -outform DER -seed-cbc -in " + File("content") + " -out " + File("theirs.der") + " " +
              A().user.pemPath));
    Bytes opened;
    ASSERT_EQ(0, Open(A(), ReadFile(File("theirs.der")), opened)) << context_.ErrorText();
    EXPECT_EQ(content_, opened);
}

TEST_F(CmsTest, SignedAndEnvelopedRoundTrip) {
    Record signerCert(A().user.der), signerKey(A().key), recipient(B().user.der), content(content_), message;
    ASSERT_EQ(0, QLK_CMS_SignAndEncData(context_.get(), 0, signerCert.get(), signerKey.get(), recipient.get(),
                                        content.get(), 48, message.get()))
        << context_.ErrorText();
    const std::string inner = Shell(Cms("-decrypt -binary -inform DER -in " + Save("se.der", message.bytes()) +
                                            " -recip " + B().user.pemPath + " -inkey " + B().user.keyPath +
                                            " -out " + File("inner.der")));
    EXPECT_EQ(std::string(content_.begin(), content_.end()), OpenSslVerified(ReadFile(File("inner.der"))));
    Record recipientKey(B().key), opened, signer;
    ASSERT_EQ(0, QLK_CMS_VerifyAndDecData(context_.get(), 0, recipient.get(), recipientKey.get(), message.get(),
                                          opened.get(), signer.get()))
        << context_.ErrorText();
    EXPECT_EQ(content_, opened.bytes());
    EXPECT_EQ(A().user.der, signer.bytes());
}

TEST_F(CmsTest, SignerCertificatesVerifyAgainstTrustedRoots) {
    const Bytes message = Sign(0, A());
    Bytes content;
    int signers = 0;
    EXPECT_EQ(4007, Verify(4, message, content, signers));
    Record otherRoot(ReadFile(B().folder.File("ca.pem"))), root(ReadFile(A().folder.File("ca.pem")));
    ASSERT_EQ(0, QLK_CERT_AddTrustedCert(context_.get(), otherRoot.get()));
    EXPECT_EQ(4006, Verify(4, message, content, signers));
    ASSERT_EQ(0, QLK_CERT_AddTrustedCert(context_.get(), root.get()));
    EXPECT_EQ(0, Verify(4, message, content, signers)) << context_.ErrorText();
}

Bytes Flipped(Bytes bytes, std::size_t fromEnd) {
    bytes[bytes.size() - fromEnd] ^= 0x01;
    return bytes;
}

TEST_F(CmsTest, DamagedInputsGiveTheirCodes) {
    const Bytes signedData = Sign(0, A());
    Record recipient(B().user.der), plain(content_), envelopedRecord;
    ASSERT_EQ(0, QLK_CMS_EncryptData(context_.get(), 0, recipient.get(), plain.get(), 48, envelopedRecord.get()));
    const Bytes enveloped = envelopedRecord.bytes();
    const Bytes truncated(signedData.begin(), signedData.end() - 10);
    Bytes content, certificate;
    std::string time;
    int signers = 0;
    // Signers are asked of the last message verified, and a failed verification leaves none.
    EXPECT_EQ(4008, SignerCert(0, certificate, time));
    ASSERT_EQ(0, Verify(0, signedData, content, signers));
    EXPECT_EQ(4009, SignerCert(1, certificate, time));
    EXPECT_EQ(4009, SignerCert(-1, certificate, time));
    const std::pair<Bytes, int> kVerifyRows[] = {
        {Flipped(signedData, 1), 4002}, {truncated, 4001}, {enveloped, 4001}, {ToBytes("not a message"), 4001}};
    for (const auto& [message, code] : kVerifyRows) EXPECT_EQ(code, Verify(0, message, content, signers));
    EXPECT_EQ(4008, SignerCert(0, certificate, time));
    EXPECT_EQ(4013, Verify(8, signedData, content, signers));

    Bytes opened;
    EXPECT_EQ(4003, Open(A(), enveloped, opened)) << context_.ErrorText();
    // The last byte of the second-to-last block flips the padding byte 01 to 00.
    EXPECT_EQ(2006, Open(B(), Flipped(enveloped, 17), opened));
    EXPECT_EQ(4001, Open(B(), signedData, opened));
    Record certificateOfA(A().user.der), keyOfB(B().key), output;
    EXPECT_EQ(4005, QLK_CMS_DecryptData(context_.get(), certificateOfA.get(), keyOfB.get(), envelopedRecord.get(),
                                        output.get()));

    Record key(A().key), data(content_);
    EXPECT_EQ(4012, QLK_CMS_SignData(context_.get(), 0, certificateOfA.get(), key.get(), data.get(), "20261332000000",
                                     output.get()));
}

}  // namespace
}  // namespace qlk_test
