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
    std::optional<Text> UserProfileFolder() override;  // default C:\Users\Bob
    std::optional<OsVersion> GetVersion() override;
    std::string ToAnsi(const Text& text) override;  // Windows-1252; others become '?'
    Text FromAnsi(std::string_view bytes) override;
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;  // throws ProcessExit

    // --- for tests -------------------------------------------------------------------------
    // Defaults: C:\Program Files\Dustvale\Dustvale.exe; temp C:\Users\Bob\AppData\Local\Temp\;
    // WINDIR C:\Windows, TEMP and TMP the temp path without its final backslash;
    // version 10.0.19045 on platform 2. GetTempPath fails when the path set is longer than
    // 260 characters.
    void SetModuleFileName(const Text& path);
    void SetTempPath(std::optional<Text> path);
    void SetEnvironmentVariable(const Text& name, std::optional<Text> value);
    void SetUserProfileFolder(std::optional<Text> path);
    void SetVersion(std::optional<OsVersion> version);
    std::optional<std::uint32_t> ExitCode() const;  // set once ExitProcess ran

private:
    Text moduleFileName_;
    std::optional<Text> tempPath_;
    std::map<Text, Text> environment_;  // keyed by the upper-case name: names ignore case
    std::optional<OsVersion> version_;
    std::optional<std::uint32_t> exitCode_;
    std::optional<Text> userProfileFolder_ = Text(u"C:\\Users\\Bob");
};

}  // namespace dustvale::sim
