// The second process of the shared-memory tests.
//   read NAME          print the block's text; exit 3 when no block of that name exists
//   write NAME TEXT    replace the block's text; exit 3 when it does not exist
//   hold NAME TEXT     create the block, write TEXT, print "ready", then wait to be killed
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/Win32.h"

namespace {

constexpr DWORD kBlockSize = 100000;

int Read(const char* name) {
    HANDLE block = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!block) return 3;
    const char* view = static_cast<const char*>(MapViewOfFile(block, FILE_MAP_READ, 0, 0, 0));
    if (!view) return 4;
    std::fputs(view, stdout);
    UnmapViewOfFile(view);
    CloseHandle(block);
    return 0;
}

int Write(const char* name, const char* text) {
    HANDLE block = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!block) return 3;
    char* view = static_cast<char*>(MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) return 4;
    std::memset(view, 0, kBlockSize);
    std::memcpy(view, text, std::strlen(text));
    UnmapViewOfFile(view);
    CloseHandle(block);
    return 0;
}

int Hold(const char* name, const char* text) {
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name);
    if (!block) return 3;
    char* view = static_cast<char*>(MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) return 4;
    std::memcpy(view, text, std::strlen(text) + 1);
    std::puts("ready");
    std::fflush(stdout);
    for (;;) pause();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && !std::strcmp(argv[1], "read")) return Read(argv[2]);
    if (argc == 4 && !std::strcmp(argv[1], "write")) return Write(argv[2], argv[3]);
    if (argc == 4 && !std::strcmp(argv[1], "hold")) return Hold(argv[2], argv[3]);
    std::fprintf(stderr, "usage: read NAME | write NAME TEXT | hold NAME TEXT\n");
    return 2;
}
