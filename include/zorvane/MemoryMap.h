#pragma once
#include <zorvane/ByteString.h>
#include <zorvane/Export.h>

// Passes one text between processes through a named shared block of 100000 bytes.
// WriteMMF and ReadMMF answer 1 on success; 400 when no block of that name exists,
// 401 when it cannot be mapped, 402 (WriteMMF) when the text does not fit: 100000
// bytes or more, since the block must keep a terminating zero. The first WriteMMF or
// ReadMMF of a name keeps that block open for the rest of the process's life.
class ZORVANE_API CMemoryMap {
public:
    CMemoryMap();
    CMemoryMap(const CMemoryMap& other);
    CMemoryMap& operator=(const CMemoryMap& other);
    virtual ~CMemoryMap();

    void CreateMMF(ByteString name);
    int WriteMMF(ByteString name, ByteString text);
    int ReadMMF(ByteString name, ByteString& text);
    ByteString GetMMFItem(ByteString text, ByteString name);
    int DeleteMMF();

    // Mapping made by CreateMMF; copies share it and the last one to let go closes it.
    void* m_mapping;
};
