#pragma once
// The record of one card-image slot file: "ZCS1", then the certificate and the private
// key, each a 4-byte big-endian length (at most kMaxItem) and its bytes.

#include <array>
#include <cstddef>
#include <vector>

namespace zorvane::card {

constexpr std::size_t kMaxItem = 64 * 1024;
constexpr std::size_t kMaxRecord = 4 + 2 * (4 + kMaxItem);

struct SlotItems {
    std::array<std::vector<unsigned char>, 2> items;  // ZCARD_ITEM_CERTIFICATE, ZCARD_ITEM_PRIVATE_KEY

    bool Empty() const { return items[0].empty() && items[1].empty(); }
};

// False for a record that is short, long, of another magic or with an item over the limit.
bool DecodeSlot(const std::vector<unsigned char>& record, SlotItems& slot);

std::vector<unsigned char> EncodeSlot(const SlotItems& slot);

}  // namespace zorvane::card
