#pragma once
// The toolkit's algorithm identifiers and what OpenSSL calls them.

#include <cstddef>

#include "toolkit/OpenSsl.h"
#include "toolkit/Status.h"

namespace qlk {

struct CipherSpec {
    int id;
    const char* openSslName;
    std::size_t keyLength;
    std::size_t ivLength;     // the IV length the caller hands over
    std::size_t ivUsed;       // the leading IV bytes the cipher uses
};

struct HashSpec {
    int id;
    const char* openSslName;
};

// Unknown identifiers fail with UnknownCipher or UnknownHash.
Status FindCipher(int id, const CipherSpec*& entry);
Status FindHash(int id, const HashSpec*& entry);

// Fetches the OpenSSL implementations (from the default or legacy provider).
Status FetchCipher(const CipherSpec& entry, CipherPtr& cipher);
Status FetchHash(int id, MdPtr& digest);

}  // namespace qlk
