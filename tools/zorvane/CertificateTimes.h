#pragma once
// Certificate validity as ISO-8601 UTC, beside the localized texts the library gives.

#include <zorvane/ByteString.h>
#include <zorvane/CryptoEx.h>

#include <string>

// "YYYY-MM-DD HH:MM:SS" in Korea Standard Time (as CCryptoEx::GetValidity gives it) as
// "YYYY-MM-DDTHH:MM:SSZ"; empty when the text is not of that form.
std::string KoreaTimeToUtc(const std::string& koreaTime);

// The loaded certificate's validity in UTC; 0, or the facade's code.
int ValidityUtc(CCryptoEx& crypto, std::string& notBefore, std::string& notAfter);

// The same for certificate (DER or PEM), which is loaded and unloaded again.
int CertificateValidityUtc(CCryptoEx& crypto, ByteString& certificate, std::string& notBefore,
                           std::string& notAfter);
