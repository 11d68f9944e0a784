#include <zorvane/MemoryMap.h>

#include <cstring>

#include "exchange/MappingRegistry.h"
#include "platform/Win32.h"

using zorvane::KeptBlock;
using zorvane::ReleaseMapping;
using zorvane::RetainMapping;

namespace {

// Decimal on purpose: the size both ends of the exchange agree on.
constexpr DWORD kBlockSize = 100000;

enum MapResult {
    kDone = 1,
    kNoSuchBlock = 400,
    kCannotMap = 401,
    kTextTooLong = 402,
};

}  // namespace

CMemoryMap::CMemoryMap() : m_mapping(nullptr) {}

CMemoryMap::CMemoryMap(const CMemoryMap& other) : m_mapping(other.m_mapping) { RetainMapping(m_mapping); }

CMemoryMap& CMemoryMap::operator=(const CMemoryMap& other) {
    if (m_mapping == other.m_mapping) return *this;
    RetainMapping(other.m_mapping);
    ReleaseMapping(m_mapping);
    m_mapping = other.m_mapping;
    return *this;
}

CMemoryMap::~CMemoryMap() { ReleaseMapping(m_mapping); }

// Opens the block when one of that name already exists (the system's rule for named
// mappings). A mapping made earlier by this object is let go only after the new one is
// open: when both name the same block, this object may be its last holder, and letting
// go first would remove the block and its text.
void CMemoryMap::CreateMMF(ByteString name) {
    void* previous = m_mapping;
    m_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.GetData());
    RetainMapping(m_mapping);
    ReleaseMapping(previous);
}

int CMemoryMap::DeleteMMF() {
    ReleaseMapping(m_mapping);
    m_mapping = nullptr;
    return 0;
}

// The whole block is zeroed before the text goes in, so the zeros end the text; a text
// that would fill the block leaves no room for that end and is refused.
int CMemoryMap::WriteMMF(ByteString name, ByteString text) {
    if (static_cast<DWORD>(text.GetLength()) >= kBlockSize) return kTextTooLong;
    HANDLE block = KeptBlock(name.GetData());
    if (!block) return kNoSuchBlock;
    void* view = MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize);
    if (!view) return kCannotMap;
    std::memset(view, 0, kBlockSize);
    if (!text.IsEmpty()) std::memcpy(view, text.GetData(), static_cast<std::size_t>(text.GetLength()));
    UnmapViewOfFile(view);
    return kDone;
}

// Copies up to the first zero byte; a block that another program filled to the end
// is read to its end and no further.
int CMemoryMap::ReadMMF(ByteString name, ByteString& text) {
    HANDLE block = KeptBlock(name.GetData());
    if (!block) return kNoSuchBlock;
    void* view = MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize);
    if (!view) return kCannotMap;
    const void* end = std::memchr(view, 0, kBlockSize);
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - static_cast<char*>(view))
                                   : kBlockSize;
    text.SetData(view, static_cast<int>(length));
    UnmapViewOfFile(view);
    return kDone;
}
