// NpkiCard.dll: the card driver for card images. A reader name is a folder; slot N is
// the file "slot<N>" in it, holding the slot's certificate and private key.

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/SafeFiles.h"
#include "toolkit/card/CardDriver.h"
#include "toolkit/card/SlotRecord.h"

#define ZCARD_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using zorvane::card::SlotItems;
using zorvane::paths::FileResult;

constexpr int kMaxSlot = 255;

bool ValidAddress(const char* reader, int slot, int item) {
    return reader != nullptr && reader[0] != '\0' && slot >= 1 && slot <= kMaxSlot &&
           (item == ZCARD_ITEM_CERTIFICATE || item == ZCARD_ITEM_PRIVATE_KEY);
}

bool ReaderExists(const char* reader) {
    struct stat status {};
    return ::stat(reader, &status) == 0 && S_ISDIR(status.st_mode);
}

std::string SlotPath(const char* reader, int slot) { return std::string(reader) + "/slot" + std::to_string(slot); }

// The slot's items; a slot without a file is empty.
int LoadSlot(const std::string& path, SlotItems& slot) {
    std::vector<unsigned char> record;
    switch (zorvane::paths::ReadOwnedFile(path, zorvane::card::kMaxRecord, record)) {
    case FileResult::Ok: return zorvane::card::DecodeSlot(record, slot) ? ZCARD_OK : ZCARD_IO_ERROR;
    case FileResult::Missing: slot = SlotItems{}; return ZCARD_OK;
    default: return ZCARD_IO_ERROR;
    }
}

int StoreSlot(const std::string& path, const SlotItems& slot) {
    if (slot.Empty()) return zorvane::paths::RemoveFile(path) == FileResult::Ok ? ZCARD_OK : ZCARD_IO_ERROR;
    const std::vector<unsigned char> record = zorvane::card::EncodeSlot(slot);
    return zorvane::paths::WriteFileAtomically(path, record.data(), record.size(), 0600, true) == FileResult::Ok
               ? ZCARD_OK
               : ZCARD_IO_ERROR;
}

// Checks the address and loads the slot it names.
int OpenSlot(const char* reader, int slot, int item, std::string& path, SlotItems& items) {
    if (!ValidAddress(reader, slot, item)) return ZCARD_BAD_ARGUMENT;
    if (!ReaderExists(reader)) return ZCARD_NO_READER;
    path = SlotPath(reader, slot);
    return LoadSlot(path, items);
}

}  // namespace

ZCARD_EXPORT int ZCARD_Read(const char* reader, int slot, int item, unsigned char* buffer, int capacity,
                            int* length) {
    if (length == nullptr || capacity < 0 || (buffer == nullptr && capacity > 0)) return ZCARD_BAD_ARGUMENT;
    std::string path;
    SlotItems items;
    if (const int opened = OpenSlot(reader, slot, item, path, items)) return opened;
    const std::vector<unsigned char>& value = items.items[static_cast<std::size_t>(item)];
    if (value.empty()) return ZCARD_EMPTY;
    *length = static_cast<int>(value.size());
    if (value.size() > static_cast<std::size_t>(capacity)) return ZCARD_TOO_SMALL;
    std::memcpy(buffer, value.data(), value.size());
    return ZCARD_OK;
}

ZCARD_EXPORT int ZCARD_Write(const char* reader, int slot, int item, const unsigned char* data, int length,
                             int replace) {
    if (data == nullptr || length <= 0 || static_cast<std::size_t>(length) > zorvane::card::kMaxItem) {
        return ZCARD_BAD_ARGUMENT;
    }
    std::string path;
    SlotItems items;
    if (const int opened = OpenSlot(reader, slot, item, path, items)) return opened;
    std::vector<unsigned char>& value = items.items[static_cast<std::size_t>(item)];
    if (!value.empty() && replace == 0) return ZCARD_EXISTS;
    value.assign(data, data + length);
    return StoreSlot(path, items);
}

ZCARD_EXPORT int ZCARD_Delete(const char* reader, int slot, int item) {
    std::string path;
    SlotItems items;
    if (const int opened = OpenSlot(reader, slot, item, path, items)) return opened;
    std::vector<unsigned char>& value = items.items[static_cast<std::size_t>(item)];
    if (value.empty()) return ZCARD_EMPTY;
    value.clear();
    return StoreSlot(path, items);
}
