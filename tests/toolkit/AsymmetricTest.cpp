// Signatures, RSA encryption and key pairs, checked with `openssl dgst`, `pkeyutl`
// and `pkey`.

#include <memory>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

class AsymmetricTest : public UserCertificateSuite<AsymmetricTest> {
public:
    static constexpr const char* kSerial = "0102";

protected:
    static void SetUpTestSuite() {
        UserCertificateSuite::SetUpTestSuite();
        Shell("openssl pkey -in " + user_.keyPath + " -pubout -out " + folder_->File("pub.pem"));
        data_ = ToBytes("the data to be signed, longer than one block of anything");
        WriteFile(folder_->File("data"), data_);
    }

    Bytes Sign(const Bytes& key, const std::string& password, int hash) {
        Record keyRecord(key), passwordRecord(password), data(data_), signature;
        EXPECT_EQ(0, QLK_CRYPT_Sign(context_.get(), keyRecord.get(), passwordRecord.get(), hash, data.get(),
                                    signature.get()))
            << context_.ErrorText();
        return signature.bytes();
    }
    int Verify(const Bytes& publicKey, int hash, const Bytes& data, const Bytes& signature) {
        Record keyRecord(publicKey), dataRecord(data), signatureRecord(signature);
        return QLK_CRYPT_Verify(context_.get(), keyRecord.get(), hash, dataRecord.get(), signatureRecord.get());
    }
    bool OpenSslVerifies(const Bytes& signature, const char* digest, const std::string& options = "") {
        WriteFile(folder_->File("sig"), signature);
        return zorvane::testsupport::RunCommand(std::string("openssl dgst -") + digest + " " + options + " -verify " +
                                                folder_->File("pub.pem") + " -signature " + folder_->File("sig") + " " +
                                                folder_->File("data") + " 2>&1")
                   .status == 0;
    }

    static inline Bytes data_;
};

TEST_F(AsymmetricTest, Pkcs1AndPssSignaturesVerifyWithOpenSsl) {
    Bytes key = ReadFile(user_.keyDerPath);
    for (const auto& [id, name] : kHashes) {
        Bytes signature = Sign(key, "", id);
        EXPECT_TRUE(OpenSslVerifies(signature, name)) << name;
        EXPECT_EQ(0, Verify(user_.der, id, data_, signature)) << name;
    }
    EXPECT_FALSE(OpenSslVerifies(Sign(key, "", 1), "sha256"));  // the checker can say no
    // RSA version 2 signs with PSS.
    ASSERT_EQ(0, QLK_CRYPT_SetRSAVersion(context_.get(), 2));
    const Bytes signature = Sign(key, "", 4);
    EXPECT_TRUE(OpenSslVerifies(signature, "sha256", "-sigopt rsa_padding_mode:pss -sigopt rsa_pss_saltlen:digest"));
    EXPECT_FALSE(OpenSslVerifies(signature, "sha256"));
    EXPECT_EQ(0, Verify(user_.der, 4, data_, signature));
    EXPECT_EQ(2012, QLK_CRYPT_SetRSAVersion(context_.get(), 3));
}

TEST_F(AsymmetricTest, VerifiesOpenSslSignaturesAndRejectsAlteredOnes) {
    Shell("openssl dgst -sha256 -sign " + user_.keyPath + " -out " + folder_->File("theirs") + " " + folder_->File("data"));
    Bytes signature = ReadFile(folder_->File("theirs"));
    EXPECT_EQ(0, Verify(user_.der, 4, data_, signature));
    EXPECT_EQ(0, Verify(ReadFile(user_.pemPath), 4, data_, signature));  // PEM certificate
    Shell("openssl pkey -in " + user_.keyPath + " -pubout -outform DER -out " + folder_->File("spki.der"));
    EXPECT_EQ(0, Verify(ReadFile(folder_->File("spki.der")), 4, data_, signature));  // bare public key

    Bytes altered = data_;
    altered[0] ^= 1;
    EXPECT_EQ(2010, Verify(user_.der, 4, altered, signature));
    EXPECT_EQ(2008, Verify(ToBytes("not a key"), 4, data_, signature));
    EXPECT_EQ(2002, Verify(user_.der, 8, data_, signature));
}

