#include "app/RecycleBinMonitor.h"

#include <optional>

namespace dustvale {

namespace {

// The Recycle Bin the monitor looks at; emptying covers every drive.
const Text kMonitoredRoot = u"C:\\";
constexpr std::uint32_t kEmptyFlags =
    sherb::kNoConfirmation | sherb::kNoProgressUi | sherb::kNoSound;
// After a query that took d, the next one waits 9 d: asking then takes at most a tenth of the
// time. A small bin answers in milliseconds, so every tick still asks.
constexpr std::uint64_t kPauseAfterQuery = 9;

}  // namespace

RecycleBinMonitor::RecycleBinMonitor(Platform& platform, Hwnd window, std::int32_t doneMessage,
                                     Listener& listener)
    : kernel_(platform.kernel),
      window_(window),
      listener_(listener),
      worker_(platform.shell.StartRecycleBinWorker(window, doneMessage)) {}

void RecycleBinMonitor::OnTick() {
    // While the bin is being emptied a query would wait behind the emptying and tell nothing
    // new; the next tick after it asks.
    if (queryUnderWay_ || emptyingUnderWay_) return;
    const std::uint64_t now = kernel_.TickCount();
    if (now < nextQueryAt_) return;
    queryUnderWay_ = true;
    queryOutdated_ = false;
    queryStartedAt_ = now;
    worker_->Query(kMonitoredRoot);
}

void RecycleBinMonitor::OnRequestsDone() {
    for (const RecycleBinResult& result : worker_->TakeResults()) {
        const std::uint64_t now = kernel_.TickCount();
        if (result.task == RecycleBinTask::Empty) {
            // The bin has changed: the next tick asks, however long the last query took. Its
            // status is not looked at; a bin that still holds items shows them then.
            emptyingUnderWay_ = false;
            nextQueryAt_ = now;
            continue;
        }
        queryUnderWay_ = false;
        // Figures from before an emptying would show items that are gone and could ask for
        // another emptying: the next query tells.
        if (queryOutdated_) continue;
        nextQueryAt_ = now + kPauseAfterQuery * (now - queryStartedAt_);
        RecycleBinFigures figures;
        if (result.status >= 0) {  // a failed query leaves the record at zero: an empty bin
            figures.bytes = result.info.i64Size;
            figures.items = result.info.i64NumItems;
        }
        listener_.OnFigures(figures);
    }
}

void RecycleBinMonitor::Empty() {
    if (emptyingUnderWay_) return;
    emptyingUnderWay_ = true;
    queryOutdated_ = queryUnderWay_;
    worker_->Empty(window_, std::nullopt, kEmptyFlags);
}

}  // namespace dustvale
