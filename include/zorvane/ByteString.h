#pragma once
#include <zorvane/Export.h>

// The one buffer type of the library: a length-counted heap block that also reads
// as a zero-terminated text. Zero bytes inside the content count. Every block is
// wiped before it is freed, since keys and passwords travel in byte strings.
class ZORVANE_API ByteString {
public:
    ByteString();
    ByteString(const char* text);
    ByteString(const void* bytes, int count);
    ByteString(const ByteString& other);
    virtual ~ByteString();

    int SetData(const void* bytes, int count);
    ByteString& operator=(const ByteString& other);
    ByteString& operator=(const char* text);
    void Clear();

    ByteString& operator+=(const ByteString& other);
    ByteString& operator+=(const char* text);

    bool operator==(const ByteString& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const ByteString& other) const;
    bool operator!=(const char* text) const;

    int GetLength() const;
    char* GetData() const;
    bool IsEmpty() const;

    int Find(const void* bytes, int count) const;
    int Find(const char* text) const;
    ByteString ToHex();
    int Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int LoadFile(const char* path);

    int length;
    unsigned char* data;
    int status;
};

ZORVANE_API ByteString operator+(const ByteString& left, const ByteString& right);
ZORVANE_API ByteString operator+(const ByteString& left, const char* right);
