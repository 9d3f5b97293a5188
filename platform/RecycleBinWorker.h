#pragma once

// The Recycle Bin's query and emptying, run on a thread of their own. The shell takes seconds
// over a large bin or a slow drive, and may never come back from an unreachable network drive
// or a broken shell extension; meanwhile the tray icon, its menu and the dialogs must keep
// answering, so nothing of it runs on the user-interface thread.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Shell.h"

namespace dustvale {

enum class RecycleBinTask {
    Query,
    Empty,
    RemoveOld,       // the items deleted longer ago than some days
    RemoveOverSize,  // the oldest items, while the bin holds more than some megabytes
};

// What the worker did for one request.
struct RecycleBinResult {
    RecycleBinTask task = RecycleBinTask::Query;
    std::int32_t status = 0;    // an HRESULT
    RecycleBinInfo info;        // a query's figures; all zero when it failed
    std::uint64_t removed = 0;  // the items a removal took
};

// A request's work, run on the worker's thread. It may go on after the worker is given up (a
// call into the shell cannot be stopped): it must own, or share, whatever it uses besides the
// platform's services.
using RecycleBinWork = std::function<RecycleBinResult()>;

class RecycleBinWorker {
public:
    // Destruction gives the worker up at once: no further request runs, and what the request
    // under way finishes later is dropped. Its thread ends when that request returns, if ever.
    virtual ~RecycleBinWorker() = default;

    // Runs `work` after the requests given before it, one at a time. Each one's end is told by
    // posting `doneMessage` (chosen when the worker started) to the window the worker reports
    // to; the results, each marked with its `task`, are then taken with TakeResults on the
    // user-interface thread.
    virtual void Run(RecycleBinTask task, RecycleBinWork work) = 0;

    // The results of the requests that ended since the last call, oldest first.
    virtual std::vector<RecycleBinResult> TakeResults() = 0;
};

}  // namespace dustvale
