#pragma once
#include <zorvane/Export.h>

// The one buffer type of the library: a length-counted heap block that also reads
// as a zero-terminated text. Zero bytes inside the content count. Every block is
// wiped before it is freed, since keys and passwords travel in byte strings.
class ZORVANE_API ByteString {
public:
    // status is 0, or 2 when memory for the copy could not be had (the string is then empty).
    ByteString();
    ByteString(const char* text);               // the text's bytes, without its zero
    ByteString(const void* bytes, int count);
    ByteString(const ByteString& other);
    // Takes the other's block without copying it; the other is left empty, status 0.
    ByteString(ByteString&& other) noexcept;
    virtual ~ByteString();

    int SetData(const void* bytes, int count);  // replaces the content: 0, or 2 out of memory
    ByteString& operator=(const ByteString& other);
    ByteString& operator=(ByteString&& other) noexcept;  // own block wiped and freed, the other's taken
    ByteString& operator=(const char* text);
    void Clear();

    ByteString& operator+=(const ByteString& other);
    ByteString& operator+=(const char* text);

    bool operator==(const ByteString& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const ByteString& other) const;
    bool operator!=(const char* text) const;

    int GetLength() const;
    char* GetData() const;  // never null: an empty string gives ""
    bool IsEmpty() const;

    // Index of the first occurrence, or -1.
    int Find(const void* bytes, int count) const;
    int Find(const char* text) const;
    ByteString ToHex();  // two lower-case hex digits per byte
    // printf-style; returns status (0, or 2 out of memory).
    int Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The whole file at path (a POSIX path or a Windows path with a drive letter): 0 read;
    // 1 empty path, 2 cannot open, 3 size unknown, 4 out of memory, 5 read failed, 6 short
    // read, each leaving the content unchanged.
    int LoadFile(const char* path);

    int length;
    unsigned char* data;
    int status;
};

ZORVANE_API ByteString operator+(const ByteString& left, const ByteString& right);
ZORVANE_API ByteString operator+(const ByteString& left, const char* right);
