#pragma once

#include <map>
#include <optional>

#include "platform/Kernel.h"

namespace dustvale::sim {

class SimKernel final : public Kernel {
public:
    SimKernel();

    // Kernel
    Text ModuleFileName() override;
    std::optional<Text> GetTempPath() override;
    std::optional<Text> GetEnvironmentVariable(const Text& name) override;
    std::optional<OsVersion> GetVersion() override;
    std::string ToAnsi(const Text& text) override;  // Windows-1252; others become '?'
    Text FromAnsi(std::string_view bytes) override;
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;  // throws ProcessExit

    // --- for tests -------------------------------------------------------------------------
    // Defaults: C:\Program Files\Dustvale\Dustvale.exe; temp C:\Users\Bob\AppData\Local\Temp\;
    // WINDIR C:\Windows; version 10.0.19045 on platform 2.
    void SetModuleFileName(const Text& path);
    void SetTempPath(std::optional<Text> path);
    void SetEnvironmentVariable(const Text& name, std::optional<Text> value);
    void SetVersion(std::optional<OsVersion> version);
    std::optional<std::uint32_t> ExitCode() const;  // set once ExitProcess ran

private:
    // (state)
};

}  // namespace dustvale::sim
