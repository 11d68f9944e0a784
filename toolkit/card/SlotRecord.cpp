#include "toolkit/card/SlotRecord.h"

#include <cstring>

namespace zorvane::card {
namespace {

constexpr unsigned char kMagic[4] = {'Z', 'C', 'S', '1'};

// Reads one length-prefixed item, never past the record's end.
bool ReadItem(const std::vector<unsigned char>& record, std::size_t& at, std::vector<unsigned char>& item) {
    if (record.size() - at < 4) return false;
    const std::size_t length = (std::size_t{record[at]} << 24) | (std::size_t{record[at + 1]} << 16) |
                               (std::size_t{record[at + 2]} << 8) | record[at + 3];
    at += 4;
    if (length > kMaxItem || record.size() - at < length) return false;
    item.assign(record.begin() + static_cast<long>(at), record.begin() + static_cast<long>(at + length));
    at += length;
    return true;
}

void AppendItem(std::vector<unsigned char>& record, const std::vector<unsigned char>& item) {
    const std::size_t length = item.size();
    for (int shift = 24; shift >= 0; shift -= 8) record.push_back(static_cast<unsigned char>(length >> shift));
    record.insert(record.end(), item.begin(), item.end());
}

}  // namespace

bool DecodeSlot(const std::vector<unsigned char>& record, SlotItems& slot) {
    if (record.size() < sizeof kMagic || record.size() > kMaxRecord ||
        std::memcmp(record.data(), kMagic, sizeof kMagic) != 0) {
        return false;
    }
    std::size_t at = sizeof kMagic;
    SlotItems decoded;
    for (auto& item : decoded.items) {
        if (!ReadItem(record, at, item)) return false;
    }
    if (at != record.size()) return false;
    slot = std::move(decoded);
    return true;
}

std::vector<unsigned char> EncodeSlot(const SlotItems& slot) {
    std::vector<unsigned char> record(kMagic, kMagic + sizeof kMagic);
    for (const auto& item : slot.items) AppendItem(record, item);
    return record;
}

}  // namespace zorvane::card
