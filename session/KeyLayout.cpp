#include "session/KeyLayout.h"

namespace zorvane {

namespace {

constexpr int kTripleDes = 32;
constexpr int kAria256 = 240;

}  // namespace

KeyLayout KeyLayoutFor(int algo) {
    if (algo == kTripleDes) return {24, 8};
    if (algo == kAria256) return {32, 32};
    return {16, 16};
}

}  // namespace zorvane
