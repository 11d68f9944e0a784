// QLK_CERT_ functions of trust and verification, and the QLK_UTIL_ object lists and
// name utilities.

#include <cctype>

#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/LocalTime.h"
#include "toolkit/Verification.h"

using namespace qlk;

namespace {

// An optional list input: a null record or an empty one adds nothing.
Status ReadOptionalObjects(const BINSTR* record, ObjectSet& objects) {
    Input input;
    if (record == nullptr) return Ok();
    QLK_RETURN_IF_FAILED(ReadInput(record, input, false));
    return input.empty() ? Ok() : ReadObjects(input, objects);
}

// The CRL input of the verification functions: what cannot be read is a CRL that
// cannot be read.
Status ReadOptionalCrls(const BINSTR* record, ObjectSet& objects) {
    const Status read = ReadOptionalObjects(record, objects);
    return read.code == Code::NotAnObject ? Fail(Code::MalformedCrl) : read;
}

Status ReadCertificateInput(const BINSTR* record, X509Ptr& certificate) {
    Input input;
    QLK_RETURN_IF_FAILED(ReadInput(record, input));
    return ParseCertificate(input, certificate);
}

Status ReadChoice(int value, int highest) {
    return value >= 0 && value <= highest ? Ok() : Fail(Code::InvalidArgument, std::to_string(value));
}

// The list in a record; an empty record is an empty list.
Status ReadListRecord(const BINSTR* record, ObjectSet& objects) {
    Input list;
    QLK_RETURN_IF_FAILED(ReadInput(record, list, false));
    return list.empty() ? Ok() : ReadObjectList(list, objects);
}

Status Verify(Context& context, const BINSTR* certificate, VerifyRequest& request) {
    X509Ptr subject;
    QLK_RETURN_IF_FAILED(ReadCertificateInput(certificate, subject));
    return VerifyCertificate(context, subject.get(), request);
}

Status PathOf(const Context& context, const BINSTR* certificate, const BINSTR* intermediates, ObjectSet& path) {
    X509Ptr subject;
    QLK_RETURN_IF_FAILED(ReadCertificateInput(certificate, subject));
    ObjectSet extras;
    QLK_RETURN_IF_FAILED(ReadOptionalObjects(intermediates, extras));
    return BuildPath(context, subject.get(), extras, path);
}

// A DN text without blanks around its separators, in ASCII lower case.
std::string CanonicalDn(const std::string& text) {
    std::string canonical;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool separator = c == ',' || c == '+' || c == '=';
        if (separator) {
            while (!canonical.empty() && (canonical.back() == ' ' || canonical.back() == '\t')) canonical.pop_back();
            canonical.push_back(c);
            while (i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) ++i;
        } else {
            canonical.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    while (!canonical.empty() && canonical.back() == ' ') canonical.pop_back();
    return canonical.substr(std::min(canonical.find_first_not_of(' '), canonical.size()));
}

}  // namespace

extern "C" {

int QLK_CERT_AddTrustedCert(void* context, BINSTR* certificates) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        Input list;
        QLK_RETURN_IF_FAILED(ReadInput(certificates, list));
        ObjectSet added;
        QLK_RETURN_IF_FAILED(ReadObjects(list, added));
        if (added.certificates.empty()) return Fail(Code::NotAnObject, "no certificate");
        for (X509Ptr& certificate : added.certificates) open.trustedCertificates.push_back(std::move(certificate));
        return Ok();
    });
}

int QLK_CERT_SetVerifyEnv1(void* context, int p1, int p2, int p3, const char* text) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        QLK_RETURN_IF_FAILED(ReadChoice(p1, 2));
        QLK_RETURN_IF_FAILED(ReadChoice(p3, 2));
        std::string cache;
        QLK_RETURN_IF_FAILED(ReadText(text, cache, true));
        open.verification.revocation = p1;
        open.verification.fetchCrls = p2 != 0;
        open.verification.keyUsage = p3;
        open.verification.crlCache = cache;
        return Ok();
    });
}

int QLK_CERT_SetVerifyEnv2(void* context, const char* time, BINSTR* in2, BINSTR* in3) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        std::string when;
        QLK_RETURN_IF_FAILED(ReadText(time, when, true));
        std::time_t parsed = 0;
        if (!when.empty() && !ParseLocalTime(when, parsed)) return Fail(Code::BadTimeText, when);
        ObjectSet extras;
        QLK_RETURN_IF_FAILED(ReadOptionalObjects(in2, extras));
        QLK_RETURN_IF_FAILED(ReadOptionalCrls(in3, extras));
        open.verification.time = when;
        open.verification.extras = std::move(extras);
        return Ok();
    });
}

