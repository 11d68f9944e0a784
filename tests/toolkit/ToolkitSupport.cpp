#include "toolkit/ToolkitSupport.h"

#include <sys/wait.h>

#include <fstream>

#include "support/TestPki.h"
#include "toolkit/keys/KeyFixtures.h"

namespace qlk_test {

ContextHandle::ContextHandle() {
    EXPECT_EQ(0, QLK_API_Init(&handle_, ZORVANE_TEST_WORK_DIR));
}

ContextHandle::~ContextHandle() {
    if (handle_ != nullptr) QLK_API_Finish(&handle_);
}

std::string ContextHandle::ErrorText() const {
    char text[2048] = {};
    QLK_API_GetErrInfo(handle_, sizeof text, text);
    return text;
}

Record::Record() { QLK_BINSTR_Create(&record_); }
Record::Record(const Bytes& bytes) : Record() {
    QLK_BINSTR_SetData(bytes.data(), static_cast<int>(bytes.size()), &record_);
}
Record::Record(const std::string& text) : Record(ToBytes(text)) {}
Record::~Record() { QLK_BINSTR_Delete(&record_); }
Bytes Record::bytes() const { return Bytes(record_.data, record_.data + record_.length); }
std::string Record::text() const { return std::string(reinterpret_cast<const char*>(record_.data), record_.length); }

std::string Shell(const std::string& command) {
    const auto run = zorvane::testsupport::RunCommand(command + " 2>/dev/null");
    EXPECT_TRUE(run.status != -1 && WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0)
        << "command failed: " << command;
    return run.output;
}

Bytes ReadFile(const std::string& path) {
    EXPECT_TRUE(std::ifstream(path, std::ios::binary).good()) << path;
    return zorvane::testsupport::ReadBytes(path);
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

namespace {

const char kKoreanNotice[] = "이 인증서는 공인인증서입니다";
const char kCpsUri[] = "http://www.example.kr/cps.htm";

const char kUserExtensions[] = R"(
[user]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature, nonRepudiation
extendedKeyUsage = clientAuth, 1.2.3.4.5
certificatePolicies = critical, DER:%POLICIES%
subjectAltName = email:hong@example.kr, URI:http://id.example.kr/a?b=1, otherName:1.2.410.200004.10.1.1;UTF8:Hong
crlDistributionPoints = dp
authorityInfoAccess = OCSP;URI:http://ocsp.example.kr:4612, caIssuers;URI:http://ca.example.kr/ca.der
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid:always

[dp]
fullname = @dpnames

[dpnames]
URI.1 = ldap://ldap.example.kr:389/cn=dp1p1,ou=dp,o=yessign,c=kr?certificateRevocationList
)";

// The policy with a CPS URI and a BMPString notice, written by hand because the
// command line stores UTF-8 bytes in a BMPString. iconv makes the UTF-16 text.
std::string PoliciesDerHex(const ScratchFolder& folder) {
    using testing_support::Cat;
    using testing_support::Tlv;
    WriteFile(folder.File("notice.txt"), std::string(kKoreanNotice));
    const Bytes bmp = FromHex(
        TrimEnd(Shell("iconv -f UTF-8 -t UTF-16BE " + folder.File("notice.txt") + " | od -An -tx1 -v | tr -d ' \\n'")));
    const Bytes cps = Tlv(0x30, Cat({Tlv(0x06, FromHex("2b06010505070201")), Tlv(0x16, ToBytes(kCpsUri))}));
    const Bytes notice = Tlv(0x30, Cat({Tlv(0x06, FromHex("2b06010505070202")), Tlv(0x30, Tlv(0x1e, bmp))}));
    const Bytes policy = Tlv(0x30, Cat({Tlv(0x06, FromHex("2a831a8c9a45010101")), Tlv(0x30, Cat({cps, notice}))}));
    return Hex(Tlv(0x30, policy));
}

}  // namespace

TestCertificate MakeUserCertificate(const ScratchFolder& folder, const std::string& serialHex) {
    const std::string ca = folder.File("ca");
    const std::string user = folder.File("user");
    std::string extensions = kUserExtensions;
    extensions.replace(extensions.find("%POLICIES%"), 10, PoliciesDerHex(folder));
    WriteFile(folder.File("ext.cnf"), extensions);
    Shell("openssl req -x509 -newkey rsa:2048 -nodes -keyout " + ca + ".key -out " + ca +
                ".pem -days 3650 -utf8 -subj '/C=KR/O=yessign/OU=AccreditedCA/CN=yessignCA Class 3'");
    Shell("openssl req -new -newkey rsa:2048 -nodes -keyout " + user + ".key -out " + user +
                ".csr -utf8 -subj '/C=KR/O=yessign/OU=personal4IB/OU=KMB/CN=홍길동()0012345+serialNumber=1234'");
    Shell("openssl x509 -req -in " + user + ".csr -CA " + ca + ".pem -CAkey " + ca + ".key -set_serial 0x" +
                serialHex + " -days 365 -extfile " + folder.File("ext.cnf") + " -extensions user -out " + user +
                ".pem");
    Shell("openssl x509 -in " + user + ".pem -outform DER -out " + user + ".der");
    Shell("openssl pkcs8 -topk8 -nocrypt -in " + user + ".key -outform DER -out " + user + ".key.der");
    return TestCertificate{user + ".pem", user + ".key", user + ".key.der", ReadFile(user + ".der")};
}

TestCertificate MakePlainCertificate(const ScratchFolder& folder) {
    const std::string plain = folder.File("plain");
    Shell("openssl req -x509 -newkey rsa:1024 -nodes -keyout " + plain + ".key -out " + plain +
                ".pem -days 30 -subj '/CN=plain' -addext basicConstraints=critical,CA:TRUE,pathlen:2");
    Shell("openssl x509 -in " + plain + ".pem -outform DER -out " + plain + ".der");
    return TestCertificate{plain + ".pem", plain + ".key", "", ReadFile(plain + ".der")};
}

GeneratedUser::GeneratedUser() {
    user = zorvane::testsupport::GeneratedPki(zorvane::testsupport::YessignPkiOptions(root.MakeFolder("home"))).users.front();
    signCert = ReadFile(user.signing.certPath);
    signKey = ReadFile(user.signing.keyPath);
    kmCert = ReadFile(user.keyManagement.certPath);
    kmKey = ReadFile(user.keyManagement.keyPath);
}

const GeneratedUser& FirstGeneratedUser() {
    static const GeneratedUser made;
    return made;
}

}  // namespace qlk_test
