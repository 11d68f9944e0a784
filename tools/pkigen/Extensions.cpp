#include "tools/pkigen/Extensions.h"

#include <openssl/objects.h>

#include <memory>

#include "toolkit/keys/Der.h"
#include "toolkit/keys/Oids.h"

namespace zorvane::pkigen {

namespace der = qlk::der;

namespace {

const Der kCpsQualifier = {0x2b, 0x06, 0x01, 0x05, 0x05, 0x07, 0x02, 0x01};     // 1.3.6.1.5.5.7.2.1
const Der kNoticeQualifier = {0x2b, 0x06, 0x01, 0x05, 0x05, 0x07, 0x02, 0x02};  // 1.3.6.1.5.5.7.2.2
const Der kCaIssuers = {0x2b, 0x06, 0x01, 0x05, 0x05, 0x07, 0x30, 0x02};        // 1.3.6.1.5.5.7.48.2
const Der kOcsp = {0x2b, 0x06, 0x01, 0x05, 0x05, 0x07, 0x30, 0x01};             // 1.3.6.1.5.5.7.48.1
constexpr unsigned char kUriName = 0x86;  // GeneralName uniformResourceIdentifier [6]
constexpr unsigned char kFullName = 0xa0;

bool DottedToDer(const std::string& dotted, Der& out) {
    std::unique_ptr<ASN1_OBJECT, decltype(&ASN1_OBJECT_free)> object(OBJ_txt2obj(dotted.c_str(), 1),
                                                                     ASN1_OBJECT_free);
    if (!object || OBJ_length(object.get()) == 0) return false;
    out.assign(OBJ_get0_data(object.get()), OBJ_get0_data(object.get()) + OBJ_length(object.get()));
    return true;
}

const unsigned char* Text(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

Der Finish(der::Writer& writer) { return Der(writer.Result().begin(), writer.Result().end()); }

}  // namespace

bool Utf8ToBmp(const std::string& utf8, Der& bmp) {
    bmp.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : 0;
        if (length == 0 || i + length > utf8.size()) return false;
        unsigned code = length == 1 ? lead : length == 2 ? (lead & 0x1fu) : (lead & 0x0fu);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xc0) != 0x80) return false;
            code = (code << 6) | (next & 0x3fu);
        }
        bmp.push_back(static_cast<unsigned char>(code >> 8));
        bmp.push_back(static_cast<unsigned char>(code & 0xff));
        i += length;
    }
    return true;
}

bool CertificatePoliciesDer(const std::vector<std::string>& oids, const std::string& cpsUri,
                            const std::string& noticeUtf8, Der& out) {
    Der notice;
    if (!Utf8ToBmp(noticeUtf8, notice)) return false;
    der::Writer writer;
    writer.Open(der::kSequence);
    for (const std::string& dotted : oids) {
        Der policy;
        if (!DottedToDer(dotted, policy)) return false;
        writer.Open(der::kSequence);
        writer.AddObject(policy);
        writer.Open(der::kSequence);
        writer.Open(der::kSequence);
        writer.AddObject(kCpsQualifier);
        writer.AddElement(der::kIa5String, Text(cpsUri), cpsUri.size());
        writer.Close();
        writer.Open(der::kSequence);
        writer.AddObject(kNoticeQualifier);
        writer.Open(der::kSequence);  // UserNotice { explicitText }
        writer.AddElement(der::kBmpString, notice.data(), notice.size());
        writer.Close();
        writer.Close();
        writer.Close();
        writer.Close();
    }
    writer.Close();
    out = Finish(writer);
    return true;
}

Der CrlDistributionPointsDer(const std::vector<std::string>& uris) {
    der::Writer writer;
    writer.Open(der::kSequence);
    writer.Open(der::kSequence);
    writer.Open(der::kContext0);  // distributionPoint
    writer.Open(kFullName);
    for (const std::string& uri : uris) writer.AddElement(kUriName, Text(uri), uri.size());
    writer.Close();
    writer.Close();
    writer.Close();
    writer.Close();
    return Finish(writer);
}

Der AuthorityInfoAccessDer(const std::string& caIssuersUri, const std::string& ocspUri) {
    der::Writer writer;
    writer.Open(der::kSequence);
    for (const auto& [method, uri] : {std::pair{&kCaIssuers, &caIssuersUri}, std::pair{&kOcsp, &ocspUri}}) {
        writer.Open(der::kSequence);
        writer.AddObject(*method);
        writer.AddElement(kUriName, Text(*uri), uri->size());
        writer.Close();
    }
    writer.Close();
    return Finish(writer);
}

bool IdentifyDataAltNameDer(const qlk::vid::IdentifyData& data, Der& out) {
    Der value;
    if (qlk::vid::EncodeIdentifyData(data, value) != qlk::vid::VidStatus::Ok) return false;
    der::Writer writer;
    writer.Open(der::kSequence);
    writer.Open(der::kContext0);  // otherName
    writer.AddObject(qlk::oid::kIdentifyData);
    writer.AddRaw(value.data(), value.size());
    writer.Close();
    writer.Close();
    out = Finish(writer);
    return true;
}

}  // namespace zorvane::pkigen
