#pragma once
// Certificate validity as ISO-8601 UTC, beside the localized texts the library gives.

#include <zorvane/ByteString.h>
#include <zorvane/CryptoEx.h>

#include <string>

// "YYYY-MM-DD HH:MM:SS" in Korea Standard Time (as CCryptoEx::GetValidity gives it) as
// "YYYY-MM-DDTHH:MM:SSZ"; empty when the text is not of that form.
std::string KoreaTimeToUtc(const std::string& koreaTime);

// The validity of a DER certificate in UTC, read without parsing the rest of it; false
// for anything else (PEM, damage, times with fractions or offsets).
bool ReadDerValidity(const ByteString& certificate, std::string& notBefore, std::string& notAfter);

// The loaded certificate's validity in UTC; 0, or the facade's code.
int ValidityUtc(CCryptoEx& crypto, std::string& notBefore, std::string& notAfter);

// The same for certificate (DER or PEM); the toolkit loads it only when its times are
// not plain DER UTCTime or GeneralizedTime.
int CertificateValidityUtc(CCryptoEx& crypto, ByteString& certificate, std::string& notBefore,
                           std::string& notAfter);