TEST_F(AsymmetricTest, SignsWithAPasswordProtectedKeyFile) {
    Shell("openssl pkcs8 -topk8 -in " + user_.keyPath + " -v2 seed-cbc -v2prf hmacWithSHA1 -iter 2048 -passout pass:비밀1234 "
                  "-outform DER -out " + folder_->File("key.p8") + " -provider legacy -provider default");
    Bytes file = ReadFile(folder_->File("key.p8"));
    EXPECT_TRUE(OpenSslVerifies(Sign(file, "비밀1234", 4), "sha256"));

    Record keyRecord(file), wrong(std::string("wrong")), data(data_), signature;
    EXPECT_EQ(3003, QLK_CRYPT_Sign(context_.get(), keyRecord.get(), wrong.get(), 4, data.get(), signature.get()));
    Record empty, garbage(std::string("garbage"));
    EXPECT_EQ(2007, QLK_CRYPT_Sign(context_.get(), garbage.get(), empty.get(), 4, data.get(), signature.get()));
    EXPECT_EQ(2007, QLK_CRYPT_Sign(context_.get(), keyRecord.get(), empty.get(), 4, data.get(), signature.get()));
    EXPECT_EQ(nullptr, signature.get()->data);
}

TEST_F(AsymmetricTest, RsaEncryptionBothWaysWithOpenSsl) {
    Bytes secret = ToBytes("a 16-byte secret");
    for (const auto& [p1, options] : {std::pair<int, std::string>{1, ""}, {2, "-pkeyopt rsa_padding_mode:oaep"}}) {
        Record certificate(user_.der), data(secret), encrypted;
        ASSERT_EQ(0, QLK_CRYPT_AsymEncrypt(context_.get(), p1, certificate.get(), data.get(), encrypted.get()));
        WriteFile(folder_->File("enc"), encrypted.bytes());
        EXPECT_EQ(secret, ToBytes(Shell("openssl pkeyutl -decrypt -inkey " + user_.keyPath + " " + options + " -in " +
                                                folder_->File("enc"))));

        WriteFile(folder_->File("secret"), secret);
        Shell("openssl pkeyutl -encrypt -pubin -inkey " + folder_->File("pub.pem") + " " + options + " -in " +
                      folder_->File("secret") + " -out " + folder_->File("theirs"));
        Record key(ReadFile(user_.keyDerPath)), theirs(ReadFile(folder_->File("theirs"))), decrypted;
        ASSERT_EQ(0, QLK_CRYPT_AsymDecrypt(context_.get(), p1, key.get(), theirs.get(), decrypted.get()));
        EXPECT_EQ(secret, decrypted.bytes());
    }
    Record key(ReadFile(user_.keyDerPath)), junk(Bytes(256, 7)), output;
    EXPECT_EQ(2014, QLK_CRYPT_AsymDecrypt(context_.get(), 1, key.get(), junk.get(), output.get()));
    EXPECT_EQ(2020, QLK_CRYPT_AsymDecrypt(context_.get(), 5, key.get(), junk.get(), output.get()));
}

TEST_F(AsymmetricTest, GeneratedKeyPairsAreConsistent) {
    Record privateKey, publicKey;
    ASSERT_EQ(0, QLK_CRYPT_GenKeyPair(context_.get(), 1024, privateKey.get(), publicKey.get()));
    EXPECT_EQ(162u, publicKey.bytes().size());  // the SubjectPublicKeyInfo of an RSA-1024 key

    EXPECT_EQ(0, QLK_PRIKEY_CheckKeyPair(context_.get(), publicKey.get(), privateKey.get()));
    Record certificate(user_.der);
    EXPECT_EQ(3004, QLK_PRIKEY_CheckKeyPair(context_.get(), certificate.get(), privateKey.get()));
    EXPECT_EQ(2013, QLK_CRYPT_GenKeyPair(context_.get(), 512, privateKey.get(), publicKey.get()));
    EXPECT_EQ(2013, QLK_CRYPT_GenKeyPair(context_.get(), 2049, privateKey.get(), publicKey.get()));
}

}  // namespace
}  // namespace qlk_test
