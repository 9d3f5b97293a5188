#pragma once

// kernel32's process-wide services for the program.

#include "platform/Kernel.h"

namespace dustvale::win32 {

class Win32Kernel final : public Kernel {
public:
    Text ModuleFileName() override;
    Architecture ExecutableArchitecture() override;
    std::uint64_t TickCount() override;
    bool RunsElevated() override;
    std::int64_t SystemTime() override;
    std::optional<std::int64_t> LocalTimeToSystemTime(const CalendarTime& local) override;
    std::optional<Text> GetTempPath() override;
    std::optional<Text> GetEnvironmentVariable(const Text& name) override;
    std::optional<Text> UserProfileFolder() override;
    std::optional<Text> UserSid() override;
    std::optional<OsVersion> GetVersion() override;
    bool RunsUnderWine() override;
    std::optional<Text> WindowsPathOfUnixPath(const Text& unixPath) override;
    void OutputDebugString(const Text& line) override;
    std::string ToAnsi(const Text& text) override;
    Text FromAnsi(std::string_view bytes) override;
    KernelHandle OpenFileMapping(const Text& name) override;
    KernelHandle CreateFileMapping(const Text& name, std::uint32_t size) override;
    bool ReadMapping(KernelHandle mapping, std::span<std::byte> bytes) override;
    bool WriteMapping(KernelHandle mapping, std::span<const std::byte> bytes) override;
    KernelHandle CreateMutex(const Text& name) override;
    bool WaitForMutex(KernelHandle mutex, std::uint32_t timeoutMs) override;
    void ReleaseMutex(KernelHandle mutex) override;
    void CloseHandle(KernelHandle handle) override;
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;
};

}  // namespace dustvale::win32
