// Key files and their randomNum attribute, checked against openssl and python3 as
// independent implementations of the derivations and of SEED-CBC.
#include "toolkit/keys/KeyFile.h"
#include "toolkit/keys/SeedCbc.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "toolkit/keys/KeyFixtures.h"
#include "support/TestSupport.h"

using namespace qlk;
using namespace qlk::keys;
using namespace testing_support;
using namespace zorvane::testsupport;

namespace {

const std::string kPassword = "qwer1234!";

// PBKDF1-SHA1 of the Korean key files, in python3: prints "key iv" for the derived IV, or
// the key alone.
std::string PythonPbkdf1(const std::string& password, const std::string& saltHex, int iterations) {
    const std::string script =
        "import hashlib,sys\n"
        "t=hashlib.sha1(sys.argv[1].encode()+bytes.fromhex(sys.argv[2])).digest()\n"
        "for _ in range(int(sys.argv[3])-1): t=hashlib.sha1(t).digest()\n"
        "print(t[:16].hex(), hashlib.sha1(t[16:]).digest()[:16].hex())\n";
    return TrimEnd(RunCommand("python3 -c '" + script + "' '" + password + "' " + saltHex + " " + std::to_string(iterations))
                    .output);
}

// Runs the openssl command with SEED reachable; true when it succeeds.
bool OpenSsl(const std::string& arguments) {
    return RunCommand("openssl " + arguments + kOpenSslProviders).status == 0;
}

// The octet strings of a DER file in order, in hex, as openssl asn1parse prints them.
std::vector<std::string> OctetStrings(const std::string& path) {
    std::vector<std::string> hexDumps;
    std::istringstream lines(RunCommand("openssl asn1parse -inform DER -in " + path).output);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("[HEX DUMP]") != std::string::npos) hexDumps.push_back(line.substr(line.rfind(':') + 1));
    }
    return hexDumps;
}

Bytes Encrypt(KeyFileScheme scheme, int iterations = 2048, const std::string& password = kPassword) {
    const auto& info = SharedPrivateKeyInfo();
    Bytes file;
    EXPECT_EQ(EncryptKeyFile(info.data(), info.size(), password.data(), password.size(), scheme, iterations, file),
              KeyFileStatus::Ok);
    return file;
}

KeyFileStatus Decrypt(const Bytes& file, const std::string& password, SecureBytes& out) {
    return DecryptKeyFile(file.data(), file.size(), password.data(), password.size(), out);
}

// A one-character password too: the derivation hashes the password and the salt as
// separate parts, and each part of any length counts.
TEST(KeyFile, SeedCbcWithSha1MatchesIndependentDerivationAndCipher) {
    for (const std::string& password : {kPassword, std::string("a")}) {
        SCOPED_TRACE(password);
        TempFolder dir;
        const Bytes file = Encrypt(KeyFileScheme::SeedCbcWithSha1, 2048, password);
        WriteFile(dir.File("signPri.key"), file);
        const std::vector<std::string> octets = OctetStrings(dir.File("signPri.key"));
        ASSERT_EQ(octets.size(), 2u);  // the salt and the encrypted key
        EXPECT_EQ(octets[0].size(), 16u);  // an 8-byte salt

        std::istringstream derived(PythonPbkdf1(password, octets[0], 2048));
        std::string key, iv;
        derived >> key >> iv;
        ASSERT_EQ(key.size(), 32u);
        WriteFile(dir.File("cipher.bin"), FromHex(octets[1]));
        ASSERT_TRUE(OpenSsl("enc -d -seed-cbc -K " + key + " -iv " + iv + " -in " + dir.File("cipher.bin") + " -out " +
                            dir.File("plain.der")));
        EXPECT_EQ(ReadBytes(dir.File("plain.der")), SharedPrivateKeyInfo());

        SecureBytes decrypted;
        ASSERT_EQ(Decrypt(file, password, decrypted), KeyFileStatus::Ok);
        EXPECT_TRUE(IsSharedTestKey(decrypted));
    }
}

TEST(KeyFile, ReadsPbes2FilesThatOpenSslWrites) {
    TempFolder dir;
    WriteFile(dir.File("key.der"), SharedPrivateKeyInfo());
    // The cipher, the pseudo-random function and what reading the file gives.
    const std::tuple<std::string, const char*, KeyFileStatus> kRows[] = {
        {"seed-cbc", "hmacWithSHA1", KeyFileStatus::Ok},
        {"seed-cbc", "hmacWithSHA256", KeyFileStatus::Ok},
        {"seed-cbc", "hmacWithSHA512", KeyFileStatus::UnsupportedAlgorithm},
        {"aes-128-cbc", "hmacWithSHA256", KeyFileStatus::UnsupportedAlgorithm}};
    for (const auto& [cipher, prf, expected] : kRows) {
        SCOPED_TRACE(cipher + " " + prf);
        ASSERT_TRUE(OpenSsl("pkcs8 -topk8 -v2 " + cipher + " -v2prf " + prf +
                            " -iter 2048 -inform DER -outform DER -passout pass:" + kPassword + " -in " +
                            dir.File("key.der") + " -out " + dir.File("enc.der")));
        SecureBytes decrypted;
        ASSERT_EQ(Decrypt(ReadBytes(dir.File("enc.der")), kPassword, decrypted), expected);
        EXPECT_EQ(expected == KeyFileStatus::Ok, IsSharedTestKey(decrypted));
    }
}

