#pragma once

// The Recycle Bin's query and emptying, run on a thread of their own. The shell takes seconds
// over a large bin or a slow drive; meanwhile the tray icon, its menu and the dialogs must keep
// answering, so nothing of it runs on the user-interface thread.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Shell.h"
#include "platform/Types.h"

namespace dustvale {

enum class RecycleBinTask { Query, Empty };

// What the worker did for one request.
struct RecycleBinResult {
    RecycleBinTask task = RecycleBinTask::Query;
    std::int32_t status = 0;  // the shell's HRESULT
    RecycleBinInfo info;      // a query's figures; all zero when it failed
};

class RecycleBinWorker {
public:
    // Destruction does not wait for the request under way beyond a moment: the shell may be in
    // the middle of a long emptying, and the program must end at once. What finishes later is
    // dropped.
    virtual ~RecycleBinWorker() = default;

    // Requests run one at a time, in the order given. Each one's end is told by posting
    // `doneMessage` (chosen when the worker started) to the window the worker reports to; the
    // results are then taken with TakeResults on the user-interface thread.

    // SHQueryRecycleBinW for the bin of `root`, with the 32-bit record's size.
    virtual void Query(const Text& root) = 0;
    // SHEmptyRecycleBinW; no root means the Recycle Bins of all drives.
    virtual void Empty(Hwnd owner, const std::optional<Text>& root, std::uint32_t flags) = 0;

    // The results of the requests that ended since the last call, oldest first.
    virtual std::vector<RecycleBinResult> TakeResults() = 0;
};

}  // namespace dustvale
