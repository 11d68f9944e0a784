// VID checked against certificates that openssl encodes from a configuration (not with our
// encoder) and against a python3 hashlib computation of the identifier.
#include "toolkit/keys/Vid.h"

#include <gtest/gtest.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <tuple>

#include "toolkit/keys/KeyFixtures.h"
#include "support/TestSupport.h"

using namespace qlk;
using namespace qlk::vid;
using namespace testing_support;
using namespace zorvane::testsupport;

namespace {

const std::string kIdentityNumber = "8001011234567";
const std::string kRealName = "홍길동";

using X509Ptr = std::unique_ptr<X509, decltype(&X509_free)>;

Bytes TestRandom() {
    Bytes r(20);
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<unsigned char>(0xa5 ^ (i * 13));
    return r;
}

// H(H(SEQUENCE { PrintableString idn, BIT STRING r })) in python3, DER written by hand.
std::string PythonVid(const std::string& hash, const std::string& idn, const Bytes& r) {
    const std::string script =
        "import hashlib,sys\n"
        "idn=sys.argv[1].encode(); r=bytes.fromhex(sys.argv[2]); h=getattr(hashlib,sys.argv[3])\n"
        "body=bytes([0x13,len(idn)])+idn+bytes([0x03,len(r)+1,0])+r\n"
        "print(h(h(bytes([0x30,len(body)])+body).digest()).hexdigest())\n";
    return TrimEnd(RunCommand("python3 -c '" + script + "' " + idn + " " + Hex(r) + " " + hash).output);
}

// A self-signed certificate made by openssl req with the given extension lines and
// extra configuration sections.
X509Ptr MakeCertificate(const TempFolder& dir, const std::string& extension, const std::string& sections) {
    WriteFile(dir.File("key.der"), SharedPrivateKeyInfo());
    const std::string config = "[req]\ndistinguished_name=dn\nprompt=no\n[dn]\nCN=vid test\n[ext]\n" + extension +
                               "\n" + sections;
    WriteFile(dir.File("req.cnf"), config);
    RunCommand("openssl req -x509 -new -days 1 -keyform DER -key " + dir.File("key.der") + " -config " +
               dir.File("req.cnf") + " -extensions ext -outform DER -out " + dir.File("cert.der"));
    const Bytes der = ReadBytes(dir.File("cert.der"));
    const unsigned char* cursor = der.data();
    return X509Ptr(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())), X509_free);
}

// The identifyData sections for openssl's generator.
std::string IdentifySections(const std::string& hashName, bool nullParameters, const std::string& vidHex,
                             const std::string& idType = "1.2.410.200004.10.1.1.1") {
    return "[identify]\nrealName=FORMAT:UTF8,UTF8:" + kRealName +
           "\nuserInfos=SEQUENCE:userinfos\n"
           "[userinfos]\ninfo=SEQUENCE:info\n"
           "[info]\nidType=OID:" + idType + "\nidValue=SEQUENCE:idvalue\n"
           "[idvalue]\nhashAlg=SEQUENCE:hashalg\nvid=EXPLICIT:0,FORMAT:HEX,OCTETSTRING:" + vidHex +
           "\n[hashalg]\nalg=OID:" + hashName + "\n" + (nullParameters ? "params=NULL\n" : "");
}

const std::string kIdentifyExtension = "subjectAltName=otherName:1.2.410.200004.10.1.1;SEQUENCE:identify";

