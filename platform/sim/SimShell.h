#pragma once

// Simulated shell32: the tray with a record of every Shell_NotifyIconW call, the Recycle Bin
// per drive, programs started, Explorer windows opened, the recent-documents list.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/Shell.h"
#include "platform/sim/SimWindowing.h"

namespace dustvale::sim {

class SimShell final : public Shell {
public:
    explicit SimShell(SimWindowing& windows);

    // Shell
    bool NotifyIcon(NotifyMessage message, const NotifyIconRecord& record) override;
    std::int32_t QueryRecycleBin(const Text& root, RecycleBinInfo& info) override;
    std::int32_t EmptyRecycleBin(Hwnd owner, const std::optional<Text>& root,
                                 std::uint32_t flags) override;
    std::intptr_t ShellExecute(Hwnd owner, const Text& verb, const Text& file,
                               const Text& parameters, const std::optional<Text>& directory,
                               std::int32_t show) override;
    bool RunProgram(const Text& path, std::int32_t show) override;
    void ClearRecentDocs() override;

    // --- for tests: the tray ---------------------------------------------------------------
    struct NotifyCall {
        NotifyMessage message;
        NotifyIconRecord record;  // a copy of the record as it was during the call
        bool result;
    };
    struct TrayIcon {
        Hwnd hwnd = 0;
        std::uint32_t id = 0;
        HIcon icon = 0;
        Text tip;
        std::uint32_t callbackMessage = 0;
        std::uint32_t version = 0;
    };
    const std::vector<NotifyCall>& NotifyCalls() const;
    void ClearNotifyCalls();
    std::vector<TrayIcon> Icons() const;  // the icons the tray now shows
    std::optional<TrayIcon> Icon(Hwnd hwnd, std::uint32_t id) const;
    // The shell sends the icon's callback message with `notification` as lParam (and the
    // icon id as wParam), as it does for mouse actions and balloon events.
    void SendCallback(Hwnd hwnd, std::uint32_t id, std::int32_t notification);
    // The tray forgets every icon, as when the taskbar is re-created.
    void ForgetIcons();
    // Makes the next n NIM_ADD calls fail.
    void RefuseNextAdd(int n = 1);

    // --- for tests: the Recycle Bin --------------------------------------------------------
    // Puts an item of `bytes` into the bin of drive `drive` (a letter).
    void AddToRecycleBin(char16_t drive, std::uint64_t bytes);
    std::uint64_t RecycleBinItems(char16_t drive) const;
    std::uint64_t RecycleBinBytes(char16_t drive) const;
    void FailQueries(bool fail);  // the query then returns an error and fills nothing
    struct EmptyCall {
        Hwnd owner;
        std::optional<Text> root;
        std::uint32_t flags;
    };
    const std::vector<EmptyCall>& EmptyCalls() const;
    std::uint32_t QueryCount() const;

    // --- for tests: what was started -------------------------------------------------------
    struct ExecuteCall {
        Hwnd owner;
        Text verb, file, parameters;
        std::optional<Text> directory;
        std::int32_t show;
    };
    const std::vector<ExecuteCall>& ExecuteCalls() const;
    struct RunCall {
        Text path;
        std::int32_t show;
    };
    const std::vector<RunCall>& RunCalls() const;
    std::uint32_t RecentDocsCleared() const;

private:
    // (state)
};

}  // namespace dustvale::sim
