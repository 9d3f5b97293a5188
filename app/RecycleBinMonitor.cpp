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

bool RecycleBinMonitor::EmptyingUnderWay() const {
    return std::any_of(changes_.begin(), changes_.end(), [](const ChangeInFlight& change) {
        return change.task == RecycleBinTask::Empty;
    });
}

void RecycleBinMonitor::GiveUpWorker(std::uint64_t now) {
    worker_.reset();
    queryUnderWay_ = false;
    changes_.clear();
    pauseAfterHang_ = pauseAfterHang_ == 0
                          ? kFirstPauseAfterHangMs
                          : std::min(2 * pauseAfterHang_, kLongestPauseAfterHangMs);
    nextQueryAt_ = now + pauseAfterHang_;
    StartWorker();
}

void RecycleBinMonitor::OnTick() {
    const std::uint64_t now = kernel_.TickCount();
    // A request waiting behind another is not hanging: only the one the worker runs is timed,
    // from when the one before it ended.
    const bool queryHangs = queryUnderWay_ && now - queryStartedAt_ >= kGiveUpAfterMs;
    const bool changeHangs = !changes_.empty() && now - changes_.front().askedAt >= kGiveUpAfterMs;
    if (queryHangs || changeHangs) GiveUpWorker(now);
    // While the bin is being changed a query would wait behind the change and tell nothing
    // new; the next tick after it asks.
    if (queryUnderWay_ || !changes_.empty()) return;
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
        if (result.task != RecycleBinTask::Query) {
            // The bin has changed: the next tick asks, however long the last query took. An
            // emptying's status is not looked at; a bin that still holds items shows them then.
            if (!changes_.empty()) changes_.pop_front();
            if (!changes_.empty()) changes_.front().askedAt = now;
            nextQueryAt_ = now;
            if (result.task != RecycleBinTask::Empty) listener_.OnRemoved(result.task, result.removed);
            continue;
        }
        queryUnderWay_ = false;
        if (!changes_.empty()) changes_.front().askedAt = now;
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
    if (EmptyingUnderWay()) return;
    Change(RecycleBinTask::Empty, bin_.EmptyEveryBin(window_));
}

bool RecycleBinMonitor::Remove(RecycleBinTask task, RecycleBinItemChooser choose) {
    if (!changes_.empty()) return false;
    Change(task, bin_.RemoveItems(task, std::move(choose)));
    return true;
}

void RecycleBinMonitor::Change(RecycleBinTask task, RecycleBinWork work) {
    // Timed from now, and again from the end of whatever the worker runs before it.
    changes_.push_back(ChangeInFlight{task, kernel_.TickCount()});
    queryOutdated_ = queryUnderWay_;
    worker_->Run(task, std::move(work));
}

}  // namespace dustvale
