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

    void CreateMMF(ByteString name);  // creates (or opens) the block and holds it
    int WriteMMF(ByteString name, ByteString text);  // into the existing block name
    int ReadMMF(ByteString name, ByteString& text);  // the block's text
    // An item of a query text "site=x?lang=ko&id=7": name is the item's name with its "="
    // ("lang="); the value runs to the next "&" ("site=" to the "?"). "NULL" when absent.
    ByteString GetMMFItem(ByteString text, ByteString name);
    int DeleteMMF();  // lets go of the block made by CreateMMF; 0

    // Mapping made by CreateMMF; copies share it and the last one to let go closes it.
    void* m_mapping;
};
