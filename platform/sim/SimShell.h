#pragma once

// Simulated shell32: the tray with a record of every Shell_NotifyIconW call, the Recycle Bin
// per drive, programs started, Explorer windows opened, the recent-documents list.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Kernel.h"
#include "platform/RecycleBinWorker.h"
#include "platform/Shell.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimWindowing.h"

namespace dustvale::sim {

class SimShell final : public Shell {
public:
    // Items put into a bin are dated by `kernel`'s time of day.
    SimShell(const SimClock& clock, SimWindowing& windows, SimFileSystem& files, Kernel& kernel);

    // Shell
    bool NotifyIcon(NotifyMessage message, const NotifyIconRecord& record) override;
    // The tray lies at the right end of a taskbar along the bottom of a 1920 x 1080 screen:
    // icons of 16 pixels, 24 apart, the first (oldest) rightmost.
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
    // Balloons asked for with NIF_INFO (an empty text takes the icon's balloon away). The
    // shell does not send NIN_BALLOONSHOW and the like by itself here: tests send them with
    // SendCallback when they want them.
    struct Balloon {
        Hwnd hwnd = 0;
        std::uint32_t id = 0;
        Text title, text;
        std::uint32_t infoFlags = 0;
        std::uint32_t timeoutMs = 0;
    };
    const std::vector<Balloon>& Balloons() const;
    // The shell sends the icon's callback message with `notification` as lParam (and the
    // icon id as wParam), as it does for mouse actions and balloon events; after
    // NIM_SETVERSION 4 it packs them as that version does (lParam = notification | id << 16,
    // wParam = the cursor position). Nothing is sent for an icon the tray does not show or
    // one without a callback message. Returns whether a message was sent.
    bool SendCallback(Hwnd hwnd, std::uint32_t id, std::int32_t notification);
    // A click on the icon with button 1 (left), 2 (right) or 4 (middle): the button's down
    // and up messages, and, once the icon asked for version 3 or later, NIN_SELECT after the
    // left button's up and WM_CONTEXTMENU after the right button's, as the shell sends them.
    bool Click(Hwnd hwnd, std::uint32_t id, std::int16_t button);
    // A key on the icon that has the keyboard focus in the notification area (Win+B, then the
    // arrow keys). From version 3 on, Enter gives NIN_KEYSELECT twice, Space once, and the
    // menu key (or Shift+F10) WM_CONTEXTMENU; with version 4 each carries the icon's
    // top-left corner in wParam. Earlier versions get WM_RBUTTONDOWN and WM_RBUTTONUP.
    enum class Key { Enter, Space, Menu };
    bool PressKey(Hwnd hwnd, std::uint32_t id, Key key);
    // The icon NIM_SETFOCUS last gave the keyboard focus to, if any.
    std::optional<std::pair<Hwnd, std::uint32_t>> FocusedIcon() const;
    // The tray forgets every icon, as when the taskbar is re-created.
    void ForgetIcons();
    // Makes the next n NIM_ADD calls fail.
    void RefuseNextAdd(int n = 1);
    // The notification area takes no icon for `ms` from now (a shell still starting at
    // log-on, a new taskbar whose tray is not ready): every NIM_ADD fails.
    void RefuseAddsFor(std::uint64_t ms);
    // The next n NIM_ADD calls time out: the shell adds the icon, but the caller is told the
    // call failed.
    void TimeOutNextAdd(int n = 1);

    // --- for tests: the Recycle Bin --------------------------------------------------------
    // Each drive letter has its own bin. The query answers for the drive that `root` names
    // (an empty root: all drives together); a root on a drive the file system does not have
    // fails with HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND). Emptying bins that are already
    // empty answers E_UNEXPECTED, as Windows does.
    // Puts an item of `bytes` into the bin of drive `drive` (a letter).
    // Puts an item of `bytes` into the bin of drive `drive` (a letter), deleted now, or at
    // `deletedAt`; `dated` false: an item whose deletion date the shell cannot tell.
    void AddToRecycleBin(char16_t drive, std::uint64_t bytes);
    void AddToRecycleBin(char16_t drive, std::uint64_t bytes, FileTime deletedAt,
                         bool dated = true);
    // The items of every bin, in the order they were put in (the shell's listing order).
    std::vector<RecycleBinItem> RecycleBinContents() const;
    int RemoveItemsCalls() const { return removeItemsCalls_; }
    // The listing of items fails, as when the shell cannot reach a drive.
    void FailItemListing(bool fail) { failItemListing_ = fail; }
    std::uint64_t RecycleBinItems(char16_t drive) const;
    std::uint64_t RecycleBinBytes(char16_t drive) const;
    void FailQueries(bool fail);  // the query then returns an error and fills nothing
    // Items the shell cannot remove (their folder is not writable): an emptying leaves the
    // drive's bin as it is and answers E_ACCESSDENIED.
    void KeepItemsOnEmptying(char16_t drive, bool keep);
    // A system that answers an empty root (every drive) with an error, and each drive's own
    // root as ever.
    void FailAllDrivesQueries(bool fail);
    struct EmptyCall {
        Hwnd owner;
        std::optional<Text> root;
        std::uint32_t flags;
    };
    const std::vector<EmptyCall>& EmptyCalls() const;
    std::uint32_t QueryCount() const;

