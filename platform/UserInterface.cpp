// MessageBoxA goes to the replaceable message sink; lstrcmpA compares texts.
#include <cstring>

#include "platform/Services.h"
#include "platform/Win32.h"

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    return zorvane::platform::Messages().Show(text, caption, type);
}

int lstrcmpA(LPCSTR first, LPCSTR second) {
    if (!first || !second) return first == second ? 0 : (first ? 1 : -1);
    const int order = std::strcmp(first, second);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
