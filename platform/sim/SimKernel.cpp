#include "platform/sim/SimKernel.h"

#include <algorithm>
#include <array>

#include "platform/sim/SimClock.h"
#include "platform/sim/SimWindows.h"

namespace dustvale::sim {

namespace {

constexpr std::size_t kMaxPath = 260;

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the
// control characters of the same value, as MultiByteToWideChar does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

Text UpperName(const Text& name) {
    Text upper = name;
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return upper;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// The days from 1 January 1601 to the given date (proleptic Gregorian, as FILETIME counts).
std::int64_t DaysSince1601(int year, int month, int day) {
    const std::int64_t years = year - 1601;
    std::int64_t days = years * 365 + years / 4 - years / 100 + years / 400;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    return days + day - 1;
}

}  // namespace

SimKernel::SimKernel(const SimClock* clock)
    : clock_(clock),
      moduleFileName_(u"C:\\Program Files\\Dustvale\\Dustvale.exe"),
      tempPath_(u"C:\\Users\\Bob\\AppData\\Local\\Temp\\"),
      version_(OsVersion{10, 0, 19045, 2}) {
    SetEnvironmentVariable(u"WINDIR", u"C:\\Windows");
    SetEnvironmentVariable(u"TEMP", u"C:\\Users\\Bob\\AppData\\Local\\Temp");
    SetEnvironmentVariable(u"TMP", u"C:\\Users\\Bob\\AppData\\Local\\Temp");
}

Text SimKernel::ModuleFileName() { return moduleFileName_; }

Architecture SimKernel::ExecutableArchitecture() { return architecture_; }

std::uint64_t SimKernel::TickCount() { return clock_ != nullptr ? clock_->Now() : 0; }

bool SimKernel::RunsElevated() { return elevated_; }

void SimKernel::SetElevated(bool elevated) { elevated_ = elevated; }

std::int64_t SimKernel::SystemTime() {
    constexpr std::int64_t kStepsPerMs = 10'000;
    return systemTimeAtStart_ + static_cast<std::int64_t>(TickCount()) * kStepsPerMs;
}

std::optional<std::int64_t> SimKernel::LocalTimeToSystemTime(const CalendarTime& local) {
    // What SystemTimeToFileTime accepts. Wine 8 also takes 29 February of a common year, as
    // 1 March.
    const bool wineLeapDay = wine_ && local.month == 2 && local.day == 29;
    if (local.year < 1601 || local.year > 30827 || local.month < 1 || local.month > 12 ||
        local.day < 1 || (local.day > DaysInMonth(local.year, local.month) && !wineLeapDay) ||
        local.hour < 0 ||
        local.hour > 23 || local.minute < 0 || local.minute > 59 || local.second < 0 ||
        local.second > 59) {
        return std::nullopt;
    }
    constexpr std::int64_t kStepsPerSecond = 10'000'000;
    const std::int64_t seconds = DaysSince1601(local.year, local.month, local.day) * 86'400 +
                                 local.hour * 3600 + local.minute * 60 + local.second -
                                 std::int64_t{utcOffsetMinutes_} * 60;
    if (seconds < 0) return std::nullopt;  // before 1601 in UTC
    return seconds * kStepsPerSecond;
}

std::optional<Text> SimKernel::GetTempPath() {
    if (tempPath_ && tempPath_->size() > kMaxPath) return std::nullopt;
    return tempPath_;
}

std::optional<Text> SimKernel::GetEnvironmentVariable(const Text& name) {
    auto it = environment_.find(UpperName(name));
    if (it == environment_.end()) return std::nullopt;
    return it->second;
}

std::optional<OsVersion> SimKernel::GetVersion() { return version_; }

bool SimKernel::RunsUnderWine() { return wine_; }

std::optional<Text> SimKernel::WindowsPathOfUnixPath(const Text& unixPath) {
    if (!wine_ || unixPath.empty() || unixPath.front() != u'/') return std::nullopt;
    // The longest mapped folder that holds the path: "/" holds everything.
    const auto holds = [&](const Text& folder) {
        return folder.empty() || unixPath == folder ||
               (unixPath.starts_with(folder) && unixPath[folder.size()] == u'/');
    };
    const Text* best = nullptr;
    for (const auto& [folder, windows] : unixFolders_) {
        if (holds(folder) && (best == nullptr || folder.size() > best->size())) best = &folder;
    }
    Text rest = best != nullptr ? unixPath.substr(best->size()) : unixPath;
    std::replace(rest.begin(), rest.end(), u'/', u'\\');
    if (best == nullptr) return u"\\\\?\\unix" + rest;
    Text windows = unixFolders_.at(*best);
    if (windows.ends_with(u'\\') && rest.starts_with(u'\\')) rest.erase(0, 1);
    return windows + rest;
}

void SimKernel::OutputDebugString(const Text& line) { debugOutput_.push_back(line); }

std::string SimKernel::ToAnsi(const Text& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        auto it = std::find(kHighControls.begin(), kHighControls.end(), c);
        if (it != kHighControls.end()) {
            bytes.push_back(static_cast<char>(0x80 + (it - kHighControls.begin())));
            continue;
        }
        // One default character per code point: a surrogate pair gives a single '?'.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        bytes.push_back('?');
    }
    return bytes;
}

Text SimKernel::FromAnsi(std::string_view bytes) {
    Text text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        auto u = static_cast<unsigned char>(b);
        text.push_back(u >= 0x80 && u <= 0x9F ? kHighControls[u - 0x80] : static_cast<char16_t>(u));
    }
    return text;
}

