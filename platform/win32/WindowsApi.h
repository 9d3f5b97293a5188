#pragma once

// The one door to <windows.h> for the Win32 side. The program's interfaces use the plain
// names of the operations they stand for (CreateWindow, FindWindow, MessageBox, DeleteFile,
// ...), which <windows.h> defines as macros picking the A or W function. Those macros are
// removed here so that the interfaces keep their names; this side always calls the W
// functions by their full name.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#undef CallWindowProc
#undef CreateFileMapping
#undef CreateMutex
#undef CreateWindow
#undef DefWindowProc
#undef DeleteFile
#undef FindFirstFile
#undef FindWindow
#undef GetClassName
#undef GetEnvironmentVariable
#undef GetFileAttributes
#undef GetTempPath
#undef MessageBox
#undef OpenFileMapping
#undef OutputDebugString
#undef PathFileExists
#undef PostMessage
#undef RegisterWindowMessage
#undef RemoveDirectory
#undef SendMessage
#undef SetFileAttributes
#undef SetWindowText
#undef ShellExecute
