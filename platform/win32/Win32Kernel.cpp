#include "platform/win32/Win32Kernel.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {

Text Win32Kernel::ModuleFileName() {
    // The executable may live under a long path: grow the buffer until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return FromWide(buffer.c_str(), length);
        if (buffer.size() >= 32768) return FromWide(buffer.c_str(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::uint64_t Win32Kernel::TickCount() { return ::GetTickCount64(); }

bool Win32Kernel::RunsElevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const unique_handle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD written = 0;
    // Systems before Vista know no elevation, and refuse the question.
    if (!::GetTokenInformation(owned.get(), TokenElevation, &elevation, sizeof(elevation),
                               &written)) {
        return false;
    }
    return elevation.TokenIsElevated != 0;
}

std::int64_t Win32Kernel::SystemTime() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(now.dwHighDateTime) << 32 |
                                     now.dwLowDateTime);
}

Architecture Win32Kernel::ExecutableArchitecture() {
    // Known when this file is compiled: one executable is built for one architecture.
#if defined(_M_X64) || defined(__x86_64__)
    return Architecture::Amd64;
#elif defined(_M_IX86) || defined(__i386__)
    return Architecture::X86;
#else
#error "Dustvale is built for x86 or x86-64"
#endif
}

std::optional<std::int64_t> Win32Kernel::LocalTimeToSystemTime(const CalendarTime& local) {
    const auto field = [](int value) -> std::optional<WORD> {
        if (value < 0 || value > 0xFFFF) return std::nullopt;
        return static_cast<WORD>(value);
    };
    const std::optional<WORD> year = field(local.year), month = field(local.month),
                              day = field(local.day), hour = field(local.hour),
                              minute = field(local.minute), second = field(local.second);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    SYSTEMTIME inZone{};
    inZone.wYear = *year;
    inZone.wMonth = *month;
    inZone.wDay = *day;
    inZone.wHour = *hour;
    inZone.wMinute = *minute;
    inZone.wSecond = *second;
    // The day of the week is not read; the date's own fields are checked by both calls.
    SYSTEMTIME utc{};
    FILETIME moment{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &inZone, &utc) ||
        !::SystemTimeToFileTime(&utc, &moment)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>((std::uint64_t{moment.dwHighDateTime} << 32) |
                                     moment.dwLowDateTime);
}

std::optional<Text> Win32Kernel::GetTempPath() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return std::nullopt;
    return FromWide(buffer, length);
}

std::optional<Text> Win32Kernel::GetEnvironmentVariable(const Text& name) {
    std::wstring buffer(64, L'\0');
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableW(Wide(name), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            // 0 is also the length of a variable set to the empty text.
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return Text{};
        }
        if (length < buffer.size()) return FromWide(buffer.c_str(), length);
        buffer.resize(length);  // the size asked for, terminator included
    }
}

std::optional<Text> Win32Kernel::UserProfileFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
        return std::nullopt;
    }
    return FromWide(buffer);
}

std::optional<Text> Win32Kernel::UserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::nullopt;
    const unique_handle ownedToken(token);
    DWORD size = 0;
    ::GetTokenInformation(ownedToken.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return std::nullopt;
    // A TOKEN_USER with its SID behind it; held in pointer-sized units for its alignment.
    std::vector<void*> record((size + sizeof(void*) - 1) / sizeof(void*));
    if (!::GetTokenInformation(ownedToken.get(), TokenUser, record.data(), size, &size)) {
        return std::nullopt;
    }
    const auto* user = reinterpret_cast<const TOKEN_USER*>(record.data());
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(user->User.Sid, &text)) return std::nullopt;
    const unique_local_text ownedText(text);
    return FromWide(ownedText.get());
}

std::optional<OsVersion> Win32Kernel::GetVersion() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    // The program's behaviour is defined on what this call answers (which depends on the
    // executable's compatibility manifest), not on the true version of the system.
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return std::nullopt;
    OsVersion version;
    version.major = static_cast<std::int32_t>(info.dwMajorVersion);
    version.minor = static_cast<std::int32_t>(info.dwMinorVersion);
    version.build = static_cast<std::int32_t>(info.dwBuildNumber);
    version.platformId = static_cast<std::int32_t>(info.dwPlatformId);
    return version;
}

