#include "tools/pkigen/Catalog.h"

#include <openssl/obj_mac.h>

namespace zorvane::pkigen {

namespace {

const char kPersonal[] = "범용(개인)";
const char kCorporate[] = "범용(법인)";

// Government policies apply to both GPKI classes; the defence and private policy OIDs are
// made up for the test PKI.
std::vector<CaProfile> MakeCas() {
    const NameEntries kr = {{"c", "KR"}};
    auto accredited = [&](const std::string& o, const std::string& cn) {
        NameEntries n = kr;
        n.insert(n.end(), {{"o", o}, {"ou", "AccreditedCA"}, {"cn", cn}});
        return n;
    };
    return {
        {"yessign", Store::Npki, "kisa", "yessign", accredited("yessign", "yessignCA Class 3"), "금융결제원",
         "yessign.test",
         {{"1.2.410.200005.1.1.1", kPersonal},
          {"1.2.410.200005.1.1.5", kCorporate},
          {"1.2.410.200005.1.1.4", "은행/신용카드/보험용(개인)"},
          {"1.2.410.200005.1.1.2", "은행/신용카드/보험용(법인)"},
          {"1.2.410.200005.1.1.6.2", "신용카드용"}},
         {"1.2.410.200005.1.1.1"}, "personal4IB", NID_sha256, false},
        {"signkorea", Store::Npki, "kisa", "SignKorea", accredited("SignKorea", "SignKorea CA4"), "코스콤",
         "signkorea.test",
         {{"1.2.410.200004.5.1.1.5", kPersonal},
          {"1.2.410.200004.5.1.1.7", kCorporate},
          {"1.2.410.200004.5.1.1.9", "증권/보험용"}},
         {"1.2.410.200004.5.1.1.5"}, "personal", NID_sha1, true},
        {"crosscert", Store::Npki, "kisa", "CrossCert", accredited("CrossCert", "CrossCertCA4"), "한국전자인증",
         "crosscert.test",
         {{"1.2.410.200004.5.4.1.1", kPersonal},
          {"1.2.410.200004.5.4.1.2", kCorporate},
          {"1.2.410.200004.5.4.1.101", "은행/보험용"}},
         {"1.2.410.200004.5.4.1.1"}, "personal4IB", NID_sha256, false},
        {"kica", Store::Npki, "kisa", "KICA", accredited("KICA", "signGATE CA6"), "한국정보인증", "signgate.test",
         {{"1.2.410.200004.5.2.1.2", kPersonal},
          {"1.2.410.200004.5.2.1.1", kCorporate},
          {"1.2.410.200004.5.2.1.7.1", "은행/신용카드/보험용"}},
         {"1.2.410.200004.5.2.1.2"}, "personal4IB", NID_sha1, false},
        // TradeSign subscribers carry a second policy; readers keep the one after ", ".
        {"tradesign", Store::Npki, "kisa", "TradeSign", accredited("TradeSign", "TradeSignCA"), "한국무역정보통신",
         "tradesign.test",
         {{"1.2.410.200012.1.1.1", kPersonal},
          {"1.2.410.200012.1.1.3", kCorporate},
          {"1.2.410.200012.1.1.101", "은행/보험용"}},
         {"1.2.410.200012.1.1.101", "1.2.410.200012.1.1.1"}, "personal4IB", NID_sha256, true},
        {"gpki", Store::Gpki, "gpki", "",
         {{"c", "KR"}, {"o", "Government of Korea"}, {"ou", "GPKI"}, {"cn", "CA131000001"}}, "행정전자서명 인증센터",
         "gpki.test",
         {{"1.2.410.100001.2.1.1", "전자관인"},
          {"1.2.410.100001.2.1.2", "컴퓨터(서버)용"},
          {"1.2.410.100001.2.2.1", "공무원 개인 전자서명"}},
         {"1.2.410.100001.2.2.1"}, "people", NID_sha256, false},
        {"mpki", Store::Mpki, "mpki", "",
         {{"c", "KR"}, {"o", "Ministry of National Defense"}, {"ou", "MPKI"}, {"cn", "MND CA1"}}, "국방 인증센터",
         "mpki.test", {{"1.2.410.100001.7.1.1", "국방 개인용"}}, {"1.2.410.100001.7.1.1"}, "people", NID_sha256,
         false},
        {"private", Store::Private, "private", "",
         {{"c", "KR"}, {"o", "Veltrane"}, {"ou", "Tarnel"}, {"cn", "TarnelCA"}}, "사설 인증센터", "tarnel.test",
         {{"1.2.410.200099.1.1.1", "사설 개인용"}}, {"1.2.410.200099.1.1.1"}, "Tarnel User", NID_sha1, false},
    };
}

}  // namespace

const char* StoreName(Store store) {
    switch (store) {
    case Store::Npki: return "npki";
    case Store::Gpki: return "gpki";
    case Store::Mpki: return "mpki";
    case Store::Private: return "private";
    }
    return "";
}

const std::vector<RootProfile>& Roots() {
    static const std::vector<RootProfile> roots = {
        {"kisa",
         {{"c", "KR"}, {"o", "KISA"}, {"ou", "Korea Certification Authority Central"}, {"cn", "KISA RootCA 4"}}},
        {"gpki", {{"c", "KR"}, {"o", "Government of Korea"}, {"ou", "GPKI"}, {"cn", "GPKIRootCA1"}}},
        {"mpki", {{"c", "KR"}, {"o", "Ministry of National Defense"}, {"ou", "MPKI"}, {"cn", "MND RootCA"}}},
        {"private", {{"c", "KR"}, {"o", "Veltrane"}, {"cn", "Veltrane Root CA"}}},
    };
    return roots;
}

const std::vector<CaProfile>& Cas() {
    static const std::vector<CaProfile> cas = MakeCas();
    return cas;
}

const CaProfile* FindCa(const std::string& id) {
    for (const CaProfile& ca : Cas())
        if (ca.id == id) return &ca;
    return nullptr;
}

std::string NameValue(const NameEntries& name, const std::string& key) {
    for (const NameEntry& entry : name)
        if (entry.first == key) return entry.second;
    return "";
}

}  // namespace zorvane::pkigen