    // --- for tests: the Recycle Bin worker -------------------------------------------------
    // A worker's requests run at once (their work, against the bins as they are) and their
    // ends are posted to the worker's window, to be dispatched with the other posted messages.
    // While requests are held they stay in flight, in the order given, until a test finishes
    // them: a slow query, a long emptying. A request in flight when its worker is destroyed
    // still runs when finished, as the shell's call under way would; its result is dropped.
    void HoldRecycleBinRequests(bool hold);  // letting go finishes every request in flight
    std::size_t RecycleBinRequestsInFlight() const;
    // Finishes the oldest request in flight; false when there is none.
    bool FinishRecycleBinRequest();
    // The next n requests never come back, as a call into a hung shell extension or an
    // unreachable network drive: they stay apart from the others, held or not, until
    // EndHungRecycleBinRequests runs them, late.
    void HangNextRecycleBinRequests(int n = 1);
    std::size_t HungRecycleBinRequests() const;
    void EndHungRecycleBinRequests();
    int RecycleBinWorkersStarted() const;

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

    // A worker's way back to its window, shared with the requests it gave, and a request in
    // flight (for the simulated worker).
    struct WorkerMailbox {
        Hwnd window = 0;
        std::int32_t doneMessage = 0;
        bool workerAlive = true;
        std::vector<RecycleBinResult> results;
    };
    struct PendingRequest {
        std::shared_ptr<WorkerMailbox> mailbox;
        RecycleBinTask task = RecycleBinTask::Query;
        RecycleBinWork work;
    };

private:
    struct Bin {
        std::vector<RecycleBinItem> items;
        std::uint64_t bytes = 0;  // of the items, kept up to date
        bool unremovable = false;
    };
    bool Apply(NotifyMessage message, const NotifyIconRecord& record);
    // Runs a request's work and posts its end, unless its worker was given up.
    void Finish(PendingRequest& request);
    TrayIcon* Find(Hwnd hwnd, std::uint32_t id);
    // The callback message for `notification`, packed as the icon's version wants it; an
    // action of the keyboard gives the icon's corner, the mouse's the cursor, as wParam of
    // version 4.
    bool Notify(Hwnd hwnd, std::uint32_t id, std::int32_t notification, bool byKeyboard);

    const SimClock& clock_;
    SimWindowing& windows_;
    SimFileSystem& files_;
    std::vector<NotifyCall> notifyCalls_;
    std::vector<TrayIcon> icons_;  // in the order the tray shows them (order of addition)
    std::vector<Balloon> balloons_;
    int refuseAdd_ = 0;
    std::uint64_t refuseAddsUntil_ = 0;
    int timeOutAdd_ = 0;
    std::optional<std::pair<Hwnd, std::uint32_t>> focusedIcon_;
    std::map<char16_t, Bin> bins_;
    Kernel& kernel_;
    std::uint64_t itemsAdded_ = 0;
    int removeItemsCalls_ = 0;
    bool failItemListing_ = false;
    bool failQueries_ = false;
    bool failAllDrivesQueries_ = false;
    std::uint32_t queryCount_ = 0;
    std::vector<EmptyCall> emptyCalls_;
    std::deque<PendingRequest> inFlight_;
    std::vector<PendingRequest> hung_;
    int hangNext_ = 0;
    int workersStarted_ = 0;
    bool holdRequests_ = false;
    std::vector<ExecuteCall> executeCalls_;
    std::vector<RunCall> runCalls_;
    std::uint32_t recentDocsCleared_ = 0;
};

}  // namespace dustvale::sim
