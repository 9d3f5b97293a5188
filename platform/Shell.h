#pragma once

// The Windows shell (shell32) as the program uses it: tray icons, the Recycle Bin, starting
// Explorer and other programs, and the recent-documents list.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/NotifyIconRecord.h"
#include "platform/Types.h"

namespace dustvale {

class RecycleBinWorker;

// SHQUERYRBINFO as filled by the shell for a 32-bit program (byte-packed, 20 bytes).
struct RecycleBinInfo {
    std::uint32_t cbSize = 0;
    std::uint64_t i64Size = 0;
    std::uint64_t i64NumItems = 0;
};

namespace sherb {
constexpr std::uint32_t kNoConfirmation = 0x1;
constexpr std::uint32_t kNoProgressUi = 0x2;
constexpr std::uint32_t kNoSound = 0x4;
}  // namespace sherb

constexpr std::int32_t kShowNormal = 1;  // SW_SHOWNORMAL

// 100-nanosecond steps since 1601, UTC, as FILETIME counts time.
using FileTime = std::int64_t;
inline constexpr FileTime kFileTimePerDay = 864'000'000'000;

// One item of the Recycle Bin, as the shell lists it.
struct RecycleBinItem {
    Text name;  // as the Recycle Bin shows it
    std::uint64_t bytes = 0;
    std::optional<FileTime> deletedAt;  // nothing when the shell does not tell
};

// Picks, among the items a bin holds now, those to remove: their indexes.
using RecycleBinItemChooser =
    std::function<std::vector<std::size_t>(const std::vector<RecycleBinItem>&)>;

class Shell {
public:
    virtual ~Shell() = default;

    // Shell_NotifyIconW. The shell reads the record during the call only. A busy shell may
    // answer false after its time-out and still carry the call out.
    virtual bool NotifyIcon(NotifyMessage message, const NotifyIconRecord& record) = 0;
    // Shell_NotifyIconGetRect: where the icon (hwnd, id) shows on the screen; nullopt when
    // the shell cannot tell (no such icon, an icon hidden in the overflow, a shell without
    // the call).
    virtual std::optional<ScreenRect> NotifyIconRect(Hwnd hwnd, std::uint32_t id) = 0;

    // SHQueryRecycleBinW: fills `info` (whose cbSize the caller set) for the bin of `root`; an
    // empty root stands for the bins of all drives together. Returns the HRESULT. On failure
    // `info` is left as it was. Callable from any thread.
    virtual std::int32_t QueryRecycleBin(const Text& root, RecycleBinInfo& info) = 0;

    // SHEmptyRecycleBinW; no root means the Recycle Bins of all drives. Returns the HRESULT.
    // Callable from any thread.
    virtual std::int32_t EmptyRecycleBin(Hwnd owner, const std::optional<Text>& root,
                                         std::uint32_t flags) = 0;

    // Lists the items of every drive's bin, lets `choose` pick among them, and deletes the
    // chosen ones for good through the shell, with no question, progress window or sound, on
    // the very items listed. The number deleted; nullopt when the bin cannot be listed.
    // Callable from any thread with COM started.
    virtual std::optional<std::uint64_t> RemoveRecycleBinItems(
        const RecycleBinItemChooser& choose) = 0;

    // A thread of its own for the calls above, which reports each request's end by posting
    // `doneMessage` to `window` (see RecycleBinWorker).
    virtual std::unique_ptr<RecycleBinWorker> StartRecycleBinWorker(Hwnd window,
                                                                    std::int32_t doneMessage) = 0;

    // ShellExecuteW; returns its instance value (greater than 32 on success).
    virtual std::intptr_t ShellExecute(Hwnd owner, const Text& verb, const Text& file,
                                       const Text& parameters,
                                       const std::optional<Text>& directory,
                                       std::int32_t show) = 0;

    // Starts a program by its path without arguments and without waiting for it; returns
    // true when it started.
    virtual bool RunProgram(const Text& path, std::int32_t show) = 0;

    // SHAddToRecentDocs(0, NULL): clears the shell's recent-documents list.
    virtual void ClearRecentDocs() = 0;
};

}  // namespace dustvale
