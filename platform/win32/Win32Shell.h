#pragma once

// shell32 for the program: tray icons, the Recycle Bin, starting Explorer and programs, the
// recent-documents list.

#include "platform/Shell.h"
#include "platform/win32/Win32WorkerThreads.h"

namespace dustvale::win32 {

// The shell's Recycle Bin calls, callable from any thread.
std::int32_t QueryRecycleBinNow(const Text& root, RecycleBinInfo& info);
std::int32_t EmptyRecycleBinNow(Hwnd owner, const std::optional<Text>& root,
                                std::uint32_t flags);

class Win32Shell final : public Shell {
public:
    bool NotifyIcon(NotifyMessage message, const NotifyIconRecord& record) override;
    std::optional<ScreenRect> NotifyIconRect(Hwnd hwnd, std::uint32_t id) override;
    std::int32_t QueryRecycleBin(const Text& root, RecycleBinInfo& info) override;
    std::int32_t EmptyRecycleBin(Hwnd owner, const std::optional<Text>& root,
                                 std::uint32_t flags) override;
    std::optional<std::uint64_t> RemoveRecycleBinItems(
        const RecycleBinItemChooser& choose) override;
    std::unique_ptr<RecycleBinWorker> StartRecycleBinWorker(Hwnd window,
                                                            std::int32_t doneMessage) override;
    std::intptr_t ShellExecute(Hwnd owner, const Text& verb, const Text& file,
                               const Text& parameters, const std::optional<Text>& directory,
                               std::int32_t show) override;
    bool RunProgram(const Text& path, std::int32_t show) override;
    void ClearRecentDocs() override;

    // Every thread the workers started, ended or not.
    Win32WorkerThreads& WorkerThreads() { return workerThreads_; }

private:
    Win32WorkerThreads workerThreads_;
};

}  // namespace dustvale::win32
