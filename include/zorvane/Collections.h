#pragma once
// Thin stand-ins for the MFC collections that appear in the exported interface.
// They keep MFC's operation names and, for CArray, MFC's growth rule, because callers
// size their arrays by it. The string type is ByteString.

#include <zorvane/ByteString.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <list>
#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    CArray() = default;
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;
    virtual ~CArray() { SetSize(0); }

    int GetSize() const { return m_nSize; }
    int GetCount() const { return m_nSize; }
    int GetUpperBound() const { return m_nSize - 1; }
    bool IsEmpty() const { return m_nSize == 0; }
    // Allocated element slots; MFC keeps this protected, tests read it to check growth.
    int GetAllocatedSize() const { return m_nMaxSize; }

    // MFC's rule: grow by the grow-by value, or when none is set by size/8 bounded to
    // 4 ... 1024, or straight to the new size when that is larger.
    void SetSize(int newSize, int growBy = -1) {
        if (growBy >= 0) m_nGrowBy = growBy;
        if (newSize <= 0) {
            DestroyRange(0, m_nSize);
            std::free(m_pData);
            m_pData = nullptr;
            m_nSize = m_nMaxSize = 0;
            return;
        }
        if (!m_pData) {
            const int allocate = newSize > m_nGrowBy ? newSize : m_nGrowBy;
            m_pData = Allocate(allocate);
            ConstructRange(0, newSize);
            m_nSize = newSize;
            m_nMaxSize = allocate;
            return;
        }
        if (newSize <= m_nMaxSize) {
            if (newSize > m_nSize) ConstructRange(m_nSize, newSize);
            else DestroyRange(newSize, m_nSize);
            m_nSize = newSize;
            return;
        }
        int step = m_nGrowBy;
        if (step == 0) {
            step = m_nSize / 8;
            step = step < 4 ? 4 : (step > 1024 ? 1024 : step);
        }
        const int newMax = newSize < m_nMaxSize + step ? m_nMaxSize + step : newSize;
        TYPE* block = Allocate(newMax);
        for (int i = 0; i < m_nSize; ++i) {
            new (block + i) TYPE(std::move(m_pData[i]));  // growing moves; it need not copy
            m_pData[i].~TYPE();
        }
        std::free(m_pData);
        m_pData = block;
        ConstructRange(m_nSize, newSize);
        m_nSize = newSize;
        m_nMaxSize = newMax;
    }

    void RemoveAll() { SetSize(0); }
    // An element of this array itself may be added: it is copied before the array
    // grows, since growing moves the elements.
    int Add(ARG_TYPE element) {
        const int index = m_nSize;
        if (index < m_nMaxSize || !Holds(element)) {
            SetSize(index + 1);
            m_pData[index] = element;
            return index;
        }
        const TYPE copy(element);
        SetSize(index + 1);
        m_pData[index] = copy;
        return index;
    }
    void SetAt(int index, ARG_TYPE element) { m_pData[index] = element; }
    TYPE& GetAt(int index) { return m_pData[index]; }
    const TYPE& GetAt(int index) const { return m_pData[index]; }
    TYPE& ElementAt(int index) { return m_pData[index]; }
    TYPE* GetData() { return m_pData; }
    const TYPE* GetData() const { return m_pData; }
    TYPE& operator[](int index) { return m_pData[index]; }
    const TYPE& operator[](int index) const { return m_pData[index]; }

protected:
    TYPE* m_pData = nullptr;
    int m_nSize = 0;
    int m_nMaxSize = 0;
    int m_nGrowBy = 0;

private:
    bool Holds(const TYPE& element) const {
        const std::less<const TYPE*> before;
        return m_pData && !before(&element, m_pData) && before(&element, m_pData + m_nSize);
    }
    static TYPE* Allocate(int count) {
        void* block = std::malloc(sizeof(TYPE) * static_cast<std::size_t>(count));
        if (!block) throw std::bad_alloc();  // MFC throws CMemoryException here
        return static_cast<TYPE*>(block);
    }
    // As MFC's ConstructElements: zero the storage, then construct.
    void ConstructRange(int from, int to) {
        std::memset(static_cast<void*>(m_pData + from), 0, sizeof(TYPE) * static_cast<std::size_t>(to - from));
        for (int i = from; i < to; ++i) new (m_pData + i) TYPE();
    }
    void DestroyRange(int from, int to) {
        for (int i = from; i < to; ++i) m_pData[i].~TYPE();
    }
};

class CStringArray {
public:
    virtual ~CStringArray() = default;
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    int Add(const ByteString& text) {
        m_items.push_back(text);
        return GetSize() - 1;
    }
    void RemoveAll() { m_items.clear(); }
    const ByteString& GetAt(int index) const { return m_items[index]; }
    ByteString& ElementAt(int index) { return m_items[index]; }
    const ByteString& operator[](int index) const { return m_items[index]; }

private:
    std::vector<ByteString> m_items;
};

class CStringList {
public:
    virtual ~CStringList() = default;
    int GetCount() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    void AddTail(const ByteString& text) { m_items.push_back(text); }
    void AddHead(const ByteString& text) { m_items.push_front(text); }
    void RemoveAll() { m_items.clear(); }
    // Index access stands in for MFC's POSITION walk.
    const ByteString& GetAt(int index) const {
        auto it = m_items.begin();
        for (int i = 0; i < index; ++i) ++it;
        return *it;
    }
    std::list<ByteString>::const_iterator begin() const { return m_items.begin(); }
    std::list<ByteString>::const_iterator end() const { return m_items.end(); }

private:
    std::list<ByteString> m_items;
};

class CMapStringToString {
public:
    explicit CMapStringToString(int blockSize = 10) : m_blockSize(blockSize) {}
    virtual ~CMapStringToString() = default;
    int GetCount() const { return static_cast<int>(m_items.size()); }
    int GetSize() const { return GetCount(); }
    bool IsEmpty() const { return m_items.empty(); }
    void SetAt(const char* key, const ByteString& value) { m_items[Key(key)] = value; }
    void SetAt(const ByteString& key, const ByteString& value) { m_items[Key(key)] = value; }
    bool Lookup(const char* key, ByteString& value) const { return Find(Key(key), value); }
    bool Lookup(const ByteString& key, ByteString& value) const { return Find(Key(key), value); }
    bool RemoveKey(const char* key) { return m_items.erase(Key(key)) > 0; }
    void RemoveAll() { m_items.clear(); }
    int GetBlockSize() const { return m_blockSize; }

private:
    // Keys are texts, as MFC's CString keys: they end at their first zero byte.
    static std::string Key(const char* key) { return key ? std::string(key) : std::string(); }
    static std::string Key(const ByteString& key) { return std::string(key.GetData()); }
    bool Find(const std::string& key, ByteString& value) const {
        auto it = m_items.find(key);
        if (it == m_items.end()) return false;
        value = it->second;
        return true;
    }
    std::map<std::string, ByteString> m_items;
    int m_blockSize;
};
