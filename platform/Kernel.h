#pragma once

// Process-wide services of kernel32: the executable, the environment, the system's version,
// text conversion to the ANSI code page, and the end of the process.

#include <cstdint>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace dustvale {

struct OsVersion {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t build = 0;
    std::int32_t platformId = 0;  // 2 is VER_PLATFORM_WIN32_NT
};

// A date and a time of day to the second, as SYSTEMTIME holds them (no day of the week).
struct CalendarTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to the month's last day
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The processor architecture an executable is built for. The manifest of the program names
// its own: Windows refuses to start a 64-bit program that asks for x86 libraries.
enum class Architecture : std::uint8_t { X86, Amd64 };

// A handle to a kernel object (a named block of shared memory, a named mutex); 0 is none.
// Whoever receives one from Kernel gives it back with Kernel::CloseHandle.
using KernelHandle = std::uint32_t;

class Kernel {
public:
    virtual ~Kernel() = default;

    // Full path of the running executable (GetModuleFileNameW).
    virtual Text ModuleFileName() = 0;
    // The architecture the running executable was built for, whatever the system's: a 32-bit
    // program on 64-bit Windows is an x86 one.
    virtual Architecture ExecutableArchitecture() = 0;
    // GetTickCount64: milliseconds since the system started, for measuring how long things take.
    virtual std::uint64_t TickCount() = 0;
    // Whether the process runs elevated (its token's TokenElevation); false where the system
    // cannot tell.
    virtual bool RunsElevated() = 0;
    // GetSystemTimeAsFileTime: the time of day, UTC, in 100-nanosecond steps since 1601.
    virtual std::int64_t SystemTime() = 0;
    // TzSpecificLocalTimeToSystemTime with the system's current time zone, then
    // SystemTimeToFileTime: the UTC moment of `local`, a time of day in that zone (its daylight
    // saving time as the zone's rules have it on that date), in FileTime's steps. nullopt for a
    // date or time Windows does not hold (a month 13, 30 February, a 24th hour, a year before
    // 1601 or after 30827).
    virtual std::optional<std::int64_t> LocalTimeToSystemTime(const CalendarTime& local) = 0;
    // GetTempPathW: the path as reported (final backslash included); nullopt when the call
    // fails or reports a length above 260.
    virtual std::optional<Text> GetTempPath() = 0;
    // nullopt when the variable is not set.
    virtual std::optional<Text> GetEnvironmentVariable(const Text& name) = 0;
    // The current user's profile folder as the system reports it (SHGetFolderPathW with
    // CSIDL_PROFILE), without a final backslash; nullopt when the system cannot tell.
    virtual std::optional<Text> UserProfileFolder() = 0;
    // The signed-in user's security identifier in its text form ("S-1-5-21-..."), read from
    // the process's token: the same for an elevated and a normal process of that user.
    // nullopt when the system cannot tell.
    virtual std::optional<Text> UserSid() = 0;
    // GetVersionExW with the extended record; nullopt when the call fails.
    virtual std::optional<OsVersion> GetVersion() = 0;

    // Whether the program runs under Wine on a Unix system: its ntdll exports wine_get_version.
    virtual bool RunsUnderWine() = 0;
    // Where Wine shows the Unix path `unixPath` (a full path, as the Unix environment spells
    // it) to Windows programs (kernel32's wine_get_dos_file_name): "Z:\home\bob" for
    // "/home/bob" where drive Z: is the Unix root, or a "\\?\unix\..." path where no drive
    // leads there. Names need not exist. nullopt outside Wine and when Wine cannot map it.
    virtual std::optional<Text> WindowsPathOfUnixPath(const Text& unixPath) = 0;
    // OutputDebugStringW: a line for whoever watches the program's debug output (a debugger,
    // DebugView; under Wine 8 its log with WINEDEBUG=warn+seh). Callable from any thread.
    virtual void OutputDebugString(const Text& line) = 0;

    // The system's ANSI code page, for the program's single-byte text files.
    virtual std::string ToAnsi(const Text& text) = 0;
    virtual Text FromAnsi(std::string_view bytes) = 0;

    // Named blocks of shared memory backed by the paging file. A block lives while some
    // process holds a handle to it. Names are case-sensitive and carry no namespace prefix.
    // OpenFileMappingW(FILE_MAP_READ, FALSE, name): 0 when no block of that name exists.
    virtual KernelHandle OpenFileMapping(const Text& name) = 0;
    // CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, size, name): the
    // block, created zero-filled when none existed, else the existing one; 0 on failure.
    virtual KernelHandle CreateFileMapping(const Text& name, std::uint32_t size) = 0;
    // A view of the whole block mapped for reading (FILE_MAP_READ) or writing
    // (FILE_MAP_WRITE), `bytes` copied from or to its offset 0, the view unmapped. False when
    // the view cannot be mapped.
    virtual bool ReadMapping(KernelHandle mapping, std::span<std::byte> bytes) = 0;
    virtual bool WriteMapping(KernelHandle mapping, std::span<const std::byte> bytes) = 0;
    // CreateMutexW(NULL, FALSE, name): the named mutex, created when none existed; 0 on
    // failure.
    virtual KernelHandle CreateMutex(const Text& name) = 0;
    // WaitForSingleObject on a mutex: true when the thread now owns it (also when its
    // previous owner ended without releasing it), false after `timeoutMs` or on failure. A
    // mutex owned by a process that has ended is never left owned: the next wait takes it.
    virtual bool WaitForMutex(KernelHandle mutex, std::uint32_t timeoutMs) = 0;
    virtual void ReleaseMutex(KernelHandle mutex) = 0;
    virtual void CloseHandle(KernelHandle handle) = 0;

    // ExitProcess: ends the process at once; no further code of the program runs.
    [[noreturn]] virtual void ExitProcess(std::uint32_t exitCode) = 0;
};

}  // namespace dustvale
