// HoldFile.exe: another program holding a file open, for the end-to-end tests of the Temp Files
// clean. Opens (creating it if needed) the file with no sharing at all, so nobody else can
// open, rename or delete it, prints "held" once it holds it, and keeps it open until it is
// killed or the given number of seconds has passed (so a forgotten helper ends by itself).
//
//   HoldFile.exe <path> <seconds>

#include <cstdio>
#include <cwchar>

#include "platform/win32/WindowsApi.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: HoldFile.exe <path> <seconds>\n");
        return 2;
    }
    const unsigned long seconds = std::wcstoul(argv[2], nullptr, 10);
    HANDLE file = ::CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the file (error %lu)\n", ::GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    ::Sleep(seconds * 1000);
    ::CloseHandle(file);
    return 0;
}
