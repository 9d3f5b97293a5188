#pragma once

// The Recycle Bin as the tray shows it: counted once a second and emptied on request, both on
// the worker's thread, so that a large bin or a slow drive never freezes the tray icon, its
// menu or the dialogs. One query at a time: a tick that finds one under way, or an emptying,
// starts none. A query that takes long spaces out the next ones, so that asking never takes
// more than a tenth of one core; after an emptying the next tick asks at once. A request that
// has not come back after 30 seconds is given up, with its worker: a fresh worker goes on
// counting, and the tray keeps the last figures until it does.

#include <cstdint>
#include <deque>
#include <memory>

#include "app/RecycleBinAccess.h"
#include "platform/Platform.h"
#include "platform/RecycleBinWorker.h"

namespace dustvale {

struct RecycleBinFigures {
    std::uint64_t bytes = 0;
    std::uint64_t items = 0;
};

class RecycleBinMonitor {
public:
    // What the monitor learns, on the user-interface thread.
    class Listener {
    public:
        // Figures of a query that began after every emptying asked for so far. A failed query
        // gives zero for both: an empty bin.
        virtual void OnFigures(const RecycleBinFigures& figures) = 0;
        // A removal of items by a rule ended, having taken `removed` items.
        virtual void OnRemoved(RecycleBinTask task, std::uint64_t removed) = 0;

    protected:
        ~Listener() = default;
    };

    // `window` gets `doneMessage` each time the worker ends a request; its handler calls
    // OnRequestsDone. The window is also the emptying's owner. `bin` outlives the monitor.
    RecycleBinMonitor(Platform& platform, RecycleBinAccess& bin, Hwnd window,
                      std::int32_t doneMessage, Listener& listener);

    // A tick of the once-a-second timer: gives up a request that hangs, and starts a query
    // when one is due.
    void OnTick();
    // Takes what the worker finished and tells the listener.
    void OnRequestsDone();
    // Empties the Recycle Bins of all drives: no question, no progress window, no sound. Asked
    // again while an emptying runs, it does nothing more.
    void Empty();
    // Removes the items `choose` picks when the worker gets to it (see RecycleBinAccess), unless
    // the bin is being changed already: false then, and nothing is asked for.
    bool Remove(RecycleBinTask task, RecycleBinItemChooser choose);

    bool QueryUnderWay() const { return queryUnderWay_; }
    bool EmptyingUnderWay() const;
    // An emptying or a removal asked for and not ended yet.
    bool ChangeUnderWay() const { return !changes_.empty(); }

private:
    // Gives the worker a request that changes the bin.
    void Change(RecycleBinTask task, RecycleBinWork work);
    void StartWorker();
    // The worker and what it was doing are dropped; a fresh one counts again after a pause
    // that grows while requests keep hanging, so that a shell that never answers does not
    // cost a thread every half a minute.
    void GiveUpWorker(std::uint64_t now);

    Shell& shell_;
    Kernel& kernel_;
    RecycleBinAccess& bin_;
    Hwnd window_;
    std::int32_t doneMessage_;
    Listener& listener_;
    std::unique_ptr<RecycleBinWorker> worker_;

    bool queryUnderWay_ = false;
    bool queryOutdated_ = false;  // the query under way began before the emptying asked since
    std::uint64_t queryStartedAt_ = 0;
    std::uint64_t nextQueryAt_ = 0;  // tick count before which no query starts
    struct ChangeInFlight {
        RecycleBinTask task;
        std::uint64_t askedAt;
    };
    std::deque<ChangeInFlight> changes_;  // in the order the worker runs them
    std::uint64_t pauseAfterHang_ = 0;  // grows with each hang in a row
};

}  // namespace dustvale
