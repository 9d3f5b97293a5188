#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Kernel.h"

namespace dustvale::sim {
class SimClock;
}

namespace dustvale::sim {

// The named kernel objects of one log-on session, which several simulated processes (one
// SimKernel each) can share.
struct SimSession {
    struct Block {
        std::vector<std::byte> bytes;
        std::uint32_t handles = 0;  // open in all processes; the block ends at 0
    };
    struct Mutex {
        std::uint32_t handles = 0;
        const void* owner = nullptr;  // the owning process
        std::uint32_t ownedTimes = 0;
    };
    std::map<Text, Block> blocks;
    std::map<Text, Mutex> mutexes;
};

class SimKernel final : public Kernel {
public:
    // `clock` gives the tick count; without one the tick count stays 0.
    explicit SimKernel(const SimClock* clock = nullptr);
    ~SimKernel() override;  // the process ends: its handles close
    SimKernel(const SimKernel&) = delete;
    SimKernel& operator=(const SimKernel&) = delete;

    // Kernel
    Text ModuleFileName() override;
    Architecture ExecutableArchitecture() override;  // X86 unless set
    std::uint64_t TickCount() override;              // the virtual clock
    bool RunsElevated() override;                    // false unless set
    // The time of day: 9 December 2026, midnight UTC, when the simulated machine started, moved
    // on with the virtual clock; SetSystemTime moves the start.
    std::int64_t SystemTime() override;
    void SetSystemTime(std::int64_t atStart) { systemTimeAtStart_ = atStart; }
    // A time zone of fixed offset, without daylight saving time: UTC unless set.
    std::optional<std::int64_t> LocalTimeToSystemTime(const CalendarTime& local) override;
    void SetUtcOffsetMinutes(int minutesEast) { utcOffsetMinutes_ = minutesEast; }
    std::optional<Text> GetTempPath() override;
    std::optional<Text> GetEnvironmentVariable(const Text& name) override;
    std::optional<Text> UserProfileFolder() override;  // default C:\Users\Bob
    std::optional<Text> UserSid() override;            // Bob's, unless set
    std::optional<OsVersion> GetVersion() override;
    bool RunsUnderWine() override;  // false unless set
    // Under Wine, the longest Unix folder mapped covers the path; without one, the path as
    // Wine shows it through its "\\?\unix" prefix.
    std::optional<Text> WindowsPathOfUnixPath(const Text& unixPath) override;
    void OutputDebugString(const Text& line) override;  // kept for DebugOutput
    std::string ToAnsi(const Text& text) override;  // Windows-1252; others become '?'
    Text FromAnsi(std::string_view bytes) override;
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;  // throws ProcessExit
    KernelHandle OpenFileMapping(const Text& name) override;
    KernelHandle CreateFileMapping(const Text& name, std::uint32_t size) override;
    // A handle from OpenFileMapping (read access) cannot map a view for writing.
    bool ReadMapping(KernelHandle mapping, std::span<std::byte> bytes) override;
    bool WriteMapping(KernelHandle mapping, std::span<const std::byte> bytes) override;
    KernelHandle CreateMutex(const Text& name) override;
    // A mutex owned by another process: the wait lasts until that process lets go of it or
    // ends, or until the time-out, while the rest of the machine runs (LetOthersRun). Without
    // LetOthersRun nothing else can happen meanwhile, and the wait fails at once.
    bool WaitForMutex(KernelHandle mutex, std::uint32_t timeoutMs) override;
    void ReleaseMutex(KernelHandle mutex) override;
    void CloseHandle(KernelHandle handle) override;

    // --- for tests -------------------------------------------------------------------------
    // Defaults: C:\Program Files\Dustvale\Dustvale.exe; temp C:\Users\Bob\AppData\Local\Temp\;
    // WINDIR C:\Windows, TEMP and TMP the temp path without its final backslash;
    // version 10.0.19045 on platform 2. GetTempPath fails when the path set is longer than
    // 260 characters.
    void SetModuleFileName(const Text& path);
    void SetExecutableArchitecture(Architecture architecture);
    void SetTempPath(std::optional<Text> path);
    void SetEnvironmentVariable(const Text& name, std::optional<Text> value);
    void SetUserProfileFolder(std::optional<Text> path);
    void SetUserSid(std::optional<Text> sid);
    void SetVersion(std::optional<OsVersion> version);
    // An elevated process: the system then keeps the shell's broadcasts away from its windows
    // unless they let them through (SimWindowing asks here).
    void SetElevated(bool elevated);
    std::optional<std::uint32_t> ExitCode() const;  // set once ExitProcess ran
    // The program runs under Wine, whose drives lead into the Unix file system: MapUnixFolder
    // ("/", "Z:\") is Wine's own drive Z:. Wine's environment then carries WINEHOMEDIR (the
    // Unix home as an NT path, "\??\Z:\home\bob") and hides HOME; tests set them.
    void RunUnderWine(bool wine);
    void MapUnixFolder(const Text& unixFolder, const Text& windowsFolder);
    const std::vector<Text>& DebugOutput() const;

    // Named objects: this process shares those of `other` (another process of the same
    // log-on). Call before opening any named object.
    void JoinSession(SimKernel& other);
    // The process ends: every handle it holds is closed, mutexes it owns are abandoned.
    void EndProcess();
    std::optional<std::vector<std::byte>> SharedBlock(const Text& name) const;
    std::uint32_t SharedBlockHandles(const Text& name) const;  // in all processes
    std::uint32_t OpenKernelHandles() const;                   // in this process
    bool OwnsMutex(const Text& name) const;
    void FailNextCreateFileMapping(int n = 1);
    void FailNextMapView(int n = 1);
    // Runs each time a view of a block is mapped, before the copy (to act in the middle of
    // an update, as another process could).
    std::function<void()> OnMapView;
    // Lets `ms` of virtual time pass for the other processes while this one waits (SimWindows
    // points it at its desktop: their timers, messages and scripted actions run).
    std::function<void(std::uint32_t ms)> LetOthersRun;

private:
    const SimClock* clock_;
    std::int64_t systemTimeAtStart_ = 134'412'480'000'000'000;
    int utcOffsetMinutes_ = 0;
    Text moduleFileName_;
    Architecture architecture_ = Architecture::X86;
    std::optional<Text> tempPath_;
    std::map<Text, Text> environment_;  // keyed by the upper-case name: names ignore case
    std::optional<OsVersion> version_;
    std::optional<std::uint32_t> exitCode_;
    std::optional<Text> userProfileFolder_ = Text(u"C:\\Users\\Bob");
    bool elevated_ = false;
    std::optional<Text> userSid_ = Text(u"S-1-5-21-3623811015-3361044348-30300820-1013");
    bool wine_ = false;
    std::map<Text, Text> unixFolders_;  // Unix folder (no final "/") to Windows folder
    std::vector<Text> debugOutput_;

    struct KernelObject {
        bool isMutex = false;
        Text name;
        bool readOnly = false;
    };
    KernelHandle NewKernelHandle(KernelObject object);
    SimSession::Block* BlockOf(KernelHandle mapping);
    SimSession::Mutex* MutexOf(KernelHandle mutex);
    // Takes the mutex when no other process owns it.
    bool TakeMutex(KernelHandle mutex);

    std::shared_ptr<SimSession> session_ = std::make_shared<SimSession>();
    std::map<KernelHandle, KernelObject> kernelHandles_;
    KernelHandle nextKernelHandle_ = 0x104;
    int failCreateMapping_ = 0;
    int failMapView_ = 0;
};

}  // namespace dustvale::sim
