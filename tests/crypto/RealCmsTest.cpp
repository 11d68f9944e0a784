// CMS messages through the facade over the real toolkit, on both backends: what one
// operation makes, its counterpart opens, and each backend's fixed types hold.
#include <set>

#include "crypto/RealToolkitFixture.h"

using namespace realtoolkit;

namespace {

class RealCms : public RealToolkit {
protected:
    void SetUp() override {
        RealToolkit::SetUp();
        ReadUser(User(), certificate, privateKey);
    }
    void ReadUser(const zorvane::pkigen::UserRecord& user, ByteString& userCertificate, ByteString& key) {
        userCertificate = FileBytes(user.signing.certPath);
        ByteString password(user.password.c_str()), keyFile = FileBytes(user.signing.keyPath);
        ASSERT_EQ(0, facade.PriKeyDecrypt(password, keyFile, key));
    }
    ByteString certificate, privateKey;
    ByteString content{"a CMS message through the facade"};
};

TEST_P(RealCms, SignedDataVerifiesWithItsSigner) {
    ByteString signedData, opened, signer;
    ASSERT_EQ(0, facade.MakeSignedData(certificate, privateKey, content, signedData)) << ErrorText();
    // The GPKI backend verifies with type 4, which checks the signer's chain too.
    if (Gpki()) {
        EXPECT_EQ(4007, facade.VerifySignedData(signedData, opened, signer));
        TrustGeneratedAuthorities();
    }
    ASSERT_EQ(0, facade.VerifySignedData(signedData, opened, signer)) << ErrorText();
    EXPECT_EQ(Text(content), Text(opened));
    EXPECT_EQ(Vector(certificate), Vector(signer));
    // The GPKI backend signs without signed attributes; OpenSSL confirms either form.
    TempFolder folder;
    WriteFile(folder.File("signed.der"), Vector(signedData));
    EXPECT_EQ(Text(content), RunCommand("openssl cms -verify -noverify -binary -inform DER -in " +
                                        folder.File("signed.der")).output);
}

TEST_P(RealCms, EnvelopedDataOpensForItsRecipient) {
    for (int cipher : {48, 32, 49, 50, 240}) {
        ByteString enveloped, opened;
        ASSERT_EQ(0, facade.MakeEnvelopedData(certificate, content, cipher, enveloped)) << cipher;
        ASSERT_EQ(0, facade.VerifyEnvelopedData(certificate, privateKey, enveloped, opened)) << ErrorText();
        EXPECT_EQ(Text(content), Text(opened));
    }
    ByteString toMany, opened;
    ASSERT_EQ(0, facade.MakeEnvelopedDataWithMultiRecipients(certificate, content, toMany)) << ErrorText();
    ASSERT_EQ(0, facade.VerifyEnvelopedData(certificate, privateKey, toMany, opened));
    EXPECT_EQ(Text(content), Text(opened));
}

TEST_P(RealCms, SignedAndEnvelopedDataOpensAndNamesTheSigner) {
    ByteString message, opened, signer;
    ASSERT_EQ(0, facade.MakeSignedAndEnvData(certificate, privateKey, certificate, content, message)) << ErrorText();
    ASSERT_EQ(0, facade.VerifySignedAndEnvData(certificate, privateKey, message, opened, signer)) << ErrorText();
    EXPECT_EQ(Text(content), Text(opened));
    EXPECT_EQ(Vector(certificate), Vector(signer));
}

// Added signers and the signer list exist on the NPKI backend only.
TEST_P(RealCms, NpkiSignersAddUpAndKeepTheirTimes) {
    ByteString second, secondKey;
    ReadUser(GeneratedPki::Get().User("npki", "expired"), second, secondKey);
    ByteString signTime("20261206093000"), signedData, result;
    ASSERT_EQ(0, facade.MakeSignedData(0, certificate, privateKey, content, signTime, signedData)) << ErrorText();
    if (Gpki()) {
        EXPECT_EQ(102, facade.AddSigner(2, second, secondKey, content, signTime, signedData, result));
        return;
    }
    ASSERT_EQ(0, facade.AddSigner(2, second, secondKey, content, signTime, signedData, result)) << ErrorText();
    ByteString opened;
    int signers = 0;
    ASSERT_EQ(0, facade.VeryfyMultiSignedData(0, result, opened, signers)) << ErrorText();
    EXPECT_EQ(2, signers);
    // Signers come in the message's order, which DER sorts: compare them as a set.
    std::set<std::pair<std::vector<unsigned char>, std::string>> found;
    ByteString signer, time;
    for (int index = 0; index < 2; ++index) {
        ASSERT_EQ(0, facade.GetSignerCert(index, signer, time));
        found.insert({Vector(signer), Text(time)});
    }
    EXPECT_EQ((std::set<std::pair<std::vector<unsigned char>, std::string>>{
                  {Vector(certificate), "20261206093000"}, {Vector(second), ""}}),
              found);
    // Detached messages need their content, which the facade's verification does not pass.
    ByteString detached, signedTime;
    ASSERT_EQ(0, facade.MakeSignedData(1, certificate, privateKey, content, signTime, detached));
    EXPECT_EQ(4010, facade.VerifySignedData(0, detached, opened, signedTime, signer));
    TrustGeneratedAuthorities();
    EXPECT_EQ(0, facade.VerifySignedData(4, signedData, opened, signedTime, signer)) << ErrorText();
    EXPECT_EQ("20261206093000", Text(signedTime));
}

INSTANTIATE_TEST_SUITE_P(Backends, RealCms, kBothBackends, BackendName);

}  // namespace
