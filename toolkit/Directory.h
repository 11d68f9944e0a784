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

// Reads a whole regular file of at most limit bytes; anything else (a FIFO, a device, a
// folder, a larger file) is refused without blocking or reading it.
enum class FileRead { Ok, Missing, NotRegular, TooLarge, Failed };
FileRead ReadRegularFile(const std::string& path, std::size_t limit, Bytes& bytes);

// timeoutSeconds 0 means kDefaultFetchSeconds; negative values are refused.
Status FetchUrl(const std::string& url, int timeoutSeconds, Bytes& data);

// POSTs a JSON body to an http:// or https:// URL and returns the answer's body, with
// the same limits.
Status PostJson(const std::string& url, const std::string& body, int timeoutSeconds, Bytes& answer);

}  // namespace qlk
