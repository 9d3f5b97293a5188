#include "app/WineTrashRecycleBin.h"

#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "clean/DatedTrashItems.h"
#include "clean/TrashCount.h"
#include "clean/TrashEmptier.h"
#include "clean/TrashFolder.h"
#include "clean/TrashItemRemoval.h"

namespace dustvale {

namespace {

constexpr std::uint32_t kRecordSize = 20;  // the shell's record, in the layout of 32-bit programs
constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005);        // E_FAIL
constexpr std::int32_t kAccessDenied = static_cast<std::int32_t>(0x80070005);  // E_ACCESSDENIED

const Text kLogPrefix = u"Dustvale: ";

Text Number(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

}  // namespace

struct WineTrashRecycleBin::Shared {
    Shared(Shell& shell, FileSystem& files, Kernel& kernel)
        : shell(shell), files(files), kernel(kernel) {}

    Shell& shell;
    FileSystem& files;
    Kernel& kernel;

    std::mutex mutex;  // guards what follows; never held during a count or an emptying
    std::optional<TrashLocation> location;  // the environment does not change: looked up once
    // Taken by the count under way. A count given up by the monitor may still run on its
    // abandoned thread while a fresh worker counts: the fresh one then starts anew.
    std::unique_ptr<TrashCounter> counter = std::make_unique<TrashCounter>();
    Text lastRefusal;  // logged once for as long as it lasts

    TrashLocation Location() {
        const std::lock_guard lock(mutex);
        if (!location) location = LocateTrash(kernel);
        return *location;
    }

    // Counting runs every second: a refusal is logged when it starts, not at each count.
    void LogRefusalOnce(const Text& refusal) {
        {
            const std::lock_guard lock(mutex);
            if (refusal == lastRefusal) return;
            lastRefusal = refusal;
        }
        Log(u"the Trash is left alone: " + refusal);
    }

    void Log(const Text& line) { kernel.OutputDebugString(kLogPrefix + line + u"\n"); }

    std::unique_ptr<TrashCounter> TakeCounter() {
        const std::lock_guard lock(mutex);
        return counter ? std::move(counter) : std::make_unique<TrashCounter>();
    }

    void ReturnCounter(std::unique_ptr<TrashCounter> used) {
        const std::lock_guard lock(mutex);
        counter = std::move(used);
    }

    RecycleBinResult Count() {
        const TrashLocation location = Location();
        if (!location.place) return CountThroughShellInstead(location.refusal);
        const TrashOpening opening = OpenTrash(files, *location.place);
        RecycleBinResult result;
        result.task = RecycleBinTask::Query;
        result.info.cbSize = kRecordSize;
        if (!opening.held) {
            if (!opening.missing) return CountThroughShellInstead(opening.refusal);
            return result;  // no Trash yet: an empty bin
        }
        {
            const std::lock_guard lock(mutex);
            lastRefusal.clear();
        }
        std::unique_ptr<TrashCounter> used = TakeCounter();
        const TrashFigures figures = used->Count(files, kernel, *opening.held);
        ReturnCounter(std::move(used));
        result.info.i64NumItems = figures.items;
        result.info.i64Size = figures.bytes;
        return result;
    }

    // What Wine shows of a Trash the program leaves alone.
    RecycleBinResult CountThroughShellInstead(const Text& refusal) {
        LogRefusalOnce(refusal);
        return CountThroughShell(shell, files);
    }

    RecycleBinResult Empty() {
        RecycleBinResult result;
        result.task = RecycleBinTask::Empty;
        const TrashLocation location = Location();
        if (!location.place) return Refused(location.refusal);
        const TrashOpening opening = OpenTrash(files, *location.place);
        if (!opening.held) return opening.missing ? result : Refused(opening.refusal);
        const TrashEmptying emptying = EmptyTrash(files, *opening.held);
        if (emptying.refused) return Refused(emptying.refusal);
        if (LogWhatStayed(u"items", emptying.removed, emptying.kept, emptying.infoKept)) {
            result.status = kFailed;
        }
        return result;
    }

    // The items `choose` picks among those the Trash holds now, removed one by one as an
    // emptying removes them. A Trash left alone loses nothing: no shell is asked instead.
    RecycleBinResult Remove(RecycleBinTask task, const RecycleBinItemChooser& choose) {
        RecycleBinResult result;
        result.task = task;
        const TrashLocation location = Location();
        if (!location.place) return Refused(task, location.refusal);
        const TrashOpening opening = OpenTrash(files, *location.place);
        if (!opening.held) return opening.missing ? result : Refused(task, opening.refusal);
        const std::vector<DatedTrashItem> listed = ListDatedTrashItems(kernel, *opening.held);
        std::vector<RecycleBinItem> items;
        items.reserve(listed.size());
        for (const DatedTrashItem& dated : listed) {
            items.push_back(RecycleBinItem{dated.item.file.name, dated.bytes, dated.deletedAt});
        }
        std::vector<bool> chosen(listed.size(), false);
        for (const std::size_t index : choose(items)) {
            if (index < chosen.size()) chosen[index] = true;
        }
        TrashItemRemover remover(files, *opening.held, listed.size());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            if (chosen[i]) remover.Remove(listed[i].item);
        }
        const TrashRemovalTally tally = remover.Finish();
        // An item whose .trashinfo stays is gone from the Trash as every file manager shows it.
        result.removed = tally.removed + tally.infoKept;
        if (LogWhatStayed(u"chosen items", result.removed, tally.kept, tally.infoKept)) {
            result.status = kFailed;
        }
        return result;
    }

    // Logs what of the Trash could not go, when anything could not; false when all went.
    bool LogWhatStayed(const Text& items, std::uint64_t removed, std::uint64_t kept,
                       std::uint64_t infoKept) {
        if (kept + infoKept == 0) return false;
        Log(Number(removed) + u" " + items + u" of the Trash removed, " + Number(kept) +
            u" could not go and stay, " + Number(infoKept) + u" went without their .trashinfo");
        return true;
    }

    RecycleBinResult Refused(const Text& refusal) {
        Log(u"the Trash is not emptied: " + refusal);
        RecycleBinResult result;
        result.task = RecycleBinTask::Empty;
        result.status = kAccessDenied;
        return result;
    }

    RecycleBinResult Refused(RecycleBinTask task, const Text& refusal) {
        Log(u"no item of the Trash is removed: " + refusal);
        RecycleBinResult result;
        result.task = task;
        result.status = kAccessDenied;
        return result;
    }
};

WineTrashRecycleBin::WineTrashRecycleBin(const Platform& platform)
    : shared_(std::make_shared<Shared>(platform.shell, platform.files, platform.kernel)) {}

WineTrashRecycleBin::~WineTrashRecycleBin() = default;

RecycleBinWork WineTrashRecycleBin::CountEveryBin() {
    return [shared = shared_] { return shared->Count(); };
}

RecycleBinWork WineTrashRecycleBin::EmptyEveryBin(Hwnd /*owner*/) {
    // The shell is not asked to empty anything: under Wine it would hide files (see above).
    return [shared = shared_] { return shared->Empty(); };
}

RecycleBinWork WineTrashRecycleBin::RemoveItems(RecycleBinTask task, RecycleBinItemChooser choose) {
    // Not through the shell: under Wine it would leave trashed folders behind (see above).
    return [shared = shared_, task, choose = std::move(choose)] {
        return shared->Remove(task, choose);
    };
}

}  // namespace dustvale
