#include <zorvane/ByteString.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/ByteStringBlocks.h"
#include "core/FileLoading.h"
#include "core/SecureMemory.h"
#include "platform/Win32.h"

using zorvane::AllocateBlock;
using zorvane::ReleaseBlock;
using zorvane::WipeMemory;

namespace {

char g_emptyText[1] = {0};

enum { kOk = 0, kNoMemory = 2 };

// A fresh block of count + 1 bytes holding the bytes of both parts and a zero.
unsigned char* JoinIntoNewBlock(const unsigned char* first, int firstCount,
                                const unsigned char* second, int secondCount) {
    const std::size_t total = static_cast<std::size_t>(firstCount) + secondCount;
    auto* block = static_cast<unsigned char*>(AllocateBlock(total + 1));
    if (!block) return nullptr;
    if (firstCount > 0) std::memcpy(block, first, firstCount);
    if (secondCount > 0) std::memcpy(block + firstCount, second, secondCount);
    block[total] = 0;
    return block;
}

}  // namespace

ByteString::ByteString() : length(0), data(nullptr), status(kOk) {}

ByteString::ByteString(const char* text) : ByteString() {
    if (text && *text) status = SetData(text, static_cast<int>(std::strlen(text)));
}

ByteString::ByteString(const void* bytes, int count) : ByteString() {
    status = SetData(bytes, count);
}

ByteString::ByteString(const ByteString& other) : ByteString() {
    status = SetData(other.data, other.length);
}

ByteString::ByteString(ByteString&& other) noexcept : length(other.length), data(other.data), status(kOk) {
    other.data = nullptr;
    other.length = 0;
    other.status = kOk;
}

ByteString::~ByteString() { Clear(); }

void ByteString::Clear() {
    if (data) ReleaseBlock(data, static_cast<std::size_t>(length) + 1);
    data = nullptr;
    length = 0;
    status = kOk;
}

int ByteString::SetData(const void* bytes, int count) {
    Clear();
    if (!bytes || count < 1) return kOk;
    unsigned char* block = JoinIntoNewBlock(static_cast<const unsigned char*>(bytes), count, nullptr, 0);
    if (!block) return kNoMemory;
    data = block;
    length = count;
    return kOk;
}

ByteString& ByteString::operator=(const ByteString& other) {
    status = kOk;
    if (this == &other) return *this;
    unsigned char* block = nullptr;
    if (!other.IsEmpty()) {
        block = JoinIntoNewBlock(other.data, other.length, nullptr, 0);
        if (!block) {
            Clear();
            status = kNoMemory;
            return *this;
        }
    }
    Clear();
    if (block) {
        data = block;
        length = other.length;
    }
    return *this;
}

ByteString& ByteString::operator=(ByteString&& other) noexcept {
    status = kOk;
    if (this == &other) return *this;
    Clear();
    data = other.data;
    length = other.length;
    other.data = nullptr;
    other.length = 0;
    other.status = kOk;
    return *this;
}

ByteString& ByteString::operator=(const char* text) {
    if (!text || !*text) {
        Clear();
        return *this;
    }
    ByteString temporary(text, static_cast<int>(std::strlen(text)));
    if (temporary.status != kOk) {  // report the failed copy rather than an empty success
        Clear();
        status = temporary.status;
        return *this;
    }
    return *this = temporary;
}

namespace {

// Appends count bytes: one new block holding both parts, then the old block goes, so
// appending a string to itself works and a failed allocation changes nothing.
void AppendBytes(ByteString& target, const unsigned char* bytes, int count) {
    target.status = kOk;
    unsigned char* block = JoinIntoNewBlock(target.data, target.length, bytes, count);
    if (!block) {
        target.status = kNoMemory;
        return;
    }
    const int total = target.length + count;
    if (target.data) ReleaseBlock(target.data, static_cast<std::size_t>(target.length) + 1);
    target.data = block;
    target.length = total;
}

}  // namespace

ByteString& ByteString::operator+=(const ByteString& other) {
    status = kOk;
    if (!other.IsEmpty()) AppendBytes(*this, other.data, other.length);
    return *this;
}

