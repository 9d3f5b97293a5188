# Cross build of the 32-bit Windows executable with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# Sections aligned in the file as in memory: Wine then maps an executable straight from its
# file, where it otherwise copies the whole image into the process's private memory (about
# 470 KB for Dustvale.exe). Windows maps either kind; the file grows by a few pages.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--file-alignment,4096")
