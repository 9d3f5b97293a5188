#pragma once

// The Temp Files command's worker: empties the temporary folders that the user's temporary
// path points to (every file and sub-folder inside goes, the folders themselves stay), then
// deletes the loose files of the user's own temporary folder.
//
// A clean runs on the user-interface thread and lets pending messages run at fixed points,
// so the tray, the polling timer and menu commands stay alive meanwhile (see CleanYield.h).
// Exit comes through those points too: once the program is ending, the clean stops at the
// next one. Everything one run needs lives in the run itself: the cleaner object may be
// destroyed while a clean yields without pulling anything from under the running clean.

#include <memory>
#include <optional>

#include "clean/RefusedTempPaths.h"
#include "platform/Platform.h"

namespace dustvale {

// What one clean did.
struct TempCleanResult {
    // At least one folder was chosen and the emptying ran.
    bool emptied = false;
    // Set when the temporary path was refused: then nothing at all was deleted.
    std::optional<TempPathRefusal> refused;
    // The temporary path as the clean read it (trimmed, without its final "\").
    Text tempPath;
    // The program began to end: the clean stopped where it was, or never started.
    bool stopped = false;
};

class TempFolderCleaner {
public:
    // Keeps a copy of the bundle; the services it refers to outlive every window.
    explicit TempFolderCleaner(Platform& platform);
    ~TempFolderCleaner();
    TempFolderCleaner(const TempFolderCleaner&) = delete;
    TempFolderCleaner& operator=(const TempFolderCleaner&) = delete;

    // Runs one clean and tells what it did. Nothing is done when a clean of this cleaner is
    // already running, i.e. when the call re-entered through one of the clean's yields.
    TempCleanResult CleanTempFolders();

    // True while a clean runs.
    bool Running() const;

    // The program is ending: a clean under way stops at its next yield, having deleted nothing
    // more, and no clean starts from now on. Safe to call from inside the clean's yields.
    void Stop();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace dustvale
