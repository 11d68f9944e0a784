#include "toolkit/Binstr.h"

#include <openssl/crypto.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace qlk {

Status ReadInput(const BINSTR* record, Input& input, bool nonEmpty) {
    if (record == nullptr || record->length < 0 || (record->data == nullptr && record->length > 0)) {
        return Fail(Code::InvalidArgument, "input record");
    }
    input.data = record->data;
    input.length = static_cast<std::size_t>(record->length);
    if (nonEmpty && input.empty()) return Fail(Code::EmptyInput);
    return Ok();
}

void ReleaseRecord(BINSTR* record) {
    if (record == nullptr) return;
    if (record->data != nullptr && record->length > 0) {
        OPENSSL_cleanse(record->data, static_cast<std::size_t>(record->length));
    }
    std::free(record->data);
    record->data = nullptr;
    record->length = 0;
}

Status WriteOutput(BINSTR* record, const unsigned char* data, std::size_t length) {
    if (record == nullptr || record->length < 0) return Fail(Code::InvalidArgument, "output record");
    if (length > static_cast<std::size_t>(INT_MAX) - 1) return Fail(Code::InputTooLarge);
    auto* copy = static_cast<unsigned char*>(std::malloc(length + 1));
    if (copy == nullptr) return Fail(Code::OutOfMemory);
    if (length > 0) std::memcpy(copy, data, length);
    copy[length] = 0;
    ReleaseRecord(record);
    record->data = copy;
    record->length = static_cast<int>(length);
    return Ok();
}

Status WriteText(const std::string& text, int size, char* buffer) {
    if (buffer == nullptr || size < 1) return Fail(Code::InvalidArgument, "text buffer");
    std::size_t length = text.size();
    std::size_t room = static_cast<std::size_t>(size) - 1;
    if (length > room) {
        length = room;
        // Step back over continuation bytes so that no UTF-8 sequence is cut in half.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xc0) == 0x80) --length;
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return Ok();
}

Status ReadText(const char* text, std::string& value, bool allowNull) {
    if (text == nullptr) {
        if (!allowNull) return Fail(Code::InvalidArgument, "text argument");
        value.clear();
        return Ok();
    }
    value = text;
    return Ok();
}

}  // namespace qlk
