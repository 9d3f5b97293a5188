#pragma once

// kernel32's process-wide services for the program.

#include "platform/Kernel.h"

namespace dustvale::win32 {

class Win32Kernel final : public Kernel {
public:
    Text ModuleFileName() override;
    std::optional<Text> GetTempPath() override;
    std::optional<Text> GetEnvironmentVariable(const Text& name) override;
    std::optional<Text> UserProfileFolder() override;
    std::optional<OsVersion> GetVersion() override;
    std::string ToAnsi(const Text& text) override;
    Text FromAnsi(std::string_view bytes) override;
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;
};

}  // namespace dustvale::win32
