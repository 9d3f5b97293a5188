#pragma once

// Process-wide services of kernel32: the executable, the environment, the system's version,
// text conversion to the ANSI code page, and the end of the process.

#include <cstdint>
#include <optional>
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

class Kernel {
public:
    virtual ~Kernel() = default;

    // Full path of the running executable (GetModuleFileNameW).
    virtual Text ModuleFileName() = 0;
    // GetTempPathW: the path as reported (final backslash included); nullopt when the call
    // fails or reports a length above 260.
    virtual std::optional<Text> GetTempPath() = 0;
    // nullopt when the variable is not set.
    virtual std::optional<Text> GetEnvironmentVariable(const Text& name) = 0;
    // The current user's profile folder as the system reports it (SHGetFolderPathW with
    // CSIDL_PROFILE), without a final backslash; nullopt when the system cannot tell.
    virtual std::optional<Text> UserProfileFolder() = 0;
    // GetVersionExW with the extended record; nullopt when the call fails.
    virtual std::optional<OsVersion> GetVersion() = 0;

    // The system's ANSI code page, for the program's single-byte text files.
    virtual std::string ToAnsi(const Text& text) = 0;
    virtual Text FromAnsi(std::string_view bytes) = 0;

    // ExitProcess: ends the process at once; no further code of the program runs.
    [[noreturn]] virtual void ExitProcess(std::uint32_t exitCode) = 0;
};

}  // namespace dustvale
