// The contract suites run against the real Win32 side (under Wine on Linux).

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/KernelHandle.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsApi.h"
#include "tests/contract/ContractFiles.h"
#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {

namespace {

// A folder under %TEMP% that no other live fixture uses: named after the process and the
// fixture's own address (a later fixture at the same address finds the folder removed).
Text NewScratchFolder(Kernel& kernel, FileSystem& files, const void* owner) {
    const Text temp = kernel.GetTempPath().value_or(u"C:\\");
    const std::string name = "dustvale-contract-" + std::to_string(::GetCurrentProcessId()) +
                             "-" + std::to_string(reinterpret_cast<std::uintptr_t>(owner));
    const Text folder = temp + Text(name.begin(), name.end());
    RemoveTree(files, folder);  // left over from a crashed run
    ::CreateDirectoryW(win32::Wide(folder), nullptr);
    return folder;
}

// Memory at the first free place from 4 GB up, reserved and committed, as 64-bit Windows
// gives a program its memory; ordinary memory in a process without addresses that high.
win32::unique_virtual_memory AllocateAbove4GB(std::size_t bytes) {
    constexpr std::uint64_t kFirst = 0x1'0000'0000;
    constexpr std::uint64_t kLast = 0x7F'0000'0000;
    constexpr std::uint64_t kStep = 0x1000'0000;
    if constexpr (sizeof(void*) == 8) {
        for (std::uint64_t place = kFirst; place <= kLast; place += kStep) {
            void* const wanted = reinterpret_cast<void*>(static_cast<std::uintptr_t>(place));
            win32::unique_virtual_memory memory(
                ::VirtualAlloc(wanted, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
            if (memory) return memory;
        }
    }
    return win32::unique_virtual_memory(
        ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

}  // namespace

// A thread that makes a window and then waits without reading its messages until it is let go;
// its window goes with it.
class HungThread {
public:
    HungThread()
        : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_.reset(::CreateThread(nullptr, 0, &HungThread::Run, this, 0, nullptr));
        if (thread_) ::WaitForSingleObject(ready_.get(), INFINITE);
    }
    ~HungThread() {
        ::SetEvent(release_.get());
        if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
    }
    HungThread(const HungThread&) = delete;
    HungThread& operator=(const HungThread&) = delete;

    HWND window() const { return window_; }

private:
    static DWORD WINAPI Run(void* parameter) {
        auto& self = *static_cast<HungThread*>(parameter);
        self.window_ = ::CreateWindowExW(0, L"STATIC", L"hung", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr);
        ::SetEvent(self.ready_.get());
        ::WaitForSingleObject(self.release_.get(), INFINITE);
        if (self.window_ != nullptr) ::DestroyWindow(self.window_);
        return 0;
    }

    win32::unique_handle ready_;
    win32::unique_handle release_;
    win32::unique_handle thread_;
    HWND window_ = nullptr;
};

struct PlatformUnderTest::State : win32::Win32Platform {
    Text scratch;
    std::vector<win32::unique_virtual_memory> highMemory;
    std::vector<std::unique_ptr<HungThread>> hungThreads;
};

PlatformUnderTest::PlatformUnderTest() : state_(std::make_unique<State>()) {}

PlatformUnderTest::~PlatformUnderTest() {
    if (!state_->scratch.empty()) RemoveTree(state_->files, state_->scratch);
    // Messages a test left behind (WM_NULL after a menu, posts to destroyed windows) must not
    // reach the next test.
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) break;
    }
}

std::string PlatformUnderTest::Name() { return "Win32"; }

Platform PlatformUnderTest::platform() {
    return state_->platform();
}

Text PlatformUnderTest::ScratchFolder() {
    if (state_->scratch.empty()) state_->scratch = NewScratchFolder(state_->kernel, state_->files, state_.get());
    return state_->scratch;
}

bool PlatformUnderTest::MakeFolder(const Text& path) {
    return ::CreateDirectoryW(win32::Wide(path), nullptr) != FALSE;
}

bool PlatformUnderTest::Rename(const Text& from, const Text& to) {
    return ::MoveFileW(win32::Wide(from), win32::Wide(to)) != FALSE;
}

bool PlatformUnderTest::UnderWine() {
    // Wine's ntdll exports its version; Windows' has no such call.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void PlatformUnderTest::WaitForTimers(std::uint32_t ms) {
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                    QS_ALLINPUT);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

bool PlatformUnderTest::HasTray() { return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }

std::vector<std::array<std::int32_t, 4>> PlatformUnderTest::ControlPlaces(
    const DialogWindow& dialog) {
    const HWND window = win32::ToHwnd(dialog.Handle());
    std::vector<std::array<std::int32_t, 4>> places;
    // The controls were made in the layout's order, which is their order among the children.
    for (HWND control = ::GetWindow(window, GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        places.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    return places;
}

void PlatformUnderTest::TellDpiChanged(Hwnd window, std::int32_t dpi) {
    RECT suggested{};
    ::GetWindowRect(win32::ToHwnd(window), &suggested);
    ::SendMessageW(win32::ToHwnd(window), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
}

std::int32_t PlatformUnderTest::PictureSide(const Picture& picture) {
    ICONINFO info{};
    if (!::GetIconInfo(win32::ToHandle<HICON>(picture.Handle()), &info)) return 0;
    BITMAP bitmap{};
    // A colour icon's side is its colour bitmap's width (a monochrome one's mask is as wide).
    ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

Hwnd PlatformUnderTest::HungWindow() {
    state_->hungThreads.push_back(std::make_unique<HungThread>());
    return win32::FromHwnd(state_->hungThreads.back()->window());
}

std::span<std::byte> PlatformUnderTest::HighMemory(std::size_t bytes) {
    win32::unique_virtual_memory memory = AllocateAbove4GB(bytes);
    if (!memory) return {};
    const std::span<std::byte> block(static_cast<std::byte*>(memory.get()), bytes);
    state_->highMemory.push_back(std::move(memory));
    return block;
}

void PlatformUnderTest::GiveShortName(const Text&) {
    // Windows and Wine give a long name its 8.3 alias themselves when the file is made.
}

}  // namespace dustvale::contract

// --- What only the Win32 side has: handle owners, window styles, shared pictures ------------

namespace dustvale::contract {
namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(Win32Handles, AMoveAssignmentClosesWhatItOverwritesAndReleaseClosesNothing) {
    win32::unique_handle first(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    win32::unique_handle second(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(first && second);
    const HANDLE overwritten = first.get();
    const HANDLE moved = second.get();

    first = std::move(second);
    EXPECT_FALSE(IsOpen(overwritten));
    EXPECT_TRUE(IsOpen(moved));
    EXPECT_EQ(first.get(), moved);
    EXPECT_FALSE(second);

    const HANDLE kept = first.release();
    EXPECT_FALSE(first);
    EXPECT_TRUE(IsOpen(kept));
    ::CloseHandle(kept);
}

TEST(Win32Handles, EachKindKnowsItsOwnInvalidValue) {
    // A failed FindFirstFileW answers INVALID_HANDLE_VALUE, a failed CreatePopupMenu NULL.
    EXPECT_FALSE(win32::unique_find(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(win32::unique_file(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(win32::unique_hmenu(nullptr));
    EXPECT_FALSE(win32::unique_handle(nullptr));
    win32::unique_hmenu menu(::CreatePopupMenu());
    EXPECT_TRUE(menu);
}

class Win32Side : public ::testing::Test {
protected:
    PlatformUnderTest fixture;
    Platform platform = fixture.platform();
};

TEST_F(Win32Side, AHiddenOwnerIsAToolWindowThatIsNeverShown) {
    const Hwnd owner = platform.windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    const Hwnd child = platform.windows.CreateWindow(WindowKind::Child, owner, nullptr);
    ASSERT_NE(owner, 0u);
    ASSERT_NE(child, 0u);
    const HWND ownerWindow = win32::ToHwnd(owner);
    const LONG_PTR style = ::GetWindowLongPtrW(ownerWindow, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(ownerWindow, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);  // no taskbar button
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(::GetParent(win32::ToHwnd(child)), ownerWindow);
    EXPECT_TRUE(::GetWindowLongPtrW(win32::ToHwnd(child), GWL_STYLE) & WS_CHILD);

    EXPECT_TRUE(platform.windows.MoveWindow(owner, {-30000, -30000}));
    RECT place{};
    ::GetWindowRect(ownerWindow, &place);
    EXPECT_EQ(place.left, -30000);
    EXPECT_EQ(place.top, -30000);
    platform.windows.DestroyWindow(owner);
    EXPECT_FALSE(::IsWindow(ownerWindow));
}

class Answer final : public MessageHandler {
public:
    LResult HandleMessage(Hwnd, std::int32_t message, WParam, LParam) noexcept
        override {
        return message == msg::kUser ? 42 : 0;
    }
};

TEST_F(Win32Side, RestoringAProcedureLeavesNoPropertyBehind) {
    const Hwnd hwnd = platform.windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    Answer hook;
    const WindowProc previous = platform.windows.SubclassWindow(hwnd, hook);
    ASSERT_NE(previous, 0u);
    EXPECT_EQ(platform.windows.SendMessage(hwnd, msg::kUser, 0, 0), 42);
    EXPECT_NE(::GetPropW(win32::ToHwnd(hwnd), L"Dustvale.Subclass"), nullptr);

    platform.windows.RestoreWindowProc(hwnd, previous);
    EXPECT_EQ(::GetPropW(win32::ToHwnd(hwnd), L"Dustvale.Subclass"), nullptr);
    EXPECT_EQ(platform.windows.SendMessage(hwnd, msg::kUser, 0, 0), 0);
    platform.windows.DestroyWindow(hwnd);

    // A window that is gone cannot be hooked, and nothing is left attached to it.
    EXPECT_EQ(platform.windows.SubclassWindow(hwnd, hook), 0u);
}

TEST_F(Win32Side, AQuitSeenWhileYieldingStillEndsTheMainLoop) {
    platform.windows.PostQuitMessage(7);
    platform.windows.ProcessPendingMessages();
    EXPECT_EQ(platform.windows.RunMessageLoop(), 7);
}

// An .ico file of solid 32-bit images, one per side and BGRA colour, in this order; the masks
// let every pixel show.
std::string SolidIconFile(const std::vector<std::pair<int, std::uint32_t>>& images) {
    std::string directory("\0\0\1\0", 4), data;
    directory += {static_cast<char>(images.size()), '\0'};
    for (const auto& [side, bgra] : images) {
        const BITMAPINFOHEADER header{
            sizeof(BITMAPINFOHEADER), side, side * 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::string image(reinterpret_cast<const char*>(&header), sizeof(header));
        for (int pixel = 0; pixel < side * side; ++pixel) {
            image.append(reinterpret_cast<const char*>(&bgra), sizeof(bgra));
        }
        image.append(static_cast<std::size_t>((side + 31) / 32 * 4 * side), '\0');
        const auto offset = static_cast<std::uint32_t>(6 + 16 * images.size() + data.size());
        const std::uint32_t entry[4] = {static_cast<std::uint32_t>(side | side << 8), 1 | 32 << 16,
                                        static_cast<std::uint32_t>(image.size()), offset};
        directory.append(reinterpret_cast<const char*>(entry), sizeof(entry));
        data += image;
    }
    return directory + data;
}

// The images of such a file, as the program's icon check gives them.
std::vector<IconImage> ImagesOf(std::string_view file) {
    std::vector<IconImage> images;
    for (std::size_t n = 0; n < static_cast<unsigned char>(file[4]); ++n) {
        std::uint32_t entry[4];
        std::memcpy(entry, file.data() + 6 + 16 * n, sizeof(entry));
        const auto side = static_cast<std::uint8_t>(entry[0]);
        images.push_back({side, side, 32, file.substr(entry[3], entry[2])});
    }
    return images;
}

// The colour pixels of an icon, top row first.
std::vector<std::uint32_t> IconPixels(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return {};
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    BITMAPINFO format{};
    format.bmiHeader = {
        sizeof(BITMAPINFOHEADER), bitmap.bmWidth, -bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth * bitmap.bmHeight));
    const win32::unique_screen_dc screen(::GetDC(nullptr));
    if (::GetDIBits(screen.get(), info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight),
                    pixels.data(), &format, DIB_RGB_COLORS) == 0) {
        pixels.clear();
    }
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return pixels;
}

// The program decodes the bytes it checked, not the file: the system must choose the same
// image among several and decode it to the same pixels as when it reads the file itself.
TEST_F(Win32Side, CheckedImagesShowAsTheFileItselfWould) {
    const Text path = fixture.ScratchFolder() + u"\\choice.ico";
    const std::pair<int, std::uint32_t> red{32, 0xFFFF0000}, blue{16, 0xFF0000FF},
        green{24, 0xFF00FF00}, grey{20, 0xFF808080};
    for (const auto& images : std::vector<std::vector<std::pair<int, std::uint32_t>>>{
             {blue}, {red, blue, green}, {green, red}, {grey, red, blue, green}}) {
        const std::string file = SolidIconFile(images);
        ASSERT_TRUE(WriteFile(platform.files, path, file));
        // The tray's sizes at 100, 125, 150 and 200 %: an image of the size, or one scaled.
        for (const int size : {16, 20, 24, 32}) {
            SCOPED_TRACE(testing::Message() << images.size() << " images at " << size << " px");
            win32::unique_hicon fromFile(static_cast<HICON>(::LoadImageW(
                nullptr, win32::Wide(path), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
            std::unique_ptr<Picture> checked = platform.ui.LoadIconPicture(ImagesOf(file), size);
            ASSERT_TRUE(fromFile && checked);
            const std::vector<std::uint32_t> expected = IconPixels(fromFile.get());
            ASSERT_EQ(expected.size(), static_cast<std::size_t>(size * size));
            EXPECT_EQ(IconPixels(win32::ToHandle<HICON>(checked->Handle())), expected);
        }
    }
}

TEST_F(Win32Side, EqualImagesShareOneIconUntilTheLastPictureGoes) {
    const std::string file = SolidIconFile({{16, 0xFF000040}}), copy = file;
    const std::string other = SolidIconFile({{16, 0xFF0000C0}});
    std::unique_ptr<Picture> first = platform.ui.LoadIconPicture(ImagesOf(file), 16);
    std::unique_ptr<Picture> same = platform.ui.LoadIconPicture(ImagesOf(copy), 16);
    std::unique_ptr<Picture> different = platform.ui.LoadIconPicture(ImagesOf(other), 16);
    ASSERT_TRUE(first && same && different);
    EXPECT_EQ(first->Handle(), same->Handle());
    EXPECT_NE(first->Handle(), different->Handle());

    const HICON shared = win32::ToHandle<HICON>(first->Handle());
    ICONINFO info{};
    first.reset();
    ASSERT_TRUE(::GetIconInfo(shared, &info));  // still held by `same`
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    same.reset();
    EXPECT_FALSE(::GetIconInfo(shared, &info));  // destroyed with the last picture
}

// The balloon search asks other programs' windows for their text: one that has stopped
// answering must not hang the program with it.
TEST_F(Win32Side, AWindowThatStopsAnsweringReadsAsOneWithoutTextWithinSeconds) {
    win32::unique_handle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release);
    std::promise<HWND> created;
    std::thread owner([&] {
        const HWND window = ::CreateWindowExW(0, L"STATIC", L"a text nobody reads", WS_POPUP,
                                              0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        created.set_value(window);
        ::WaitForSingleObject(release.get(), 20000);  // its messages wait meanwhile
        if (window != nullptr) ::DestroyWindow(window);
    });
    const Hwnd hung = win32::FromHwnd(created.get_future().get());
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_NE(hung, 0u);
    EXPECT_EQ(platform.windows.SendMessage(hung, msg::kGetTextLength, 0, 0), 0);
    EXPECT_EQ(platform.windows.SendGetText(hung, 5), Text(5, u'\0'));
    EXPECT_LT(::GetTickCount64() - started, 5000u);
    ::SetEvent(release.get());
    owner.join();
}

// --- Named shared blocks across real processes ---------------------------------------------
// The second process is this executable again, running only the holder below: it adds one to
// the count of the block named in its environment, says so, and holds the block until told to
// end. Run on its own (no such variable) the holder has nothing to do.

constexpr wchar_t kHolderBlockVariable[] = L"DUSTVALE_CONTRACT_HOLD_BLOCK";
constexpr char kHolderTest[] = "Win32BlockHolder.AddsOneAndHoldsTheBlockUntilToldToEnd";
constexpr DWORD kHolderWaitMs = 30000;

std::wstring HolderVariable() {
    wchar_t value[256] = {};
    const DWORD length = ::GetEnvironmentVariableW(kHolderBlockVariable, value, 256);
    return length > 0 && length < 256 ? std::wstring(value, length) : std::wstring();
}

std::int32_t CountOf(Kernel& kernel, KernelHandle block) {
    std::array<std::byte, 4> bytes{};
    if (!kernel.ReadMapping(block, bytes)) return -1;
    std::int32_t count = 0;
    std::memcpy(&count, bytes.data(), 4);
    return count;
}

bool WriteCount(Kernel& kernel, KernelHandle block, std::int32_t count) {
    std::array<std::byte, 4> bytes{};
    std::memcpy(bytes.data(), &count, 4);
    return kernel.WriteMapping(block, bytes);
}

TEST(Win32BlockHolder, AddsOneAndHoldsTheBlockUntilToldToEnd) {
    const std::wstring name = HolderVariable();
    if (name.empty()) GTEST_SKIP() << "runs only as the second process of a test below";
    win32::Win32Kernel kernel;
    const Text block = win32::FromWide(name.c_str(), name.size());
    // Held until the process ends: the point of this process.
    const KernelHandle held = kernel.CreateFileMapping(block, 4);
    ASSERT_NE(held, 0u);
    ASSERT_TRUE(WriteCount(kernel, held, CountOf(kernel, held) + 1));
    win32::unique_handle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, (name + L"_Ready").c_str()));
    win32::unique_handle end(::OpenEventW(SYNCHRONIZE, FALSE, (name + L"_End").c_str()));
    ASSERT_TRUE(ready && end);
    ::SetEvent(ready.get());
    EXPECT_EQ(::WaitForSingleObject(end.get(), kHolderWaitMs), WAIT_OBJECT_0);
}

TEST_F(Win32Side, TwoProcessesSeeOneCountAndTheBlockEndsWithTheLastHolder) {
    Kernel& kernel = platform.kernel;
    const std::wstring name = L"Dustvale_Contract_Processes_" +
                              std::to_wstring(::GetCurrentProcessId()) + L"_" +
                              std::to_wstring(::GetTickCount64());
    const Text block = win32::FromWide(name.c_str(), name.size());
    win32::unique_handle ready(::CreateEventW(nullptr, TRUE, FALSE, (name + L"_Ready").c_str()));
    win32::unique_handle end(::CreateEventW(nullptr, TRUE, FALSE, (name + L"_End").c_str()));
    ASSERT_TRUE(ready && end);

    UniqueKernelHandle first(kernel, kernel.CreateFileMapping(block, 4));
    ASSERT_TRUE(first);
    ASSERT_TRUE(WriteCount(kernel, first.get(), 1));

    // The second process inherits the block's name through its environment.
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_filter=" +
                               std::wstring(kHolderTest, kHolderTest + sizeof(kHolderTest) - 1);
    ASSERT_TRUE(::SetEnvironmentVariableW(kHolderBlockVariable, name.c_str()));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    const BOOL created = ::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE,
                                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
    ::SetEnvironmentVariableW(kHolderBlockVariable, nullptr);
    ASSERT_TRUE(created);
    win32::unique_handle process(started.hProcess);
    win32::unique_handle thread(started.hThread);
    auto endHolder = [&] {
        ::SetEvent(end.get());
        return ::WaitForSingleObject(process.get(), kHolderWaitMs);
    };

    if (::WaitForSingleObject(ready.get(), kHolderWaitMs) != WAIT_OBJECT_0) {
        endHolder();
        FAIL() << "the second process did not come up";
    }
    EXPECT_EQ(CountOf(kernel, first.get()), 2);  // its update is ours to see

    // This process lets go: the other still holds the block, count and all.
    first.reset();
    UniqueKernelHandle again(kernel, kernel.OpenFileMapping(block));
    ASSERT_TRUE(again);
    EXPECT_EQ(CountOf(kernel, again.get()), 2);
    again.reset();

    // The last holder ends: the block ends with it, and a new one starts from nothing.
    ASSERT_EQ(endHolder(), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u) << "the holder's own checks failed";
    EXPECT_EQ(kernel.OpenFileMapping(block), 0u);
    UniqueKernelHandle fresh(kernel, kernel.CreateFileMapping(block, 4));
    ASSERT_TRUE(fresh);
    EXPECT_EQ(CountOf(kernel, fresh.get()), 0);
}

}  // namespace
}  // namespace dustvale::contract
