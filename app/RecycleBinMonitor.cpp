#include "app/RecycleBinMonitor.h"

#include <algorithm>

namespace dustvale {

namespace {

// After a query that took d, the next one waits 9 d: asking then takes at most a tenth of the
// time. A small bin answers in milliseconds, so every tick still asks.
constexpr std::uint64_t kPauseAfterQuery = 9;
// A request not back after this long is taken to hang in the shell.
constexpr std::uint64_t kGiveUpAfterMs = 30'000;
// After a hang, the fresh worker's first query waits this long, twice as long after each
// further hang in a row, at most an hour.
constexpr std::uint64_t kFirstPauseAfterHangMs = 30'000;
constexpr std::uint64_t kLongestPauseAfterHangMs = 3'600'000;

}  // namespace

RecycleBinMonitor::RecycleBinMonitor(Platform& platform, RecycleBinAccess& bin, Hwnd window,
                                     std::int32_t doneMessage, Listener& listener)
    : shell_(platform.shell),
      kernel_(platform.kernel),
      bin_(bin),
      window_(window),
      doneMessage_(doneMessage),
      listener_(listener) {
    StartWorker();
}

void RecycleBinMonitor::StartWorker() {
    worker_ = shell_.StartRecycleBinWorker(window_, doneMessage_);
}

void RecycleBinMonitor::GiveUpWorker(std::uint64_t now) {
    worker_.reset();
    queryUnderWay_ = false;
    emptyingUnderWay_ = false;
    pauseAfterHang_ = pauseAfterHang_ == 0
                          ? kFirstPauseAfterHangMs
                          : std::min(2 * pauseAfterHang_, kLongestPauseAfterHangMs);
    nextQueryAt_ = now + pauseAfterHang_;
    StartWorker();
}

void RecycleBinMonitor::OnTick() {
    const std::uint64_t now = kernel_.TickCount();
    const bool queryHangs = queryUnderWay_ && now - queryStartedAt_ >= kGiveUpAfterMs;
    const bool emptyingHangs = emptyingUnderWay_ && now - emptyingStartedAt_ >= kGiveUpAfterMs;
    if (queryHangs || emptyingHangs) GiveUpWorker(now);
    // While the bin is being emptied a query would wait behind the emptying and tell nothing
    // new; the next tick after it asks.
    if (queryUnderWay_ || emptyingUnderWay_) return;
    if (now < nextQueryAt_) return;
    queryUnderWay_ = true;
    queryOutdated_ = false;
    queryStartedAt_ = now;
    worker_->Run(RecycleBinTask::Query, bin_.CountEveryBin());
}

void RecycleBinMonitor::OnRequestsDone() {
    for (const RecycleBinResult& result : worker_->TakeResults()) {
        const std::uint64_t now = kernel_.TickCount();
        pauseAfterHang_ = 0;  // the shell answers again
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
    emptyingStartedAt_ = kernel_.TickCount();
    queryOutdated_ = queryUnderWay_;
    worker_->Run(RecycleBinTask::Empty, bin_.EmptyEveryBin(window_));
}

}  // namespace dustvale
