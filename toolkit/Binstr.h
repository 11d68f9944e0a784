#pragma once
// Reading BINSTR inputs and filling BINSTR and text outputs, with the bounds checks
// that every QLK_ function relies on.

#include <cstddef>
#include <string>

#include "toolkit/Export.h"
#include "toolkit/Status.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

// A checked read-only view of a BINSTR input.
struct Input {
    const unsigned char* data = nullptr;
    std::size_t length = 0;

    bool empty() const { return length == 0; }
};

// Fails with InvalidArgument for a null record, a negative length or a null data
// pointer with a length; with EmptyInput when nonEmpty is set and the record is empty.
Status ReadInput(const BINSTR* record, Input& input, bool nonEmpty = true);

// Replaces the output record's contents (the old buffer is cleansed and freed) with a
// copy of the bytes. The copy is zero-terminated for callers that read it as text.
Status WriteOutput(BINSTR* record, const unsigned char* data, std::size_t length);

// A block that a producer fills in place and then hands to an output record, so that
// large outputs are not made once and copied again. Cleansed and freed when it is not
// handed over.
class OutputBlock {
public:
    explicit OutputBlock(std::size_t capacity);
    OutputBlock(const OutputBlock&) = delete;
    OutputBlock& operator=(const OutputBlock&) = delete;
    ~OutputBlock();

    unsigned char* data() { return block_; }  // null when memory could not be had
    // The first length bytes (at most the capacity) become the record's contents, as
    // WriteOutput would have copied them.
    Status HandTo(BINSTR* record, std::size_t length);

private:
    unsigned char* block_;
    std::size_t size_;
};
template <class Container>
Status WriteOutput(BINSTR* record, const Container& bytes) {
    return WriteOutput(record, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// Frees a record's buffer after cleansing it and leaves the record empty.
void ReleaseRecord(BINSTR* record);

// Copies text into a caller's buffer of size bytes: at most size - 1 bytes, never
// splitting a UTF-8 sequence, then a zero. Fails for a null buffer or a size below 1.
Status WriteText(const std::string& text, int size, char* buffer);

// Checks a text input pointer; a null pointer reads as empty when allowNull is set.
Status ReadText(const char* text, std::string& value, bool allowNull = false);

}  // namespace qlk