bool Win32Kernel::RunsUnderWine() {
    // Windows' ntdll has no such export.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::optional<Text> Win32Kernel::WindowsPathOfUnixPath(const Text& unixPath) {
    // Wine's own export, looked up at run time: Windows has none.
    using DosFileNameFunction = WCHAR*(CDECL*)(const char*);
    const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    const auto dosFileName = kernel32 == nullptr
                                 ? nullptr
                                 : reinterpret_cast<DosFileNameFunction>(reinterpret_cast<void*>(
                                       ::GetProcAddress(kernel32, "wine_get_dos_file_name")));
    if (dosFileName == nullptr || unixPath.empty()) return std::nullopt;
    // Wine turned the Unix environment into text through the Unix code page (CP_UNIXCP, a
    // code page of Wine's own); the same page gives the Unix bytes back.
    constexpr UINT kUnixCodePage = 65010;
    const int length = static_cast<int>(unixPath.size());
    const int bytes =
        ::WideCharToMultiByte(kUnixCodePage, 0, Wide(unixPath), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string unixBytes(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(kUnixCodePage, 0, Wide(unixPath), length, unixBytes.data(), bytes,
                          nullptr, nullptr);
    // A NUL inside would cut the path short: Unix paths hold none.
    if (unixBytes.find('\0') != std::string::npos) return std::nullopt;
    WCHAR* const mapped = dosFileName(unixBytes.c_str());
    if (mapped == nullptr) return std::nullopt;
    Text result = FromWide(mapped);
    ::HeapFree(::GetProcessHeap(), 0, mapped);  // Wine allocates it on the process heap
    return result;
}

void Win32Kernel::OutputDebugString(const Text& line) { ::OutputDebugStringW(Wide(line)); }

std::string Win32Kernel::ToAnsi(const Text& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    // No best fit: a letter the code page lacks becomes '?', never a look-alike such as a
    // full-width backslash turned into a real one.
    // The flag is refused for UTF-8, which Windows 10 can use as its "ANSI" code page; there
    // every letter has its bytes anyway.
    const DWORD kFlags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int needed =
        ::WideCharToMultiByte(CP_ACP, kFlags, Wide(text), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_ACP, kFlags, Wide(text), length, bytes.data(), needed, nullptr,
                          nullptr);
    return bytes;
}

Text Win32Kernel::FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring text(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
    return FromWide(text.c_str(), text.size());
}

KernelHandle Win32Kernel::OpenFileMapping(const Text& name) {
    return FromHandle(::OpenFileMappingW(FILE_MAP_READ, FALSE, Wide(name)));
}

KernelHandle Win32Kernel::CreateFileMapping(const Text& name, std::uint32_t size) {
    return FromHandle(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           size, Wide(name)));
}

namespace {
// A view of the whole block for the time of one copy.
class MappedView {
public:
    MappedView(KernelHandle mapping, DWORD access)
        : view_(::MapViewOfFile(ToHandle<HANDLE>(mapping), access, 0, 0, 0)) {}
    ~MappedView() {
        if (view_ != nullptr) ::UnmapViewOfFile(view_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    void* get() const { return view_; }

private:
    void* view_;
};
}  // namespace

bool Win32Kernel::ReadMapping(KernelHandle mapping, std::span<std::byte> bytes) {
    if (mapping == 0) return false;
    const MappedView view(mapping, FILE_MAP_READ);
    if (view.get() == nullptr) return false;
    std::memcpy(bytes.data(), view.get(), bytes.size());
    return true;
}

bool Win32Kernel::WriteMapping(KernelHandle mapping, std::span<const std::byte> bytes) {
    if (mapping == 0) return false;
    const MappedView view(mapping, FILE_MAP_WRITE);
    if (view.get() == nullptr) return false;
    std::memcpy(view.get(), bytes.data(), bytes.size());
    return true;
}

KernelHandle Win32Kernel::CreateMutex(const Text& name) {
    return FromHandle(::CreateMutexW(nullptr, FALSE, Wide(name)));
}

bool Win32Kernel::WaitForMutex(KernelHandle mutex, std::uint32_t timeoutMs) {
    const DWORD result = ::WaitForSingleObject(ToHandle<HANDLE>(mutex), timeoutMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void Win32Kernel::ReleaseMutex(KernelHandle mutex) { ::ReleaseMutex(ToHandle<HANDLE>(mutex)); }

void Win32Kernel::CloseHandle(KernelHandle handle) {
    if (handle != 0) ::CloseHandle(ToHandle<HANDLE>(handle));
}

void Win32Kernel::ExitProcess(std::uint32_t exitCode) { ::ExitProcess(exitCode); }

}  // namespace dustvale::win32