// The old files name seedCBC itself as the outer algorithm and use a fixed IV. Built here
// from python3's derivation and openssl's SEED, then read by the module.
TEST(KeyFile, ReadsOldSeedCbcFilesWithTheFixedIv) {
    // A one-byte salt too: the salt is hashed as a part of its own, whatever its length.
    for (const std::string saltHex : {"0102030405060708", "01"}) {
        SCOPED_TRACE(saltHex);
        TempFolder dir;
        std::istringstream derived(PythonPbkdf1(kPassword, saltHex, 2048));
        std::string key;
        derived >> key;
        WriteFile(dir.File("plain.der"), SharedPrivateKeyInfo());
        ASSERT_TRUE(OpenSsl("enc -seed-cbc -K " + key + " -iv " + Hex(Ascii("0123456789012345")) + " -in " +
                            dir.File("plain.der") + " -out " + dir.File("cipher.bin")));
        const Der seedCbcOid = {0x2a, 0x83, 0x1a, 0x8c, 0x9a, 0x44, 0x01, 0x04};
        const Der parameters = Tlv(0x30, Cat({Tlv(0x04, FromHex(saltHex)), Tlv(0x02, {0x08, 0x00})}));
        const Der file = Tlv(0x30, Cat({Tlv(0x30, Cat({Tlv(0x06, seedCbcOid), parameters})),
                                        Tlv(0x04, ReadBytes(dir.File("cipher.bin")))}));
        SecureBytes decrypted;
        ASSERT_EQ(Decrypt(file, kPassword, decrypted), KeyFileStatus::Ok);
        EXPECT_TRUE(IsSharedTestKey(decrypted));
        EXPECT_EQ(Decrypt(file, "wrong", decrypted), KeyFileStatus::WrongPassword);
    }
}

// The exported functions check wrong passwords for each scheme; here a failure leaves the
// output untouched, and no password at all is a password like any other.
TEST(KeyFile, FailuresLeaveTheOutputAndNoPasswordRoundTrips) {
    SecureBytes decrypted{1, 2, 3};
    for (KeyFileScheme scheme : {KeyFileScheme::SeedCbcWithSha1, KeyFileScheme::Pbes2Seed}) {
        EXPECT_EQ(Decrypt(Encrypt(scheme, 64), "QWER1234!", decrypted), KeyFileStatus::WrongPassword);
    }
    EXPECT_EQ(decrypted, (SecureBytes{1, 2, 3}));
    const auto& info = SharedPrivateKeyInfo();
    Bytes file;
    ASSERT_EQ(EncryptKeyFile(info.data(), info.size(), nullptr, 0, KeyFileScheme::SeedCbcWithSha1, 16, file),
              KeyFileStatus::Ok);
    ASSERT_EQ(DecryptKeyFile(file.data(), file.size(), nullptr, 0, decrypted), KeyFileStatus::Ok);
    EXPECT_TRUE(IsSharedTestKey(decrypted));
}

// Every cut is malformed. (That the salt and the count are used is seen by the
// independent derivations above.)
TEST(KeyFile, TruncatedFilesAreMalformed) {
    for (KeyFileScheme scheme : {KeyFileScheme::SeedCbcWithSha1, KeyFileScheme::Pbes2Seed}) {
        const Bytes file = Encrypt(scheme, 4);
        SecureBytes decrypted;
        for (std::size_t length = 0; length < file.size(); ++length) {
            Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));  // exact-size copy for ASan
            ASSERT_EQ(Decrypt(prefix, kPassword, decrypted), KeyFileStatus::Malformed) << "length " << length;
        }
    }
}

// A seedCBCWithSHA1 file with the given iteration count INTEGER contents.
Der FileWithCount(const Der& count) {
    const Der seedWithSha1 = {0x2a, 0x83, 0x1a, 0x8c, 0x9a, 0x44, 0x01, 0x0f};
    const Der parameters = Tlv(0x30, Cat({Tlv(0x04, Der(8, 1)), Tlv(0x02, count)}));
    return Tlv(0x30, Cat({Tlv(0x30, Cat({Tlv(0x06, seedWithSha1), parameters})), Tlv(0x04, Der(32, 0))}));
}

struct GarbageRow {
    const char* name;
    Der file;
    KeyFileStatus expected;
};