void SimKernel::ExitProcess(std::uint32_t exitCode) {
    exitCode_ = exitCode;
    throw ProcessExit{exitCode};
}

void SimKernel::SetModuleFileName(const Text& path) { moduleFileName_ = path; }

void SimKernel::SetExecutableArchitecture(Architecture architecture) {
    architecture_ = architecture;
}

void SimKernel::SetTempPath(std::optional<Text> path) { tempPath_ = std::move(path); }

void SimKernel::SetEnvironmentVariable(const Text& name, std::optional<Text> value) {
    if (value)
        environment_[UpperName(name)] = *value;
    else
        environment_.erase(UpperName(name));
}

void SimKernel::SetVersion(std::optional<OsVersion> version) { version_ = version; }

void SimKernel::RunUnderWine(bool wine) { wine_ = wine; }

void SimKernel::MapUnixFolder(const Text& unixFolder, const Text& windowsFolder) {
    Text folder = unixFolder;
    while (!folder.empty() && folder.back() == u'/') folder.pop_back();
    unixFolders_[folder] = windowsFolder;
}

const std::vector<Text>& SimKernel::DebugOutput() const { return debugOutput_; }

std::optional<std::uint32_t> SimKernel::ExitCode() const { return exitCode_; }

std::optional<Text> SimKernel::UserProfileFolder() { return userProfileFolder_; }

SimKernel::~SimKernel() { EndProcess(); }

KernelHandle SimKernel::NewKernelHandle(KernelObject object) {
    KernelHandle handle = nextKernelHandle_;
    nextKernelHandle_ += 4;  // kernel handles are multiples of 4
    kernelHandles_[handle] = std::move(object);
    return handle;
}

SimSession::Block* SimKernel::BlockOf(KernelHandle mapping) {
    auto it = kernelHandles_.find(mapping);
    if (it == kernelHandles_.end() || it->second.isMutex) return nullptr;
    auto block = session_->blocks.find(it->second.name);
    return block == session_->blocks.end() ? nullptr : &block->second;
}

SimSession::Mutex* SimKernel::MutexOf(KernelHandle mutex) {
    auto it = kernelHandles_.find(mutex);
    if (it == kernelHandles_.end() || !it->second.isMutex) return nullptr;
    auto found = session_->mutexes.find(it->second.name);
    return found == session_->mutexes.end() ? nullptr : &found->second;
}

KernelHandle SimKernel::OpenFileMapping(const Text& name) {
    auto block = session_->blocks.find(name);
    if (name.empty() || block == session_->blocks.end()) return 0;
    ++block->second.handles;
    return NewKernelHandle({false, name, true});
}

KernelHandle SimKernel::CreateFileMapping(const Text& name, std::uint32_t size) {
    if (failCreateMapping_ > 0) {
        --failCreateMapping_;
        return 0;
    }
    if (size == 0) return 0;  // a paging-file block needs a size
    SimSession::Block& block = session_->blocks[name];
    if (block.handles == 0) block.bytes.assign(size, std::byte{0});
    ++block.handles;
    return NewKernelHandle({false, name, false});
}

bool SimKernel::ReadMapping(KernelHandle mapping, std::span<std::byte> bytes) {
    SimSession::Block* block = BlockOf(mapping);
    if (block == nullptr) return false;
    if (failMapView_ > 0) {
        --failMapView_;
        return false;
    }
    if (OnMapView) OnMapView();
    block = BlockOf(mapping);
    if (block == nullptr || bytes.size() > block->bytes.size()) return false;
    std::copy_n(block->bytes.begin(), bytes.size(), bytes.begin());
    return true;
}

