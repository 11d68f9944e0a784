#pragma once
// The one call frame of the backends. An operation names the toolkit function and lists
// its arguments after the context; each argument is either a plain value handed over
// unchanged or one of the markers below, which become toolkit records or buffers:
//
//   In(bytes)                 a BINSTR over the bytes themselves (inputs are only read)
//   Out(bytes[, rule])        an empty BINSTR whose (data, length) is copied back
//   InOut(source, target)     a BINSTR filled from source, rewritten by the toolkit, copied to target
//   Filled(bytes, capacity)   a BINSTR over a fresh block of capacity bytes that the toolkit
//                             fills; the block becomes the bytes, by the rule ByBackend
//   TextOut(text, size[, r])  a zeroed buffer of size bytes, copied back as text
//   Into<Local>(target, r)    the address of a local, copied into target afterwards
//
// Invoke then runs the frame: library check, records prepared in argument order, the
// function looked up by name (once per loaded library; missing: "Fail to call" text,
// 102), the call with the context first, the toolkit's error text on a non-zero
// result, outputs copied by their rule, every record deleted.

#include <cstring>
#include <tuple>
#include <vector>

#include "core/ByteStringBlocks.h"
#include "core/SecureMemory.h"
#include "crypto/ToolkitBackend.h"

namespace zorvane {

struct BinaryInput {
    const ByteString& bytes;
};
struct BinaryOutput {
    ByteString& bytes;
    CopyRule rule;
};
struct BinaryInOut {
    const ByteString& source;
    ByteString& target;
    CopyRule rule;
};
struct BlockOutput {
    ByteString& bytes;
    int capacity;
};
struct TextOutput {
    ByteString& text;
    int size;
    CopyRule rule;
};
template <typename Local, typename Target>
struct LocalOutput {
    Target& target;
    CopyRule rule;
};

inline BinaryInput In(const ByteString& bytes) { return {bytes}; }
inline BinaryOutput Out(ByteString& bytes, CopyRule rule = CopyRule::ByBackend) { return {bytes, rule}; }
inline BinaryInOut InOut(const ByteString& source, ByteString& target, CopyRule rule = CopyRule::ByBackend) {
    return {source, target, rule};
}
inline BlockOutput Filled(ByteString& bytes, int capacity) { return {bytes, capacity}; }
inline TextOutput TextOut(ByteString& text, int size, CopyRule rule = CopyRule::Always) { return {text, size, rule}; }
template <typename Local, typename Target>
LocalOutput<Local, Target> Into(Target& target, CopyRule rule) {
    return {target, rule};
}

// A plain argument: handed over as it is.
template <typename Value>
class ArgumentSlot {
public:
    explicit ArgumentSlot(Value value) : value_(value) {}
    void Prepare(CToolkitBackend&) {}
    Value Argument() { return value_; }
    void Finish(const CToolkitBackend&, const CallOutcome&) {}

private:
    Value value_;
};

// Owns one toolkit BINSTR for the length of a call.
class BinstrHolder {
public:
    BinstrHolder() = default;
    BinstrHolder(const BinstrHolder&) = delete;
    BinstrHolder& operator=(const BinstrHolder&) = delete;
    ~BinstrHolder() {
        if (owner_) owner_->BinstrDelete(&record_);
    }
    void Create(CToolkitBackend& owner) {
        owner_ = &owner;
        owner.BinstrCreate(&record_);
    }
    void Fill(const ByteString& bytes) { owner_->BinstrSetData(bytes.data, bytes.length, &record_); }
    void CopyTo(ByteString& target) const { target.SetData(record_.data, record_.length); }
    BINSTR* Record() { return &record_; }

private:
    CToolkitBackend* owner_ = nullptr;
    BINSTR record_{nullptr, 0};
};

// Inputs are read, never replaced, by the toolkit, so the record points at the caller's
// bytes: no copy of a large message, and nothing of it left in a second block.
template <>
class ArgumentSlot<BinaryInput> {
public:
    explicit ArgumentSlot(BinaryInput input) : record_{input.bytes.data, input.bytes.data ? input.bytes.length : 0} {}
    void Prepare(CToolkitBackend&) {}
    BINSTR* Argument() { return &record_; }
    void Finish(const CToolkitBackend&, const CallOutcome&) {}

private:
    BINSTR record_;
};

template <>
class ArgumentSlot<BinaryOutput> {
public:
    explicit ArgumentSlot(BinaryOutput output) : output_(output) {}
    void Prepare(CToolkitBackend& owner) { binstr_.Create(owner); }
    BINSTR* Argument() { return binstr_.Record(); }
    void Finish(const CToolkitBackend& owner, const CallOutcome& outcome) {
        if (owner.CopiesOutput(output_.rule, outcome)) binstr_.CopyTo(output_.bytes);
    }

private:
    BinaryOutput output_;
    BinstrHolder binstr_;
};

template <>
class ArgumentSlot<BinaryInOut> {
public:
    explicit ArgumentSlot(BinaryInOut inOut) : inOut_(inOut) {}
    void Prepare(CToolkitBackend& owner) {
        binstr_.Create(owner);
        binstr_.Fill(inOut_.source);
    }
    BINSTR* Argument() { return binstr_.Record(); }
    void Finish(const CToolkitBackend& owner, const CallOutcome& outcome) {
        if (owner.CopiesOutput(inOut_.rule, outcome)) binstr_.CopyTo(inOut_.target);
    }

private:
    BinaryInOut inOut_;
    BinstrHolder binstr_;
};

template <>
class ArgumentSlot<BlockOutput> {
public:
    explicit ArgumentSlot(BlockOutput output)
        : output_(output), size_(static_cast<std::size_t>(output.capacity) + 1),
          block_(static_cast<unsigned char*>(AllocateBlock(size_))), record_{block_, block_ ? output.capacity : 0} {}
    ArgumentSlot(const ArgumentSlot&) = delete;
    ArgumentSlot& operator=(const ArgumentSlot&) = delete;
    ~ArgumentSlot() {
        if (block_) ReleaseBlock(block_, size_);
    }
    void Prepare(CToolkitBackend&) {}
    BINSTR* Argument() { return &record_; }
    // A failed call hands nothing over, as an output record it left empty would not.
    void Finish(const CToolkitBackend& owner, const CallOutcome& outcome) {
        if (!owner.CopiesOutput(CopyRule::ByBackend, outcome)) return;
        if (outcome.result != 0) {
            output_.bytes.Clear();
            return;
        }
        AdoptBlock(output_.bytes, block_, size_, record_.length);
        block_ = nullptr;
    }

private:
    BlockOutput output_;
    std::size_t size_;
    unsigned char* block_;
    BINSTR record_;
};

template <>
class ArgumentSlot<TextOutput> {
public:
    explicit ArgumentSlot(TextOutput output) : output_(output), buffer_(output.size > 0 ? output.size : 1, 0) {}
    void Prepare(CToolkitBackend&) {}
    char* Argument() { return buffer_.data(); }
    void Finish(const CToolkitBackend& owner, const CallOutcome& outcome) {
        if (!owner.CopiesOutput(output_.rule, outcome)) return;
        // Read no further than the buffer, whatever the toolkit left in it.
        output_.text.SetData(buffer_.data(), static_cast<int>(strnlen(buffer_.data(), buffer_.size())));
    }

private:
    TextOutput output_;
    std::vector<char> buffer_;
};

template <typename Local, typename Target>
class ArgumentSlot<LocalOutput<Local, Target>> {
public:
    explicit ArgumentSlot(LocalOutput<Local, Target> output) : output_(output) {}
    void Prepare(CToolkitBackend&) {}
    Local* Argument() { return &local_; }
    void Finish(const CToolkitBackend& owner, const CallOutcome& outcome) {
        if (owner.CopiesOutput(output_.rule, outcome)) output_.target = static_cast<Target>(local_);
    }

private:
    LocalOutput<Local, Target> output_;
    Local local_{};
};

template <typename Function>
Function CToolkitBackend::Find(ToolkitFunction<Function> function) const {
    // Through void (*)(), the function type that converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(Lookup(function.name, function.slot)));
}

template <typename... Functions>
bool CToolkitBackend::Present(const char* failName, ToolkitFunction<Functions>... functions) {
    if ((... && (Find(functions) != nullptr))) return true;
    ReportMissing(failName);
    return false;
}

template <typename Function, typename... Arguments>
CallOutcome CToolkitBackend::Call(const CallFrame& frame, ToolkitFunction<Function> function,
                                  Arguments... arguments) {
    if (!Loaded()) return {Reach::NotLoaded, frame.notLoaded};
    std::tuple<ArgumentSlot<Arguments>...> slots{arguments...};
    std::apply([this](auto&... slot) { (slot.Prepare(*this), ...); }, slots);
    CallOutcome outcome{Reach::Missing, kFunctionMissing};
    if (const Function entry = Find(function)) {
        outcome.reach = Reach::Called;
        outcome.result = std::apply([&](auto&... slot) { return entry(m_context, slot.Argument()...); }, slots);
        if (outcome.result != 0) FetchErrorText();
    } else {
        ReportMissing(frame.failName ? frame.failName : function.name);
    }
    std::apply([&](auto&... slot) { (slot.Finish(*this, outcome), ...); }, slots);
    return outcome;
}

template <typename Function, typename... Arguments>
int CToolkitBackend::Invoke(const CallFrame& frame, ToolkitFunction<Function> function, Arguments... arguments) {
    return Call(frame, function, arguments...).result;
}

template <typename Function, typename... Arguments>
int CToolkitBackend::Invoke(ToolkitFunction<Function> function, Arguments... arguments) {
    return Call(UsualFrame(), function, arguments...).result;
}

template <typename DiskFunction, typename CardFunction, typename... Arguments>
int CToolkitBackend::OnMedia(int media, const char* failName, ToolkitFunction<DiskFunction> disk,
                             ToolkitFunction<CardFunction> card, int selector, Arguments... arguments) {
    // Both functions are looked up before the media type is looked at, so a library
    // lacking either answers 102 for both media.
    const CallFrame frame{kNotLoadedGpki, failName};
    if (!Loaded()) return frame.notLoaded;
    if (!Present(failName, disk, card)) return kFunctionMissing;
    enum { kDisk = 1, kCard = 2 };
    if (media == kDisk) return Invoke(frame, disk, arguments...);
    if (media == kCard) return Invoke(frame, card, selector, arguments...);
    m_errorText.Format("%s Class : ERROR CODE : %d - Unknown media type %d", m_traits.className,
                       kFunctionMissing, media);
    return kFunctionMissing;
}

}  // namespace zorvane
