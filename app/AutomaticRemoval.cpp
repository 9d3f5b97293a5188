#include "app/AutomaticRemoval.h"

#include <string>

#include "app/RemovalRules.h"
#include "common/ApplicationTitle.h"

namespace dustvale {

namespace {

constexpr std::uint64_t kHourMs = 3'600'000;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

Text Digits(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

Text Items(std::uint64_t count) { return Digits(count) + (count == 1 ? u" item" : u" items"); }

}  // namespace

AutomaticRemoval::AutomaticRemoval(Kernel& kernel, RecycleBinMonitor& monitor,
                                   const RemovalSettingsInUse& settings)
    : kernel_(kernel), monitor_(monitor), settings_(settings), seen_(settings.Value()) {}

void AutomaticRemoval::FollowChanges() {
    const RemovalSettings& now = settings_.Value();
    // The user who has just set a rule expects it to act at once, not within the hour.
    if (now.emptyOldItems != seen_.emptyOldItems || now.oldItemDays != seen_.oldItemDays) {
        nextRunByAge_ = 0;
    }
    if (now.keepBinUnderSize != seen_.keepBinUnderSize ||
        now.binSizeLimitMb != seen_.binSizeLimitMb) {
        sizePacing_.Reset();
    }
    seen_ = now;
}

void AutomaticRemoval::OnFigures(const RecycleBinFigures& figures) {
    const std::uint64_t now = kernel_.TickCount();
    sizePacing_.Counted(figures.bytes, now);
    if (settings_.Held() || monitor_.ChangeUnderWay()) return;
    FollowChanges();
    if (RemoveOld(now)) return;
    RemoveOverSize(figures, now);
}

bool AutomaticRemoval::RemoveOld(std::uint64_t now) {
    if (!settings_.Value().emptyOldItems || now < nextRunByAge_) return false;
    // The age is judged on the worker, against the time of day when it lists the items.
    Kernel& kernel = kernel_;
    const std::uint32_t days = settings_.Value().oldItemDays;
    if (!monitor_.Remove(RecycleBinTask::RemoveOld,
                         [&kernel, days](const std::vector<RecycleBinItem>& items) {
                             return ItemsOlderThan(items, kernel.SystemTime(), days);
                         })) {
        return false;
    }
    nextRunByAge_ = now + kHourMs;
    return true;
}

bool AutomaticRemoval::RemoveOverSize(const RecycleBinFigures& figures, std::uint64_t now) {
    if (!settings_.Value().keepBinUnderSize) return false;
    const std::uint64_t limit = settings_.Value().binSizeLimitMb * kMegabyte;
    if (figures.bytes <= limit || !sizePacing_.MayEmpty(now)) return false;
    if (!monitor_.Remove(RecycleBinTask::RemoveOverSize,
                         [limit](const std::vector<RecycleBinItem>& items) {
                             return ItemsOverSize(items, limit);
                         })) {
        return false;
    }
    // The next count tells whether the bin went under its limit; if not, later tries wait.
    sizePacing_.Emptying(figures.bytes, now);
    return true;
}

std::optional<Text> AutomaticRemoval::Report(RecycleBinTask task, std::uint64_t removed) const {
    const RemovalSettings& settings = settings_.Value();
    if (!settings.tellAutomaticRemovals || removed == 0) return std::nullopt;
    if (task == RecycleBinTask::RemoveOld) {
        return kApplicationTitle + u" removed " + Items(removed) + u" deleted more than " +
               Digits(settings.oldItemDays) + u" days ago";
    }
    if (task == RecycleBinTask::RemoveOverSize) {
        return kApplicationTitle + u" removed " + Items(removed) +
               u" to keep the Recycle Bin under " + Digits(settings.binSizeLimitMb) + u" MB";
    }
    return std::nullopt;
}

}  // namespace dustvale
