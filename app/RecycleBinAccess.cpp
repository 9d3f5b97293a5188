#include "app/RecycleBinAccess.h"

#include <optional>

#include "app/WineTrashRecycleBin.h"

namespace dustvale {

namespace {

// The size of the record the shell fills, in the layout of 32-bit programs.
constexpr std::uint32_t kRecordSize = 20;
constexpr std::uint32_t kSilently =
    sherb::kNoConfirmation | sherb::kNoProgressUi | sherb::kNoSound;

bool Succeeded(std::int32_t status) { return status >= 0; }

}  // namespace

RecycleBinResult CountThroughShell(Shell& shell, FileSystem& files) {
    RecycleBinResult result;
    result.task = RecycleBinTask::Query;
    result.info.cbSize = kRecordSize;
    result.status = shell.QueryRecycleBin(Text(), result.info);
    if (Succeeded(result.status)) return result;

    RecycleBinResult total;
    total.task = RecycleBinTask::Query;
    total.info.cbSize = kRecordSize;
    total.status = result.status;
    for (const Text& root : files.FixedDriveRoots()) {
        RecycleBinInfo one;
        one.cbSize = kRecordSize;
        // A drive whose bin cannot be counted adds nothing; the others still count.
        if (!Succeeded(shell.QueryRecycleBin(root, one))) continue;
        total.status = 0;
        total.info.i64Size += one.i64Size;
        total.info.i64NumItems += one.i64NumItems;
    }
    return total;
}

std::unique_ptr<RecycleBinAccess> RecycleBinAccessFor(const Platform& platform) {
    if (platform.kernel.RunsUnderWine()) return std::make_unique<WineTrashRecycleBin>(platform);
    return std::make_unique<ShellRecycleBin>(platform);
}

RecycleBinWork ShellRecycleBin::CountEveryBin() {
    return [&shell = shell_, &files = files_] { return CountThroughShell(shell, files); };
}

RecycleBinWork ShellRecycleBin::EmptyEveryBin(Hwnd owner) {
    return [&shell = shell_, owner] {
        RecycleBinResult result;
        result.task = RecycleBinTask::Empty;
        result.status = shell.EmptyRecycleBin(owner, std::nullopt, kSilently);
        return result;
    };
}

RecycleBinWork ShellRecycleBin::RemoveItems(RecycleBinTask task, RecycleBinItemChooser choose) {
    return [&shell = shell_, task, choose = std::move(choose)] {
        RecycleBinResult result;
        result.task = task;
        const std::optional<std::uint64_t> removed = shell.RemoveRecycleBinItems(choose);
        constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005);  // E_FAIL
        result.status = removed ? 0 : kFailed;
        result.removed = removed.value_or(0);
        return result;
    };
}

}  // namespace dustvale