TEST(Vid, ReadsVerifiesAndEncodesWhatOpenSslEncodes) {
    const Bytes r = TestRandom();
    Bytes otherRandom = r;
    otherRandom[19] ^= 1;
    // A non-printable number cannot be hashed and so matches nothing.
    // The identifier of a random and a number that are not the certificate's.
    const std::pair<Bytes, std::string> kMismatches[] = {
        {otherRandom, kIdentityNumber}, {Bytes{}, kIdentityNumber}, {r, "8001011234568"}, {r, kIdentityNumber + "\n"}};
    const Der identifyDataOid = {0x2a, 0x83, 0x1a, 0x8c, 0x9a, 0x44, 0x0a, 0x01, 0x01};
    // The hash by name and NID, and whether its parameters are an explicit NULL.
    const std::tuple<std::string, int, bool> kRows[] = {
        {"sha256", NID_sha256, false}, {"sha1", NID_sha1, true}, {"sha1", NID_sha1, false}};
    for (const auto& [hash, nid, nullParameters] : kRows) {
        SCOPED_TRACE(hash + (nullParameters ? " with NULL" : ""));
        TempFolder dir;
        const std::string vidHex = PythonVid(hash, kIdentityNumber, r);
        X509Ptr cert = MakeCertificate(dir, kIdentifyExtension, IdentifySections(hash, nullParameters, vidHex));
        ASSERT_TRUE(cert);

        IdentifyData data;
        ASSERT_EQ(ReadIdentifyData(cert.get(), data), VidStatus::Ok);
        EXPECT_EQ(data.realName, kRealName);
        EXPECT_EQ(data.hashNid, nid);
        EXPECT_EQ(data.hashNullParameters, nullParameters);
        EXPECT_EQ(Hex(data.virtualId), vidHex);
        Bytes value;
        ASSERT_EQ(EncodeIdentifyData(data, value), VidStatus::Ok);
        const Der ours = Tlv(0x30, Tlv(0xa0, Cat({Tlv(0x06, identifyDataOid), value})));
        const ASN1_OCTET_STRING* theirs =
            X509_EXTENSION_get_data(X509_get_ext(cert.get(), X509_get_ext_by_NID(cert.get(), NID_subject_alt_name, -1)));
        const unsigned char* p = ASN1_STRING_get0_data(theirs);
        EXPECT_EQ(Hex(ours), Hex(Der(p, p + ASN1_STRING_length(theirs))));

        EXPECT_EQ(Verify(cert.get(), r, kIdentityNumber), VidStatus::Ok);
        for (const auto& [random, identityNumber] : kMismatches) {
            EXPECT_EQ(Verify(cert.get(), random, identityNumber), VidStatus::Mismatch) << Hex(random) << " " << identityNumber;
        }
    }
    Bytes value;
    EXPECT_EQ(EncodeIdentifyData(IdentifyData{kRealName, NID_md5, false, {1}}, value), VidStatus::UnsupportedHash);
    EXPECT_EQ(EncodeIdentifyData(IdentifyData{kRealName, NID_sha1, false, {}}, value), VidStatus::Malformed);
}

TEST(Vid, CertificatesWithoutIdentifyData) {
    const std::string vidHex = PythonVid("sha256", kIdentityNumber, TestRandom());
    struct Case {
        const char* what;
        std::string extension;
        std::string sections;
        VidStatus expected;
    } cases[] = {
        {"another otherName", "subjectAltName=otherName:1.2.3.4;UTF8:x", "", VidStatus::NoIdentifyData},
        {"no VID entry", kIdentifyExtension, IdentifySections("sha256", false, vidHex, "1.2.410.200004.10.1.1.2"),
         VidStatus::NoIdentifyData},
        {"SHA-512", kIdentifyExtension, IdentifySections("sha512", false, vidHex), VidStatus::UnsupportedHash},
        {"VID not wrapped in [0]", kIdentifyExtension,
         "[identify]\nrealName=UTF8:x\nuserInfos=SEQUENCE:u\n[u]\ni=SEQUENCE:i\n[i]\nt=OID:1.2.410.200004.10.1.1.1\n"
         "v=SEQUENCE:v\n[v]\na=SEQUENCE:a\nvid=FORMAT:HEX,OCTETSTRING:00\n[a]\nalg=OID:sha1\n",
         VidStatus::Malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        X509Ptr cert = MakeCertificate(dir, c.extension, c.sections);
        ASSERT_TRUE(cert);
        IdentifyData data;
        data.realName = "unchanged";
        EXPECT_EQ(ReadIdentifyData(cert.get(), data), c.expected);
        EXPECT_EQ(data.realName, "unchanged");
        EXPECT_EQ(Verify(cert.get(), TestRandom(), kIdentityNumber), c.expected);
    }
    IdentifyData data;
    EXPECT_EQ(ReadIdentifyData(nullptr, data), VidStatus::NoIdentifyData);
}

}  // namespace
