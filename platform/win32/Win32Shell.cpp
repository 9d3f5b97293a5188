#include "platform/win32/Win32Shell.h"

#include <cstddef>
#include <cstring>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32RecycleBinItems.h"
#include "platform/win32/Win32RecycleBinWorker.h"
#include "platform/win32/Win32Convert.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

namespace {

#if !defined(_WIN64)
// On a 32-bit build the program's own record is the shell's record, byte for byte.
static_assert(sizeof(NotifyIconRecord) == NOTIFYICONDATAW_V2_SIZE);
static_assert(offsetof(NotifyIconRecord, cbSize) == offsetof(NOTIFYICONDATAW, cbSize));
static_assert(offsetof(NotifyIconRecord, hWnd) == offsetof(NOTIFYICONDATAW, hWnd));
static_assert(offsetof(NotifyIconRecord, uID) == offsetof(NOTIFYICONDATAW, uID));
static_assert(offsetof(NotifyIconRecord, uFlags) == offsetof(NOTIFYICONDATAW, uFlags));
static_assert(offsetof(NotifyIconRecord, uCallbackMessage) ==
              offsetof(NOTIFYICONDATAW, uCallbackMessage));
static_assert(offsetof(NotifyIconRecord, hIcon) == offsetof(NOTIFYICONDATAW, hIcon));
static_assert(offsetof(NotifyIconRecord, szTip) == offsetof(NOTIFYICONDATAW, szTip));
static_assert(offsetof(NotifyIconRecord, dwState) == offsetof(NOTIFYICONDATAW, dwState));
static_assert(offsetof(NotifyIconRecord, dwStateMask) ==
              offsetof(NOTIFYICONDATAW, dwStateMask));
static_assert(offsetof(NotifyIconRecord, szInfo) == offsetof(NOTIFYICONDATAW, szInfo));
static_assert(offsetof(NotifyIconRecord, uTimeoutOrVersion) ==
              offsetof(NOTIFYICONDATAW, uTimeout));
static_assert(offsetof(NotifyIconRecord, szInfoTitle) ==
              offsetof(NOTIFYICONDATAW, szInfoTitle));
static_assert(offsetof(NotifyIconRecord, dwInfoFlags) ==
              offsetof(NOTIFYICONDATAW, dwInfoFlags));
// The shell fills the byte-packed 32-bit layout of the Recycle Bin record.
static_assert(sizeof(SHQUERYRBINFO) == 20);
#else
// A 64-bit shell wants its native record: copy the fields over.
NOTIFYICONDATAW ToNative(const NotifyIconRecord& record) {
    NOTIFYICONDATAW native{};
    native.cbSize = NOTIFYICONDATAW_V2_SIZE;
    native.hWnd = ToHwnd(record.hWnd);
    native.uID = record.uID;
    native.uFlags = record.uFlags;
    native.uCallbackMessage = record.uCallbackMessage;
    native.hIcon = ToHandle<HICON>(record.hIcon);
    std::memcpy(native.szTip, record.szTip, sizeof(native.szTip));
    native.dwState = record.dwState;
    native.dwStateMask = record.dwStateMask;
    std::memcpy(native.szInfo, record.szInfo, sizeof(native.szInfo));
    native.uTimeout = record.uTimeoutOrVersion;
    std::memcpy(native.szInfoTitle, record.szInfoTitle, sizeof(native.szInfoTitle));
    native.dwInfoFlags = record.dwInfoFlags;
    return native;
}
#endif

static_assert(sizeof(NOTIFYICONDATAW::szTip) == sizeof(NotifyIconRecord::szTip));
static_assert(sizeof(NOTIFYICONDATAW::szInfo) == sizeof(NotifyIconRecord::szInfo));
static_assert(sizeof(NOTIFYICONDATAW::szInfoTitle) == sizeof(NotifyIconRecord::szInfoTitle));

const wchar_t* OptionalText(const Text& text) { return text.empty() ? nullptr : Wide(text); }

}  // namespace

