// Clipboard.exe: puts a text on the clipboard of the Wine desktop it runs on, as a user's Copy
// in another program would, for the end-to-end tests that paste into Dustvale's dialogs.
//
//   Clipboard.exe <text>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "platform/win32/WindowsApi.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: Clipboard.exe <text>\n");
        return 2;
    }
    const std::size_t bytes = (std::wcslen(argv[1]) + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr) return 1;
    std::memcpy(::GlobalLock(block), argv[1], bytes);
    ::GlobalUnlock(block);
    if (!::OpenClipboard(nullptr)) {
        std::fprintf(stderr, "cannot open the clipboard (error %lu)\n", ::GetLastError());
        ::GlobalFree(block);
        return 1;
    }
    ::EmptyClipboard();
    const bool set = ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;  // owned by it now
    ::CloseClipboard();
    if (!set) {
        std::fprintf(stderr, "cannot set the clipboard (error %lu)\n", ::GetLastError());
        ::GlobalFree(block);
        return 1;
    }
    std::printf("set\n");
    return 0;
}