bool SimKernel::WriteMapping(KernelHandle mapping, std::span<const std::byte> bytes) {
    SimSession::Block* block = BlockOf(mapping);
    if (block == nullptr || kernelHandles_[mapping].readOnly) return false;
    if (failMapView_ > 0) {
        --failMapView_;
        return false;
    }
    if (OnMapView) OnMapView();
    block = BlockOf(mapping);
    if (block == nullptr || bytes.size() > block->bytes.size()) return false;
    std::copy(bytes.begin(), bytes.end(), block->bytes.begin());
    return true;
}

KernelHandle SimKernel::CreateMutex(const Text& name) {
    ++session_->mutexes[name].handles;
    return NewKernelHandle({true, name, false});
}

bool SimKernel::TakeMutex(KernelHandle mutex) {
    SimSession::Mutex* found = MutexOf(mutex);
    if (found == nullptr) return false;
    if (found->owner != nullptr && found->owner != this) return false;
    found->owner = this;
    ++found->ownedTimes;
    return true;
}

bool SimKernel::WaitForMutex(KernelHandle mutex, std::uint32_t timeoutMs) {
    if (TakeMutex(mutex)) return true;
    if (MutexOf(mutex) == nullptr || !LetOthersRun || clock_ == nullptr) return false;
    // The owner lets go at some moment of the wait: looked at in steps of this length.
    constexpr std::uint32_t kStepMs = 10;
    const std::uint64_t end = clock_->Now() + timeoutMs;
    while (clock_->Now() < end) {
        const std::uint64_t before = clock_->Now();
        LetOthersRun(static_cast<std::uint32_t>(std::min<std::uint64_t>(kStepMs, end - before)));
        if (TakeMutex(mutex)) return true;
        if (clock_->Now() <= before) break;  // time no longer passes: nothing will change
    }
    return false;
}

void SimKernel::ReleaseMutex(KernelHandle mutex) {
    SimSession::Mutex* found = MutexOf(mutex);
    if (found == nullptr || found->owner != this) return;
    if (--found->ownedTimes == 0) found->owner = nullptr;
}

void SimKernel::CloseHandle(KernelHandle handle) {
    auto it = kernelHandles_.find(handle);
    if (it == kernelHandles_.end()) return;
    const KernelObject object = it->second;
    kernelHandles_.erase(it);
    if (object.isMutex) {
        auto found = session_->mutexes.find(object.name);
        if (found != session_->mutexes.end() && --found->second.handles == 0 &&
            found->second.owner == nullptr)
            session_->mutexes.erase(found);
    } else {
        auto block = session_->blocks.find(object.name);
        if (block != session_->blocks.end() && --block->second.handles == 0)
            session_->blocks.erase(block);
    }
}

void SimKernel::JoinSession(SimKernel& other) { session_ = other.session_; }

void SimKernel::EndProcess() {
    for (auto& [name, mutex] : session_->mutexes) {
        if (mutex.owner == this) {
            mutex.owner = nullptr;  // abandoned: the next wait gets it
            mutex.ownedTimes = 0;
        }
    }
    while (!kernelHandles_.empty()) CloseHandle(kernelHandles_.begin()->first);
    std::erase_if(session_->mutexes, [](const auto& m) { return m.second.handles == 0; });
}

std::optional<std::vector<std::byte>> SimKernel::SharedBlock(const Text& name) const {
    auto block = session_->blocks.find(name);
    if (block == session_->blocks.end()) return std::nullopt;
    return block->second.bytes;
}

std::uint32_t SimKernel::SharedBlockHandles(const Text& name) const {
    auto block = session_->blocks.find(name);
    return block == session_->blocks.end() ? 0 : block->second.handles;
}

std::uint32_t SimKernel::OpenKernelHandles() const {
    return static_cast<std::uint32_t>(kernelHandles_.size());
}

bool SimKernel::OwnsMutex(const Text& name) const {
    auto found = session_->mutexes.find(name);
    return found != session_->mutexes.end() && found->second.owner == this;
}

void SimKernel::FailNextCreateFileMapping(int n) { failCreateMapping_ = n; }

void SimKernel::FailNextMapView(int n) { failMapView_ = n; }

std::optional<Text> SimKernel::UserSid() { return userSid_; }

void SimKernel::SetUserSid(std::optional<Text> sid) { userSid_ = std::move(sid); }

void SimKernel::SetUserProfileFolder(std::optional<Text> path) {
    userProfileFolder_ = std::move(path);
}

}  // namespace dustvale::sim