TEST(KeyFile, GarbageAndBadIterationCountsNeverDecrypt) {
    const GarbageRow kRows[] = {
        {"empty", {}, KeyFileStatus::Malformed},
        {"indefinite length", {0x30, 0x80, 0x00, 0x00}, KeyFileStatus::Malformed},
        {"length beyond the data", {0x30, 0x84, 0xff, 0xff, 0xff, 0xff, 0x00}, KeyFileStatus::Malformed},
        {"unknown algorithm", Tlv(0x30, Cat({Tlv(0x30, Tlv(0x06, {0x2a, 0x03})), Tlv(0x04, Der(16, 0))})),
         KeyFileStatus::UnsupportedAlgorithm},
        {"no parameters", Tlv(0x30, Cat({Tlv(0x30, Tlv(0x06, {0x2a, 0x83, 0x1a, 0x8c, 0x9a, 0x44, 0x01, 0x0f})),
                                         Tlv(0x04, Der(16, 0))})),
         KeyFileStatus::Malformed},
        {"count 2^30", FileWithCount({0x40, 0x00, 0x00, 0x00}), KeyFileStatus::Malformed},
        {"count 0", FileWithCount({0x00}), KeyFileStatus::Malformed},
        {"count negative", FileWithCount({0xff}), KeyFileStatus::Malformed},
        {"count 2048", FileWithCount({0x08, 0x00}), KeyFileStatus::WrongPassword},
    };
    for (const GarbageRow& row : kRows) {
        SecureBytes out;
        EXPECT_EQ(Decrypt(row.file, "a", out), row.expected) << row.name;
    }
    SecureBytes out;
    EXPECT_EQ(DecryptKeyFile(nullptr, 0, "a", 1, out), KeyFileStatus::Malformed);
}

TEST(KeyFile, FreshSaltEveryTime) {
    EXPECT_NE(Encrypt(KeyFileScheme::SeedCbcWithSha1, 4), Encrypt(KeyFileScheme::SeedCbcWithSha1, 4));
}

TEST(SeedCbc, DecryptRejectsBadLengths) {
    const unsigned char key[16] = {1}, iv[16] = {2}, data[32] = {3};
    SecureBytes out;
    EXPECT_EQ(SeedCbcDecrypt(key, iv, data, 0, out), SeedResult::BadPadding);
    EXPECT_EQ(SeedCbcDecrypt(key, iv, data, 15, out), SeedResult::BadPadding);
}

// The attribute block exactly as the Korean key files carry it, R following.
const Der kDocumentedPrefix = {0xA0, 0x27, 0x30, 0x25, 0x06, 0x0A, 0x2A, 0x83, 0x1A, 0x8C, 0x9A,
                               0x44, 0x0A, 0x01, 0x01, 0x03, 0x31, 0x17, 0x03, 0x15, 0x00};

Bytes TestRandom() {
    Bytes r(20);
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<unsigned char>(0x11 + i * 7);
    return r;
}

// The contents of the shared key's PrivateKeyInfo SEQUENCE (version, algorithm, key).
Der SharedKeyBody() {
    const auto& info = SharedPrivateKeyInfo();
    const std::size_t header = info[1] < 0x80 ? 2 : 2 + (info[1] & 0x7f);
    return Der(info.begin() + static_cast<std::ptrdiff_t>(header), info.end());
}

TEST(RandomNum, AttachWritesTheDocumentedAttributeBlock) {
    const auto& info = SharedPrivateKeyInfo();
    const Bytes r = TestRandom();
    SecureBytes withRandom;
    ASSERT_EQ(AttachRandomNum(info.data(), info.size(), r, withRandom), KeyFileStatus::Ok);
    const Der expected = Tlv(0x30, Cat({SharedKeyBody(), kDocumentedPrefix, r}));
    EXPECT_EQ(Hex(withRandom), Hex(expected));

    TempFolder dir;  // openssl still reads the key with the attribute
    WriteFile(dir.File("key.der"), withRandom);
    EXPECT_EQ(RunCommand("openssl pkey -inform DER -noout -in " + dir.File("key.der")).status, 0);
}

// Every cut of a key with the attribute is malformed; attaching needs a random and a key.
TEST(RandomNum, CutAttributesAreRejected) {
    const Der good = Tlv(0x30, Cat({SharedKeyBody(), kDocumentedPrefix, TestRandom()}));
    for (std::size_t length = 0; length < good.size(); ++length) {
        Der prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        Bytes extracted;
        ASSERT_EQ(ExtractRandomNum(prefix.data(), prefix.size(), extracted), KeyFileStatus::Malformed) << length;
    }
    SecureBytes out;
    EXPECT_EQ(AttachRandomNum(good.data(), good.size(), Bytes{}, out), KeyFileStatus::Malformed);
    EXPECT_EQ(AttachRandomNum(nullptr, 0, TestRandom(), out), KeyFileStatus::Malformed);
}

}  // namespace