ByteString& ByteString::operator+=(const char* text) {
    if (text && *text) AppendBytes(*this, reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
    return *this;
}

ByteString operator+(const ByteString& left, const ByteString& right) {
    ByteString joined(left);
    joined += right;
    return joined;
}

ByteString operator+(const ByteString& left, const char* right) {
    ByteString joined(left);
    joined += right;
    return joined;
}

bool ByteString::operator==(const ByteString& other) const {
    if (this == &other) return true;
    if (GetLength() != other.GetLength()) return false;
    if (IsEmpty() && other.IsEmpty()) return true;
    return std::memcmp(data, other.data, length) == 0;
}

bool ByteString::operator==(const char* text) const {
    if (!text) return IsEmpty();
    const std::size_t textLength = std::strlen(text);
    if (static_cast<std::size_t>(GetLength()) != textLength) return false;
    return textLength == 0 || std::memcmp(data, text, textLength) == 0;
}

bool ByteString::operator!=(const ByteString& other) const { return !(*this == other); }
bool ByteString::operator!=(const char* text) const { return !(*this == text); }

int ByteString::GetLength() const { return length; }

char* ByteString::GetData() const {
    return IsEmpty() ? g_emptyText : reinterpret_cast<char*>(data);
}

bool ByteString::IsEmpty() const { return data == nullptr || length < 1; }

int ByteString::Find(const void* bytes, int count) const {
    if (!bytes || count < 1 || count > GetLength()) return -1;
    const auto* pattern = static_cast<const unsigned char*>(bytes);
    for (int start = 0; start <= length - count; ++start) {
        if (data[start] == pattern[0] && std::memcmp(data + start, pattern, count) == 0) return start;
    }
    return -1;
}

int ByteString::Find(const char* text) const {
    if (!text) return -1;
    return Find(text, static_cast<int>(std::strlen(text)));
}

ByteString ByteString::ToHex() {
    static const char kDigits[] = "0123456789abcdef";
    status = kOk;
    ByteString hex;
    if (IsEmpty()) return hex;
    const std::size_t size = static_cast<std::size_t>(length) * 2;
    auto* buffer = static_cast<char*>(AllocateBlock(size));
    if (!buffer) {
        status = kNoMemory;
        return hex;
    }
    for (int i = 0; i < length; ++i) {
        buffer[2 * i] = kDigits[data[i] >> 4];
        buffer[2 * i + 1] = kDigits[data[i] & 0x0f];
    }
    status = hex.SetData(buffer, static_cast<int>(size));
    ReleaseBlock(buffer, size);
    return hex;
}

int ByteString::Format(const char* format, ...) {
    if (!format) return status;
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int measured = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (measured < 0) {
        va_end(arguments);
        return status;  // nothing measurable: content and status stay
    }
    const std::size_t size = static_cast<std::size_t>(measured) + 1;
    auto* block = static_cast<char*>(AllocateBlock(size));
    if (!block) {
        va_end(arguments);
        return kNoMemory;
    }
    std::vsnprintf(block, size, format, arguments);
    va_end(arguments);
    status = SetData(block, measured);
    ReleaseBlock(block, size);
    return status;
}

namespace zorvane {

void AdoptBlock(ByteString& into, unsigned char* block, std::size_t blockSize, int length) {
    into.Clear();
    if (length < 1) {
        ReleaseBlock(block, blockSize);
        return;
    }
    WipeMemory(block + length, blockSize - static_cast<std::size_t>(length));
    into.data = block;
    into.length = length;
}

// The file is read straight into the block the string then keeps: no second image of it.
int LoadFileUpTo(ByteString& into, const char* path, std::uint32_t maxSize) {
    enum { kEmptyPath = 1, kCannotOpen = 2, kNoSize = 3, kNoBuffer = 4, kReadFailed = 5, kShortRead = 6 };
    if (!path || !*path) return kEmptyPath;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kCannotOpen;
    int result = kOk;
    const DWORD size = GetFileSize(file, nullptr);
    unsigned char* buffer = nullptr;
    DWORD got = 0;
    if (size == INVALID_FILE_SIZE || size > 0x7ffffffeu) {
        result = kNoSize;
    } else if (size > maxSize) {
        result = kFileTooLarge;
    } else if (!(buffer = static_cast<unsigned char*>(AllocateBlock(static_cast<std::size_t>(size) + 1)))) {
        result = kNoBuffer;
    } else {
        if (size > 0 && !ReadFile(file, buffer, size, &got, nullptr)) result = kReadFailed;
        else if (got < size) result = kShortRead;
        else {
            const int kept = into.status;  // loading reports through its result only
            AdoptBlock(into, buffer, static_cast<std::size_t>(size) + 1, static_cast<int>(size));
            into.status = kept;
            buffer = nullptr;
        }
    }
    if (buffer) ReleaseBlock(buffer, static_cast<std::size_t>(size) + 1);
    CloseHandle(file);
    return result;
}

void KeepInPlace(ByteString& text, int start, int count) {
    if (text.IsEmpty() || count < 1) {
        text.Clear();
        return;
    }
    std::memmove(text.data, text.data + start, static_cast<std::size_t>(count));
    WipeMemory(text.data + count, static_cast<std::size_t>(text.length - count) + 1);
    text.length = count;
}

}  // namespace zorvane

int ByteString::LoadFile(const char* path) { return zorvane::LoadFileUpTo(*this, path, 0x7ffffffeu); }
