// QLK_PFX_Export and QLK_PFX_Import on a generated user's certificate folder, with
// `openssl pkcs12` as the independent reader and writer.

#include <functional>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

const char kPfxPassword[] = "pfx-Secret#9";
const char kNewKeyPassword[] = "새 비밀번호1";

// Outputs of one import: signing certificate and key file, then key management's.
using Imported = Record[4];

class PfxTest : public ::testing::Test {
protected:
    const GeneratedUser& U() const { return FirstGeneratedUser(); }
    const char* KeyPassword() const { return U().user.password.c_str(); }

    int Export(const Bytes& kmCert, const Bytes& kmKey, const char* keyPassword, Bytes& pfx,
               const Bytes* signKey = nullptr) {
        Record signCert(U().signCert), signKeyFile(signKey ? *signKey : U().signKey), km(kmCert), kmKeyFile(kmKey),
            output;
        const int code = QLK_PFX_Export(context_.get(), signCert.get(), signKeyFile.get(), keyPassword, km.get(),
                                        kmKeyFile.get(), kPfxPassword, output.get());
        pfx = output.bytes();
        return code;
    }
    Bytes ExportBoth() {
        Bytes pfx;
        EXPECT_EQ(0, Export(U().kmCert, U().kmKey, KeyPassword(), pfx)) << context_.ErrorText();
        return pfx;
    }
    int Import(const Bytes& pfx, const char* pfxPassword, Imported& out) {
        Record input(pfx);
        return QLK_PFX_Import(context_.get(), input.get(), pfxPassword, kNewKeyPassword, out[0].get(), out[1].get(),
                              out[2].get(), out[3].get());
    }
    Bytes Decrypt(const Bytes& keyFile, const char* password) {
        Record file(keyFile), key;
        EXPECT_EQ(0, QLK_PRIKEY_Decrypt(context_.get(), password, file.get(), key.get())) << context_.ErrorText();
        return key.bytes();
    }
    std::string Path(const std::string& name, const Bytes& bytes) {
        WriteFile(scratch_.File(name), bytes);
        return scratch_.File(name);
    }

    ContextHandle context_;
    ScratchFolder scratch_;
};

// openssl reads the export without the legacy provider, and it imports back whole.
TEST_F(PfxTest, ExportReadsInOpenSslAndImportsBackWithBothPairsAndTheRandomNum) {
    const Bytes exported = ExportBoth();
    const std::string both = Path("both.p12", exported);
    const std::string info = Shell("{ openssl pkcs12 -info -nodes -in " + both + " -passin file:" +
                                   Path("pfx-password", ToBytes(kPfxPassword)) + " 2>&1; }");
    for (const char* part : {"MAC: sha256", "AES-256-CBC", "hmacWithSHA256", "1.2.410.200004.10.1.1.3",
                             "localKeyID", "friendlyName"})
        EXPECT_NE(std::string::npos, info.find(part)) << part << "\n" << info;
    // The command test imports the signing pair back; here the key-management pair and the random.
    Imported out;
    ASSERT_EQ(0, Import(exported, kPfxPassword, out)) << context_.ErrorText();
    EXPECT_EQ(U().kmCert, out[2].bytes());
    const Bytes signKey = Decrypt(out[1].bytes(), kNewKeyPassword);
    EXPECT_EQ(Decrypt(U().signKey, KeyPassword()), signKey);
    EXPECT_EQ(Decrypt(U().kmKey, KeyPassword()), Decrypt(out[3].bytes(), kNewKeyPassword));
    Record key(signKey), random;
    ASSERT_EQ(0, QLK_VID_GetRandomFromPriKey(context_.get(), key.get(), random.get()));
    EXPECT_EQ(U().user.randomHex, Hex(random.bytes()));
}

// A PFX in openssl's legacy algorithms (our own exports use the current ones).
TEST_F(PfxTest, PfxMadeByOpenSslImportsAndItsKeyFileOpens) {
    const std::string cert = Path("cert.der", U().signCert), key = Path("key.der", Decrypt(U().signKey, KeyPassword()));
    Shell("openssl x509 -inform DER -in " + cert + " -out " + scratch_.File("cert.pem") + " && openssl pkey -inform DER -in " +
          key + " -out " + scratch_.File("key.pem") + " && openssl pkcs12 -export -legacy -in " + scratch_.File("cert.pem") +
          " -inkey " + scratch_.File("key.pem") + " -out " + scratch_.File("theirs.p12") + " -passout file:" +
          Path("pfx-password", ToBytes(kPfxPassword)));
    Imported out;
    ASSERT_EQ(0, Import(ReadFile(scratch_.File("theirs.p12")), kPfxPassword, out)) << context_.ErrorText();
    EXPECT_EQ(U().signCert, out[0].bytes());
    Record importedKey(Decrypt(out[1].bytes(), kNewKeyPassword)), certificate(U().signCert);
    EXPECT_EQ(0, QLK_PRIKEY_CheckKeyPair(context_.get(), certificate.get(), importedKey.get()));
    EXPECT_TRUE(out[2].bytes().empty() && out[3].bytes().empty());
}

TEST_F(PfxTest, EachFailureHasItsCode) {
    const Bytes both = ExportBoth(), kmKey = Decrypt(U().kmKey, KeyPassword());
    Bytes changed = both, ignored;
    changed[changed.size() / 2] ^= 1;
    Shell("openssl pkey -inform DER -in " + Path("km.der", kmKey) + " | openssl pkcs12 -export -nocerts -out " +
          scratch_.File("keyonly.p12") + " -passout file:" + Path("pw", ToBytes(kPfxPassword)));
    const Bytes keyOnly = ReadFile(scratch_.File("keyonly.p12"));
    auto import = [this](const Bytes& pfx) {
        Imported out;
        return Import(pfx, kPfxPassword, out);
    };
    const std::pair<const char*, std::function<int()>> rows[] = {
        {"4502 changed byte", [&] { return import(changed); }},
        {"4503 key without certificate", [&] { return import(keyOnly); }},
        {"4505 oversize PFX", [&] { return import(Bytes((1u << 20) + 1, 0x30)); }},
        {"4504 signing certificate with the km key", [&] { return Export({}, {}, KeyPassword(), ignored, &U().kmKey); }},
        {"1002 half of the km pair", [&] { return Export(U().kmCert, {}, KeyPassword(), ignored); }},
    };
    for (const auto& [name, run] : rows) {
        EXPECT_EQ(std::stoi(name), run()) << name << ": " << context_.ErrorText();
        EXPECT_EQ(std::string::npos, context_.ErrorText().find(kPfxPassword)) << name;
    }
}

}  // namespace
}  // namespace qlk_test