bool Win32Shell::NotifyIcon(NotifyMessage message, const NotifyIconRecord& record) {
#if !defined(_WIN64)
    // The shell only reads the record during the call.
    auto* shared = reinterpret_cast<NOTIFYICONDATAW*>(const_cast<NotifyIconRecord*>(&record));
    return ::Shell_NotifyIconW(static_cast<DWORD>(message), shared) != FALSE;
#else
    NOTIFYICONDATAW native = ToNative(record);
    return ::Shell_NotifyIconW(static_cast<DWORD>(message), &native) != FALSE;
#endif
}

std::optional<ScreenRect> Win32Shell::NotifyIconRect(Hwnd hwnd, std::uint32_t id) {
    // Looked up: Windows 7 brought the call, and the program also runs on Vista.
    using GetRectFunction = HRESULT(WINAPI*)(const NOTIFYICONIDENTIFIER*, RECT*);
    const HMODULE shell32 = ::GetModuleHandleW(L"shell32.dll");
    if (shell32 == nullptr) return std::nullopt;
    const auto getRect = reinterpret_cast<GetRectFunction>(
        reinterpret_cast<void*>(::GetProcAddress(shell32, "Shell_NotifyIconGetRect")));
    if (getRect == nullptr) return std::nullopt;
    NOTIFYICONIDENTIFIER icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = ToHwnd(hwnd);
    icon.uID = id;
    RECT place{};
    if (FAILED(getRect(&icon, &place))) return std::nullopt;
    return ScreenRect{place.left, place.top, place.right, place.bottom};
}

std::int32_t QueryRecycleBinNow(const Text& root, RecycleBinInfo& info) {
    SHQUERYRBINFO native{};
    // 20 is the size of the 32-bit record; a 64-bit shell wants its own size.
    native.cbSize = info.cbSize == 20 ? static_cast<DWORD>(sizeof(native)) : info.cbSize;
    const HRESULT result = ::SHQueryRecycleBinW(Wide(root), &native);
    if (SUCCEEDED(result)) {
        info.i64Size = static_cast<std::uint64_t>(native.i64Size);
        info.i64NumItems = static_cast<std::uint64_t>(native.i64NumItems);
    }
    return static_cast<std::int32_t>(result);
}

std::int32_t EmptyRecycleBinNow(Hwnd owner, const std::optional<Text>& root,
                                std::uint32_t flags) {
    return static_cast<std::int32_t>(
        ::SHEmptyRecycleBinW(ToHwnd(owner), root ? Wide(*root) : nullptr, flags));
}

std::int32_t Win32Shell::QueryRecycleBin(const Text& root, RecycleBinInfo& info) {
    return QueryRecycleBinNow(root, info);
}

std::int32_t Win32Shell::EmptyRecycleBin(Hwnd owner, const std::optional<Text>& root,
                                         std::uint32_t flags) {
    return EmptyRecycleBinNow(owner, root, flags);
}

std::optional<std::uint64_t> Win32Shell::RemoveRecycleBinItems(
    const RecycleBinItemChooser& choose) {
    return RemoveRecycleBinItemsNow(choose);
}

std::unique_ptr<RecycleBinWorker> Win32Shell::StartRecycleBinWorker(Hwnd window,
                                                                    std::int32_t doneMessage) {
    return std::make_unique<Win32RecycleBinWorker>(window, doneMessage, workerThreads_);
}

std::intptr_t Win32Shell::ShellExecute(Hwnd owner, const Text& verb, const Text& file,
                                       const Text& parameters,
                                       const std::optional<Text>& directory,
                                       std::int32_t show) {
    const HINSTANCE result =
        ::ShellExecuteW(ToHwnd(owner), OptionalText(verb), Wide(file), OptionalText(parameters),
                        directory ? Wide(*directory) : nullptr, show);
    return reinterpret_cast<std::intptr_t>(result);
}

bool Win32Shell::RunProgram(const Text& path, std::int32_t show) {
    // Quoted, so that a path with blanks ("C:\Program Files\...") stays one argument for the
    // started program; CreateProcessW may write into its command line.
    Text commandLine = u"\"" + path + u"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(Wide(path), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr,
                          nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    // Not waited for: the handles are closed at once.
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
    return true;
}

void Win32Shell::ClearRecentDocs() {
    // No document given: the shell clears its whole list.
    ::SHAddToRecentDocs(0, nullptr);
}

}  // namespace dustvale::win32
