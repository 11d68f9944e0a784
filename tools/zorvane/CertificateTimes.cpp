#include "tools/zorvane/CertificateTimes.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr long long kKoreaOffsetSeconds = 9 * 3600;  // KST is UTC+9 all year

std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

}  // namespace

std::string KoreaTimeToUtc(const std::string& koreaTime) {
    std::tm parts{};
    char rest = 0;
    if (std::sscanf(koreaTime.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                    &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &rest) != 6)
        return "";
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    const std::time_t moment = static_cast<std::time_t>(static_cast<long long>(timegm(&parts)) - kKoreaOffsetSeconds);
    std::tm utc{};
    char text[32];
    if (!gmtime_r(&moment, &utc) || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) return "";
    return text;
}

int ValidityUtc(CCryptoEx& crypto, std::string& notBefore, std::string& notAfter) {
    ByteString before, after;
    const int code = crypto.GetValidity(before, after);
    if (code != 0) return code;
    notBefore = KoreaTimeToUtc(Text(before));
    notAfter = KoreaTimeToUtc(Text(after));
    return 0;
}

int CertificateValidityUtc(CCryptoEx& crypto, ByteString& certificate, std::string& notBefore,
                           std::string& notAfter) {
    int code = crypto.LoadCert(certificate);
    if (code == 0) code = ValidityUtc(crypto, notBefore, notAfter);
    crypto.UnloadCert();
    return code;
}
