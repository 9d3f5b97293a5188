// The contract suites run against the real Win32 side (under Wine on Linux).

#include <cstdint>
#include <string>

#include "platform/win32/Win32CommonControls.h"
#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Kernel.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/Win32Windowing.h"
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

}  // namespace

struct PlatformUnderTest::State {
    win32::Win32Shell shell;
    win32::Win32Windowing windows;
    win32::Win32FileSystem files;
    win32::Win32Kernel kernel;
    win32::Win32UserInterface ui;
    win32::Win32Registry registry;
    win32::Win32CommonControls commonControls;
    win32::Win32Dialogs dialogs;
    Text scratch;
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
    State& s = *state_;
    return Platform{s.shell,    s.windows,  s.files,          s.kernel,
                    s.ui,       s.registry, s.commonControls, s.dialogs};
}

Text PlatformUnderTest::ScratchFolder() {
    if (state_->scratch.empty()) state_->scratch = NewScratchFolder(state_->kernel, state_->files, state_.get());
    return state_->scratch;
}

bool PlatformUnderTest::MakeFolder(const Text& path) {
    return ::CreateDirectoryW(win32::Wide(path), nullptr) != FALSE;
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

void PlatformUnderTest::GiveShortName(const Text&) {
    // Windows and Wine give a long name its 8.3 alias themselves when the file is made.
}

}  // namespace dustvale::contract
