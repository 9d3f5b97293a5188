# What both MinGW-w64 cross builds share; included by mingw-x64.cmake and mingw-x86.cmake.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine, each with the loader its own file needs (scripts/wine.py).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine.py run)
# Sections aligned in the file as in memory: Wine then maps an executable straight from its
# file, where it otherwise copies the whole image into the process's private memory (about
# 470 KB for Dustvale.exe). Windows maps either kind; the file grows by a few pages.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--file-alignment,4096")
