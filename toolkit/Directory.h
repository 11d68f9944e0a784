#pragma once
// Fetching one value by URL: ldap:// through the OpenLDAP client library (the Korean
// form "ldap://host:port/dn?attribute;binary"), http://, https:// and file:// through
// libcurl. Every answer is bounded in size and time.

#include <cstddef>
#include <string>

#include "toolkit/Binstr.h"

namespace qlk {

constexpr int kDefaultFetchSeconds = 10;
constexpr std::size_t kMaxFetchBytes = 16u << 20;

// timeoutSeconds 0 means kDefaultFetchSeconds; negative values are refused.
Status FetchUrl(const std::string& url, int timeoutSeconds, Bytes& data);

// POSTs a JSON body to an http:// or https:// URL and returns the answer's body, with
// the same limits.
Status PostJson(const std::string& url, const std::string& body, int timeoutSeconds, Bytes& answer);

}  // namespace qlk