int QLK_CERT_Verify(void* context, BINSTR* certificate, int p2, const char* in3, int p5, BINSTR* in6,
                    BINSTR* in7) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        VerifyRequest request;
        QLK_RETURN_IF_FAILED(ReadChoice(p2, 2));
        request.keyUsage = p2;
        QLK_RETURN_IF_FAILED(ReadText(in3, request.policies, true));
        request.fetch = p5 != 0;
        QLK_RETURN_IF_FAILED(ReadOptionalObjects(in6, request.extras));
        QLK_RETURN_IF_FAILED(ReadOptionalCrls(in7, request.extras));
        return Verify(open, certificate, request);
    });
}

int QLK_CERT_Verify2(void* context, BINSTR* certificate, int p2, const char* in3, const char* in4) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        VerifyRequest request;
        QLK_RETURN_IF_FAILED(ReadChoice(p2, 2));
        request.keyUsage = p2;
        QLK_RETURN_IF_FAILED(ReadText(in3, request.policies, true));
        QLK_RETURN_IF_FAILED(ReadText(in4, request.time, true));
        return Verify(open, certificate, request);
    });
}

int QLK_UTIL_AddObject(void* context, BINSTR* object, BINSTR* list) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input added;
        QLK_RETURN_IF_FAILED(ReadInput(object, added));
        ObjectSet objects;
        QLK_RETURN_IF_FAILED(ReadListRecord(list, objects));
        QLK_RETURN_IF_FAILED(ReadObjects(added, objects));
        Bytes encoded;
        QLK_RETURN_IF_FAILED(EncodeObjectList(objects, encoded));
        return WriteOutput(list, encoded);
    });
}

int QLK_UTIL_GetObjectCount(void* context, BINSTR* list, int* count) {
    return QLK_CALL(context, [&](Context&) -> Status {
        if (count == nullptr) return Fail(Code::InvalidArgument);
        ObjectSet objects;
        QLK_RETURN_IF_FAILED(ReadListRecord(list, objects));
        *count = static_cast<int>(objects.size());
        return Ok();
    });
}

int QLK_UTIL_GetObject(void* context, BINSTR* list, int index, BINSTR* object) {
    return QLK_CALL(context, [&](Context&) -> Status {
        ObjectSet objects;
        QLK_RETURN_IF_FAILED(ReadListRecord(list, objects));
        Bytes der;
        QLK_RETURN_IF_FAILED(EncodeObject(objects, index, der));
        return WriteOutput(object, der);
    });
}

int QLK_UTIL_CompareDN(void* context, const char* first, const char* second) {
    return QLK_CALL(context, [&](Context&) -> Status {
        std::string one, other;
        QLK_RETURN_IF_FAILED(ReadText(first, one));
        QLK_RETURN_IF_FAILED(ReadText(second, other));
        return CanonicalDn(one) == CanonicalDn(other) ? Ok() : Fail(Code::NamesDiffer);
    });
}

int QLK_UTIL_GetRootCert(void* context, BINSTR* certificate, BINSTR* root) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        ObjectSet path;
        QLK_RETURN_IF_FAILED(PathOf(open, certificate, nullptr, path));
        Bytes der;
        QLK_RETURN_IF_FAILED(EncodeObject(path, static_cast<int>(path.size()) - 1, der));
        return WriteOutput(root, der);
    });
}

int QLK_UTIL_GetCertPath(void* context, BINSTR* certificate, BINSTR* path) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        ObjectSet built;
        QLK_RETURN_IF_FAILED(PathOf(open, certificate, nullptr, built));
        Bytes list;
        QLK_RETURN_IF_FAILED(EncodeObjectList(built, list));
        return WriteOutput(path, list);
    });
}

int QLK_UTIL_IsTrustCert(void* context, BINSTR* in1, BINSTR* in2, unsigned char* trusted) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (trusted == nullptr) return Fail(Code::InvalidArgument);
        ObjectSet path;
        const Status built = PathOf(open, in1, in2, path);
        const bool untrusted = built.code == Code::NoTrustedPath || built.code == Code::PathSignatureInvalid ||
                               built.code == Code::NoTrustedCertificate || built.code == Code::PathInvalid;
        if (!built.ok() && !untrusted) return built;
        *trusted = built.ok() ? 1 : 0;
        return Ok();
    });
}

}  // extern "C"
