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

namespace {

Status CheckOutput(const BINSTR* record, std::size_t length) {
    if (record == nullptr || record->length < 0) return Fail(Code::InvalidArgument, "output record");
    if (length > static_cast<std::size_t>(INT_MAX) - 1) return Fail(Code::InputTooLarge);
    return Ok();
}

}  // namespace

Status WriteOutput(BINSTR* record, const unsigned char* data, std::size_t length) {
    QLK_RETURN_IF_FAILED(CheckOutput(record, length));
    OutputBlock copy(length);
    if (copy.data() == nullptr) return Fail(Code::OutOfMemory);
    if (length > 0) std::memcpy(copy.data(), data, length);
    return copy.HandTo(record, length);
}

// One byte more than the capacity, for the zero after the contents.
OutputBlock::OutputBlock(std::size_t capacity)
    : block_(static_cast<unsigned char*>(std::malloc(capacity + 1))), size_(capacity + 1) {}

OutputBlock::~OutputBlock() {
    if (block_ == nullptr) return;
    OPENSSL_cleanse(block_, size_);
    std::free(block_);
}

Status OutputBlock::HandTo(BINSTR* record, std::size_t length) {
    QLK_RETURN_IF_FAILED(CheckOutput(record, length));
    block_[length] = 0;
    ReleaseRecord(record);
    record->data = block_;
    record->length = static_cast<int>(length);
    block_ = nullptr;
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
