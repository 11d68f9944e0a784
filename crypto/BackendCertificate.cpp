// Certificate inspection, shared by both backends.
#include <ctime>
#include <string>

#include "core/DateTime.h"
#include "crypto/ToolkitBackend.h"
#include "crypto/ToolkitCall.h"

namespace zorvane {

namespace {

const int kCertTextSize = 1024;
const int kValidityTextSize = 25;  // 24 characters and a zero
const int kKoreaStandardTimeOffset = 9 * 60 * 60;
const char kLongDateFormat[] = "%Y년 %m월 %d일 %H:%M:%S";
const char kShortDateFormat[] = "%Y-%m-%d";

// The user identifier inside a subject name: what follows "serialNumber=" when both it
// and "cn=" are present (counted from the start of the name), else what follows "cn=".
std::string IdentifierOf(const std::string& subject) {
    static const std::string kSerialNumber = "serialNumber=";
    const std::size_t commonName = subject.find("cn=");
    if (commonName == std::string::npos) return std::string();
    if (subject.find(kSerialNumber) != std::string::npos) return subject.substr(kSerialNumber.size());
    return subject.substr(commonName + 3);
}

// The first non-empty comma-separated field, or nothing when every field is empty.
bool FirstField(const std::string& text, std::string& field) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        if (end > start) {
            field = text.substr(start, end - start);
            return true;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return false;
}

}  // namespace

int CToolkitBackend::GetCertText(ToolkitFunction<decltype(&QLK_CERT_GetIssuerName)> function, int size,
                                 ByteString& text, const char* failName) {
    return Invoke(CallFrame{m_traits.notLoaded, failName}, function, size, TextOut(text, size));
}

int CToolkitBackend::GetPubKeyTexts(int size, int algorithmSize, ByteString& algorithm, ByteString& key) {
    return Invoke(QLK_FUNCTION(QLK_CERT_GetPubKey), size, TextOut(algorithm, algorithmSize), TextOut(key, size));
}

int CToolkitBackend::LoadCert(const ByteString& cert) { return Invoke(QLK_FUNCTION(QLK_CERT_Load), In(cert)); }

int CToolkitBackend::UnloadCert() { return Invoke(QLK_FUNCTION(QLK_CERT_Unload)); }

int CToolkitBackend::GetCertVersion(int& version) { return Invoke(QLK_FUNCTION(QLK_CERT_GetVersion), &version); }

int CToolkitBackend::GetSerialNum(ByteString& serial) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSerialNum), kCertTextSize, serial);
}

int CToolkitBackend::GetIssuerName(ByteString& name) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetIssuerName), kCertTextSize, name);
}

int CToolkitBackend::GetSubjectName(ByteString& name) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSubjectName), kCertTextSize, name);
}

int CToolkitBackend::GetSignAlgo(ByteString& algorithm) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSignatureAlgorithm), kCertTextSize, algorithm);
}

int CToolkitBackend::GetKeyUsage(ByteString& usage) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetKeyUsage), kCertTextSize, usage);
}

int CToolkitBackend::GetPolicyID(ByteString& policyId) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetCertPolicy_PolicyID), kCertTextSize, policyId);
}

int CToolkitBackend::GetValidity(ByteString& notBefore, ByteString& notAfter) {
    return Invoke(QLK_FUNCTION(QLK_CERT_GetValidity), TextOut(notBefore, kValidityTextSize),
                  TextOut(notAfter, kValidityTextSize));
}

// The toolkit's validity texts are Korea Standard Time; the seconds parsed from them as
// if they were UTC, less nine hours, are the moment itself. The GPKI backend shows that
// moment as UTC, the NPKI backend in the machine's local time.
int CToolkitBackend::GetValidity(ByteString& notBefore, ByteString& notAfter, ByteString& notAfterDate,
                                 int& expired) {
    ByteString beforeText, afterText;
    const int result = GetValidity(beforeText, afterText);
    if (result != 0) return result;
    const long long now = static_cast<long long>(std::time(nullptr));
    CDateTime converter;
    const auto show = [&](unsigned int parsed) {
        const long long moment = static_cast<long long>(parsed) - kKoreaStandardTimeOffset;
        if (m_traits.validityAsLocalTime) {
            converter.SetTime(static_cast<time_t>(moment), true);
        } else {
            converter.SetTimeShifted(static_cast<time_t>(moment), true);
        }
    };
    const unsigned int end = converter.Parse(afterText.GetData());
    show(end);
    notAfterDate = converter.Format(kShortDateFormat);
    notAfter = converter.Format(kLongDateFormat);
    show(converter.Parse(beforeText.GetData()));
    notBefore = converter.Format(kLongDateFormat);
    expired = static_cast<long long>(end) < now ? 1 : 0;
    return 0;
}

int CToolkitBackend::GetUID(ByteString& uid) {
    ByteString subject;
    const int result = GetSubjectName(subject);
    if (result != 0) return result;
    const std::string identifier = IdentifierOf(std::string(subject.GetData(), subject.GetLength()));
    if (!m_traits.uidFirstField) {
        uid.SetData(identifier.data(), static_cast<int>(identifier.size()));
        return 0;
    }
    std::string field;
    if (FirstField(identifier, field)) uid.SetData(field.data(), static_cast<int>(field.size()));
    return 0;
}

}  // namespace zorvane
