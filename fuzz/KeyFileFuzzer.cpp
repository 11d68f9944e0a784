// Korean private-key files: decrypt with the password of the seed files and read the
// randomNum of what comes out. The PrivateKeyInfo reader also gets the raw input, since
// mutated ciphertext almost never decrypts to anything the fuzzer could steer.
#include <cstdint>
#include <cstring>

#include "fuzz/FuzzCheck.h"
#include "toolkit/keys/KeyFile.h"

namespace {

constexpr char kPassword[] = "qwer1234!";

void ReadRandom(const unsigned char* privateKeyInfo, std::size_t length) {
    qlk::Bytes random;
    if (qlk::keys::ExtractRandomNum(privateKeyInfo, length, random) == qlk::keys::KeyFileStatus::Ok)
        FUZZ_CHECK(random.size() == 20);
}

// A PrivateKeyInfo that takes a randomNum must give the same value back.
void AttachAndReadBack(const unsigned char* privateKeyInfo, std::size_t length) {
    const qlk::Bytes random(20, 0x5a);
    qlk::SecureBytes withRandom;
    if (qlk::keys::AttachRandomNum(privateKeyInfo, length, random, withRandom) != qlk::keys::KeyFileStatus::Ok)
        return;
    qlk::Bytes readBack;
    FUZZ_CHECK(qlk::keys::ExtractRandomNum(withRandom.data(), withRandom.size(), readBack) ==
               qlk::keys::KeyFileStatus::Ok);
    FUZZ_CHECK(readBack == random);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qlk::SecureBytes privateKeyInfo;
    if (qlk::keys::DecryptKeyFile(data, size, kPassword, std::strlen(kPassword), privateKeyInfo) ==
        qlk::keys::KeyFileStatus::Ok)
        ReadRandom(privateKeyInfo.data(), privateKeyInfo.size());
    ReadRandom(data, size);
    AttachAndReadBack(data, size);
    return 0;
}
