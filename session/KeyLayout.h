#pragma once

namespace zorvane {

// Key and IV lengths of a symmetric algorithm, and the key block they are cut from:
// client key, client IV, server key, server IV, back to back.
struct KeyLayout {
    int keyLength;
    int ivLength;

    int ClientKeyStart() const { return 0; }
    int ClientIVStart() const { return keyLength; }
    int ServerKeyStart() const { return keyLength + ivLength; }
    int ServerIVStart() const { return 2 * keyLength + ivLength; }
    int BlockLength() const { return 2 * (keyLength + ivLength); }
};

KeyLayout KeyLayoutFor(int algo);

}  // namespace zorvane
