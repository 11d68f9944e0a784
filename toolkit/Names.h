#pragma once
#include <openssl/x509.h>

#include <string>

namespace qlk {

// A distinguished name as text: leaf first, lower-case attribute names (except
// serialNumber; emailAddress is "e"), "," between attributes, "+" inside a
// multi-valued RDN, UTF-8 values escaped as RFC 4514 asks.
std::string NameText(const X509_NAME* name);

// An ASN.1 string as UTF-8 (BMPString, UniversalString and the 8-bit kinds converted).
std::string StringText(const ASN1_STRING* value);

}  // namespace qlk
