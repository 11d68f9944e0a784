#include "tools/zorvane/CertificateTimes.h"

#include <cstddef>
#include <cstdio>
#include <ctime>

namespace {

constexpr long long kKoreaOffsetSeconds = 9 * 3600;  // KST is UTC+9 all year
constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kExplicitVersion = 0xa0;
constexpr unsigned char kInteger = 0x02;
constexpr unsigned char kUtcTime = 0x17;
constexpr unsigned char kGeneralizedTime = 0x18;

std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

// A span of DER read front to back, one element at a time, never past its end.
class DerSpan {
public:
    DerSpan() = default;
    DerSpan(const unsigned char* data, std::size_t size) : m_data(data), m_size(data ? size : 0) {}

    // The next element if it has this tag: its contents become `inside`, the span moves past it.
    bool Read(unsigned char tag, DerSpan& inside) {
        if (m_size < 2 || m_data[0] != tag) return false;
        std::size_t header = 2;
        std::size_t length = m_data[1];
        if (length & 0x80) {
            const std::size_t count = length & 0x7f;
            if (count == 0 || count > 3 || m_size < header + count) return false;
            length = 0;
            for (std::size_t i = 0; i < count; ++i) length = (length << 8) | m_data[header + i];
            header += count;
        }
        if (length > m_size - header) return false;
        inside = DerSpan(m_data + header, length);
        m_data += header + length;
        m_size -= header + length;
        return true;
    }

    bool Skip(unsigned char tag) {
        DerSpan ignored;
        return Read(tag, ignored);
    }

    bool SkipIf(unsigned char tag) { return m_size == 0 || m_data[0] != tag || Skip(tag); }

    std::string Contents() const { return std::string(reinterpret_cast<const char*>(m_data), m_size); }

private:
    const unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};

int Number(const std::string& digits, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (digits[i] - '0');
    return value;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "YYYYMMDDHHMMSS" naming a real moment, as "YYYY-MM-DDTHH:MM:SSZ".
bool IsoText(const std::string& digits, std::string& text) {
    if (digits.size() != 14 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    const int month = Number(digits, 4, 2);
    if (month < 1 || month > 12) return false;
    const int day = Number(digits, 6, 2);
    if (day < 1 || day > DaysInMonth(Number(digits, 0, 4), month)) return false;
    if (Number(digits, 8, 2) > 23 || Number(digits, 10, 2) > 59 || Number(digits, 12, 2) > 59) return false;
    text = digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2) + "T" + digits.substr(8, 2) +
           ":" + digits.substr(10, 2) + ":" + digits.substr(12, 2) + "Z";
    return true;
}

// One Time of a validity: UTCTime "YYMMDDHHMMSSZ" (years 1950 to 2049) or
// GeneralizedTime "YYYYMMDDHHMMSSZ"; other forms are left to the toolkit.
bool ReadTime(DerSpan& validity, std::string& text) {
    DerSpan time;
    std::string digits;
    if (validity.Read(kUtcTime, time)) {
        digits = time.Contents();
        if (digits.size() != 13 || digits.back() != 'Z' || digits[0] < '0' || digits[0] > '9') return false;
        digits = (digits[0] >= '5' ? "19" : "20") + digits;
    } else if (validity.Read(kGeneralizedTime, time)) {
        digits = time.Contents();
        if (digits.size() != 15 || digits.back() != 'Z') return false;
    } else {
        return false;
    }
    digits.pop_back();
    return IsoText(digits, text);
}

}  // namespace

bool ReadDerValidity(const ByteString& certificate, std::string& notBefore, std::string& notAfter) {
    DerSpan whole(reinterpret_cast<const unsigned char*>(certificate.GetData()),
                  static_cast<std::size_t>(certificate.GetLength() > 0 ? certificate.GetLength() : 0));
    DerSpan outer, toBeSigned, validity;
    return whole.Read(kSequence, outer) && outer.Read(kSequence, toBeSigned) && toBeSigned.SkipIf(kExplicitVersion) &&
           toBeSigned.Skip(kInteger) && toBeSigned.Skip(kSequence) && toBeSigned.Skip(kSequence) &&
           toBeSigned.Read(kSequence, validity) && ReadTime(validity, notBefore) && ReadTime(validity, notAfter);
}

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
    // A listing asks this of every certificate it has already parsed once: the times are
    // read straight from the DER, and only what that cannot read goes to the toolkit.
    if (ReadDerValidity(certificate, notBefore, notAfter)) return 0;
    int code = crypto.LoadCert(certificate);
    if (code == 0) code = ValidityUtc(crypto, notBefore, notAfter);
    crypto.UnloadCert();
    return code;
}
