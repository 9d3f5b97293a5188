#pragma once

// How the Recycle Bin is counted and emptied: the work the monitor gives its worker thread.

#include <memory>

#include "platform/Platform.h"
#include "platform/RecycleBinWorker.h"

namespace dustvale {

class RecycleBinAccess {
public:
    virtual ~RecycleBinAccess() = default;

    // Work that counts the items and bytes of every drive's bin together: what an emptying
    // removes, and so what the tray shows and the auto-empty threshold counts.
    virtual RecycleBinWork CountEveryBin() = 0;
    // Work that empties every drive's bin: no question, no progress window, no sound.
    virtual RecycleBinWork EmptyEveryBin(Hwnd owner) = 0;
    // Work that removes for good, one by one, the items `choose` picks among those the bins
    // hold when it runs; its result tells how many went.
    virtual RecycleBinWork RemoveItems(RecycleBinTask task, RecycleBinItemChooser choose) = 0;
};

// The bins as Windows keeps them, through the shell.
class ShellRecycleBin final : public RecycleBinAccess {
public:
    explicit ShellRecycleBin(const Platform& platform)
        : ShellRecycleBin(platform.shell, platform.files) {}
    ShellRecycleBin(Shell& shell, FileSystem& files) : shell_(shell), files_(files) {}

    RecycleBinWork CountEveryBin() override;
    RecycleBinWork EmptyEveryBin(Hwnd owner) override;
    RecycleBinWork RemoveItems(RecycleBinTask task, RecycleBinItemChooser choose) override;

private:
    Shell& shell_;
    FileSystem& files_;
};

// The access the program uses on `platform`: under Wine the Trash counted and emptied by the
// program itself (WineTrashRecycleBin), on Windows the shell.
std::unique_ptr<RecycleBinAccess> RecycleBinAccessFor(const Platform& platform);

// The shell's count of every bin: an empty root answers for all drives together; where the
// system refuses that, the bins of the fixed drives added up.
RecycleBinResult CountThroughShell(Shell& shell, FileSystem& files);

}  // namespace dustvale
