// The facade over the real toolkit files of the work folder, on both backends: a
// generated certificate inspected end to end, key files, symmetric round trips, Base64
// and hashes, each checked against the openssl command line or the generator's record.
#include <ctime>

#include "crypto/GpkiEx.h"
#include "crypto/NpkiEx.h"
#include "crypto/RealToolkitFixture.h"

using namespace realtoolkit;

namespace {

TEST_P(RealToolkit, GeneratedCertificateReadsAsTheGeneratorMadeIt) {
    const auto& user = User();
    ByteString cert = FileBytes(user.signing.certPath);
    ASSERT_EQ(0, facade.LoadCert(cert));

    ByteString text;
    int version = 0;
    EXPECT_EQ(0, facade.GetCertVersion(version));
    EXPECT_EQ(3, version);
    EXPECT_EQ(0, facade.GetSubjectName(text));
    EXPECT_EQ(user.signing.subject, Text(text));
    EXPECT_EQ(0, facade.GetIssuerName(text));
    EXPECT_EQ(user.signing.issuer, Text(text));
    EXPECT_EQ(0, facade.GetSerialNo(text));
    EXPECT_EQ(user.signing.serial, Text(text));
    EXPECT_EQ(0, facade.GetPolicyID(text));
    EXPECT_EQ(Joined(user.signing.policies), Text(text));
    EXPECT_EQ(0, facade.GetSignAlgo(text));
    EXPECT_EQ("sha256WithRSAEncryption", Text(text));
    EXPECT_EQ(0, facade.GetKeyUsage(text));
    EXPECT_EQ("digitalSignature, nonRepudiation", Text(text));
    EXPECT_EQ(0, facade.GetPubKeyAlgo(text));
    EXPECT_EQ("RSA", Text(text));

    ByteString notBefore, notAfter;
    EXPECT_EQ(0, facade.GetValidity(notBefore, notAfter));
    EXPECT_EQ(user.signing.notBefore, Text(notBefore));
    EXPECT_EQ(user.signing.notAfter, Text(notAfter));

    // The serial and the public key, as the openssl command line reads them.
    const std::string serial = TrimEnd(
        RunCommand("openssl x509 -inform DER -noout -serial -in " + Quoted(user.signing.certPath)).output);
    std::string lower = serial.substr(serial.find('=') + 1);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(lower, user.signing.serial);
    const std::string rsaKey = TrimEnd(RunCommand("openssl x509 -inform DER -noout -pubkey -in " +
                                               Quoted(user.signing.certPath) +
                                               " | openssl rsa -pubin -RSAPublicKey_out -outform DER 2>/dev/null"
                                               " | od -An -v -tx1 | tr -d ' \\n'")
                                        .output);
    ByteString key, length;
    EXPECT_EQ(0, facade.GetPubKey(key));
    EXPECT_EQ(rsaKey, Text(key));
    EXPECT_EQ(0, facade.GetPubKeyLen(length));
    EXPECT_EQ(Gpki() ? "2048" : rsaKey, Text(length));
}

TEST_P(RealToolkit, ValidityConvertsToTheMomentItNames) {
    const auto& user = User();
    ByteString cert = FileBytes(user.signing.certPath);
    ASSERT_EQ(0, facade.LoadCert(cert));
    ByteString notBefore, notAfter, notAfterDate;
    int expired = -1;
    ASSERT_EQ(0, facade.GetValidity(notBefore, notAfter, notAfterDate, expired));
    EXPECT_EQ(0, expired);
    // The generator's text is Korea Standard Time; the moment is nine hours earlier.
    std::tm kst{};
    ASSERT_TRUE(strptime(user.signing.notAfter.c_str(), "%Y-%m-%d %H:%M:%S", &kst));
    const std::time_t moment = timegm(&kst) - 9 * 3600;
    std::tm shown{};
    if (Gpki()) {
        gmtime_r(&moment, &shown);
    } else {
        localtime_r(&moment, &shown);
    }
    char date[16], full[64];
    std::strftime(date, sizeof(date), "%Y-%m-%d", &shown);
    std::strftime(full, sizeof(full), "%Y년 %m월 %d일 %H:%M:%S", &shown);
    EXPECT_EQ(date, Text(notAfterDate));
    EXPECT_EQ(full, Text(notAfter));

    ByteString expiredCert = FileBytes(User("expired").signing.certPath);
    ASSERT_EQ(0, facade.LoadCert(expiredCert));
    ASSERT_EQ(0, facade.GetValidity(notBefore, notAfter, notAfterDate, expired));
    EXPECT_EQ(1, expired);
}

TEST_P(RealToolkit, UserIdentifierComesFromTheCommonName) {
    const auto& user = User();
    ByteString cert = FileBytes(user.signing.certPath);
    ASSERT_EQ(0, facade.LoadCert(cert));
    ByteString uid;
    ASSERT_EQ(0, facade.GetUID(uid));
    const std::string subject = user.signing.subject;
    const std::string afterCn = subject.substr(subject.find("cn=") + 3);
    EXPECT_EQ(Gpki() ? afterCn : afterCn.substr(0, afterCn.find(',')), Text(uid));
}

TEST_P(RealToolkit, KeyFileDecryptsToTheKeyOfTheCertificateWithItsRandom) {
    const auto& user = User();
    ByteString cert = FileBytes(user.signing.certPath);
    ByteString keyFile = FileBytes(user.signing.keyPath);
    ByteString password(user.password.c_str()), privateKey, random;
    ASSERT_EQ(0, facade.PriKeyDecrypt(password, keyFile, privateKey));
    EXPECT_EQ(0, facade.PriKeyCheckKeyPair(cert, privateKey));
    ASSERT_EQ(0, facade.GetRandomNo(privateKey, random));
    EXPECT_EQ(user.randomHex, Hex(Vector(random)));
    if (!user.identityNumber.empty()) {
        ByteString identity(user.identityNumber.c_str());
        EXPECT_EQ(0, facade.VerifyVID(cert, random, identity));
    }

    ByteString wrong("not the password"), untouched("untouched"), text;
    EXPECT_EQ(3003, facade.PriKeyDecrypt(wrong, keyFile, untouched));
    EXPECT_EQ(Gpki() ? "untouched" : "", Text(untouched));
    EXPECT_EQ(0, facade.GetErrInfo(text));
    EXPECT_NE(std::string::npos, Text(text).find("3003"));
    const ByteString& kept = Gpki() ? facade.m_gpki->m_errorText : facade.m_npki->m_errorText;
    EXPECT_EQ(Text(text), Text(kept));
}

TEST_P(RealToolkit, SymmetricRoundTripsWithEveryAlgorithm) {
    struct Algorithm {
        int id;
        int keySize;
        int ivSize;
        const char* openssl;  // cipher name for the openssl command line; null: not checked there
    };
    const Algorithm algorithms[] = {
        {32, 24, 8, "des-ede3-cbc"}, {48, 16, 16, "seed-cbc"}, {49, 16, 16, "aria-128-cbc"},
        {50, 16, 16, "aes-128-cbc"}, {240, 32, 32, nullptr},
    };
    ByteString plain("a key block worth protecting, longer than one cipher block");
    for (const Algorithm& algorithm : algorithms) {
        SCOPED_TRACE(algorithm.id);
        ByteString key, iv, sealed, opened;
        ASSERT_EQ(0, facade.GenerateRandom(algorithm.keySize, key));
        ASSERT_EQ(0, facade.GenerateRandom(algorithm.ivSize, iv));
        ASSERT_EQ(0, facade.EncryptKey(algorithm.id, key, iv, plain, sealed));
        EXPECT_NE(Text(plain), Text(sealed));
        ASSERT_EQ(0, facade.DecryptKey(algorithm.id, key, iv, sealed, opened));
        EXPECT_EQ(Text(plain), Text(opened));
        if (algorithm.id == 48) {
            // SEED is the cipher of the forms that name none.
            ByteString byDefault;
            ASSERT_EQ(0, facade.EncryptKey(key, iv, plain, byDefault));
            EXPECT_EQ(Text(sealed), Text(byDefault));
        }
        if (!algorithm.openssl) continue;
        TempFolder dir;
        WriteFile(dir.File("sealed"), Vector(sealed));
        const auto byOpenSsl = RunCommand(std::string("openssl enc -d -") + algorithm.openssl + kOpenSslProviders +
                                          " -K " +
                                          Hex(Vector(key)) + " -iv " + Hex(Vector(iv)) + " -in " +
                                          Quoted(dir.File("sealed")));
        EXPECT_EQ(Text(plain), byOpenSsl.output);
    }
}

// The short forms reuse the GPKI backend's last key and IV; the NPKI backend hands the
// toolkit an empty key, which it refuses.
TEST_P(RealToolkit, ShortCipherFormsUseTheKeptKeyOnGpkiOnly) {
    ByteString key, iv, plain("kept key"), sealed, opened;
    ASSERT_EQ(0, facade.GenerateKey(key, iv));
    EXPECT_EQ(16, key.GetLength());
    EXPECT_EQ(16, iv.GetLength());
    const int sealing = facade.EncryptKey(plain, sealed);
    if (!Gpki()) {
        EXPECT_EQ(2004, sealing);
        return;
    }
    ASSERT_EQ(0, sealing);
    ASSERT_EQ(0, facade.DecryptKey(key, iv, sealed, opened));
    EXPECT_EQ(Text(plain), Text(opened));
}

TEST_P(RealToolkit, Base64AndHashesMatchOpenSsl) {
    ByteString data;
    ASSERT_EQ(0, facade.GenerateRandom(100, data));
    TempFolder dir;
    WriteFile(dir.File("data"), Vector(data));
    ByteString encoded, decoded, sha1, sha256;
    ASSERT_EQ(0, facade.Base64Enc(data, encoded));
    EXPECT_EQ(TrimEnd(RunCommand("openssl base64 -A -in " + Quoted(dir.File("data"))).output), Text(encoded));
    ASSERT_EQ(0, facade.Base64Dec(encoded, decoded));
    EXPECT_EQ(Vector(data), Vector(decoded));
    ASSERT_EQ(0, facade.Hash(data, sha1));
    ASSERT_EQ(0, facade.Hash(4, data, sha256));
    const auto digest = [&](const char* name) {
        const std::string line = TrimEnd(RunCommand(std::string("openssl dgst -") + name + " -r " +
                                                 Quoted(dir.File("data"))).output);
        return line.substr(0, line.find(' '));
    };
    EXPECT_EQ(digest("sha1"), Hex(Vector(sha1)));
    EXPECT_EQ(digest("sha256"), Hex(Vector(sha256)));
    ByteString bad("not base64!"), untouched("untouched");
    EXPECT_EQ(2015, facade.Base64Dec(bad, untouched));
}

TEST_P(RealToolkit, VersionAndInformationOnNpkiOnly) {
    ByteString version, info;
    if (Gpki()) {
        EXPECT_EQ(1000000, facade.GetVersion(version));
        EXPECT_EQ(1000000, facade.GetInfo(info));
        return;
    }
    ASSERT_EQ(0, facade.GetVersion(version));
    EXPECT_EQ("1.0.0", Text(version));
    ASSERT_EQ(0, facade.GetInfo(info));
    EXPECT_NE(std::string::npos, Text(info).find("Quellark.dll"));
}

INSTANTIATE_TEST_SUITE_P(Backends, RealToolkit, kBothBackends, BackendName);

}  // namespace
