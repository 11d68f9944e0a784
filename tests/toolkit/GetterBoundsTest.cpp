// Every text getter with every buffer size from 1 up to past its full text: the
// buffers are exactly that large, so the asan preset catches any overrun.

#include <cstring>
#include <memory>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

using Getter = int (*)(void*, int, char*);

struct NamedGetter {
    const char* name;
    Getter getter;
};

const NamedGetter kGetters[] = {
    {"GetSerialNum", QLK_CERT_GetSerialNum},
    {"GetIssuerName", QLK_CERT_GetIssuerName},
    {"GetSubjectName", QLK_CERT_GetSubjectName},
    {"GetSignatureAlgorithm", QLK_CERT_GetSignatureAlgorithm},
    {"GetSignature", QLK_CERT_GetSignature},
    {"GetKeyUsage", QLK_CERT_GetKeyUsage},
    {"GetCertPolicy", QLK_CERT_GetCertPolicy},
    {"GetCertPolicy_PolicyID", QLK_CERT_GetCertPolicy_PolicyID},
    {"GetBasicConstraints", QLK_CERT_GetBasicConstraints},
    {"GetExtKeyUsage", QLK_CERT_GetExtKeyUsage},
    {"GetSubjectAltName", QLK_CERT_GetSubjectAltName},
    {"GetSubKeyID", QLK_CERT_GetSubKeyID},
    {"GetAuthKeyID", QLK_CERT_GetAuthKeyID},
    {"GetCRLDP", QLK_CERT_GetCRLDP},
    {"GetAIA", QLK_CERT_GetAIA},
};

class GetterBoundsTest : public UserCertificateSuite<GetterBoundsTest> {
public:
    static constexpr const char* kSerial = "01";

protected:
    void SetUp() override { ASSERT_EQ(0, QLK_CERT_Load(context_.get(), Record(user_.der).get())); }
};

// A cut text is a prefix of the full text, ends on a UTF-8 boundary and loses at most
// the bytes of one character beyond what the buffer forced.
void ExpectCut(const std::string& full, const char* cut, int size, const char* name) {
    std::size_t length = std::strlen(cut);
    std::size_t room = static_cast<std::size_t>(size) - 1;
    ASSERT_LE(length, room) << name << " size " << size;
    EXPECT_EQ(full.substr(0, length), std::string(cut, length)) << name << " size " << size;
    EXPECT_GE(length + 3, std::min(room, full.size())) << name << " size " << size;
    if (length < full.size()) {
        EXPECT_NE(0x80, static_cast<unsigned char>(full[length]) & 0xc0) << name << " split a character";
    }
}

TEST_F(GetterBoundsTest, TextGettersNeverWritePastTheirSize) {
    for (const NamedGetter& entry : kGetters) {
        std::vector<char> large(8192);
        ASSERT_EQ(0, entry.getter(context_.get(), static_cast<int>(large.size()), large.data())) << entry.name;
        std::string full = large.data();
        ASSERT_FALSE(full.empty()) << entry.name;
        for (int size = 1; size <= static_cast<int>(full.size()) + 2; ++size) {
            auto exact = std::make_unique<char[]>(static_cast<std::size_t>(size));
            ASSERT_EQ(0, entry.getter(context_.get(), size, exact.get())) << entry.name << " size " << size;
            ExpectCut(full, exact.get(), size, entry.name);
        }
        EXPECT_EQ(1002, entry.getter(context_.get(), 0, large.data())) << entry.name;
        EXPECT_EQ(1002, entry.getter(context_.get(), -5, large.data())) << entry.name;
        EXPECT_EQ(1002, entry.getter(context_.get(), 10, nullptr)) << entry.name;
    }
}

TEST_F(GetterBoundsTest, PublicKeyTextWithEverySize) {
    char algorithm[48];
    std::vector<char> large(4096);
    ASSERT_EQ(0, QLK_CERT_GetPubKey(context_.get(), static_cast<int>(large.size()), algorithm, large.data()));
    std::string full = large.data();
    for (int size = 1; size <= static_cast<int>(full.size()) + 2; ++size) {
        auto exactAlgorithm = std::make_unique<char[]>(48);
        auto exact = std::make_unique<char[]>(static_cast<std::size_t>(size));
        ASSERT_EQ(0, QLK_CERT_GetPubKey(context_.get(), size, exactAlgorithm.get(), exact.get()));
        ExpectCut(full, exact.get(), size, "GetPubKey");
        EXPECT_STREQ("RSA", exactAlgorithm.get());
    }
}

TEST_F(GetterBoundsTest, FixedSizeOutputsFitTheirDocumentedBuffers) {
    auto notBefore = std::make_unique<char[]>(25);
    auto notAfter = std::make_unique<char[]>(25);
    ASSERT_EQ(0, QLK_CERT_GetValidity(context_.get(), notBefore.get(), notAfter.get()));
    EXPECT_EQ(19u, std::strlen(notBefore.get()));
    EXPECT_EQ(19u, std::strlen(notAfter.get()));

    auto version = std::make_unique<char[]>(32);
    auto info = std::make_unique<char[]>(512);
    ASSERT_EQ(0, QLK_API_GetInfo(context_.get(), version.get(), info.get()));
    EXPECT_LT(std::strlen(info.get()), 512u);

    auto algorithm = std::make_unique<char[]>(1024);
    auto bits = std::make_unique<char[]>(1024);
    Record key;
    ASSERT_EQ(0, QLK_CERT_GetPubKey2(context_.get(), algorithm.get(), bits.get(), key.get()));
}

TEST_F(GetterBoundsTest, ErrorTextIsCutToEverySize) {
    char text[8];
    ASSERT_EQ(1501, (QLK_CERT_Unload(context_.get()), QLK_CERT_GetSerialNum(context_.get(), sizeof text, text)));
    std::string full = context_.ErrorText();
    ASSERT_FALSE(full.empty());
    for (int size = 1; size <= static_cast<int>(full.size()) + 2; ++size) {
        auto exact = std::make_unique<char[]>(static_cast<std::size_t>(size));
        ASSERT_EQ(0, QLK_API_GetErrInfo(context_.get(), size, exact.get()));
        ExpectCut(full, exact.get(), size, "GetErrInfo");
    }
}

}  // namespace
}  // namespace qlk_test
