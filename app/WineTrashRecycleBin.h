#pragma once

// The Recycle Bin under Wine: the user's freedesktop Trash, counted and emptied by the program
// itself. Wine's own emptying leaves every trashed folder behind (so the tray never shows an
// empty bin while the Trash holds a folder, and auto-empty asks again and again), and with a
// files/ folder that lets nothing go it deletes the .trashinfo files and keeps the files,
// which then no file manager shows. Wine's count reads every .trashinfo at every call: 17 s
// for 100,000 items. Here the Trash is emptied item by item, each file before its .trashinfo,
// and counted from its two folders' listings, once for each change. The rules of automatic
// removal take items the same way, dated by the DeletionDate of their .trashinfo; an item
// whose date cannot be read is never removed by them.
//
// A Trash that cannot be used (a link, outside the home folder) is left alone: it is neither
// counted directly nor emptied, the shell's count still shows what it holds, and the reason
// goes to the debug output (OutputDebugStringW; under Wine, WINEDEBUG=warn+seh shows it).

#include <memory>

#include "app/RecycleBinAccess.h"
#include "platform/Platform.h"

namespace dustvale {

class WineTrashRecycleBin final : public RecycleBinAccess {
public:
    explicit WineTrashRecycleBin(const Platform& platform);
    ~WineTrashRecycleBin() override;

    RecycleBinWork CountEveryBin() override;
    RecycleBinWork EmptyEveryBin(Hwnd owner) override;
    RecycleBinWork RemoveItems(RecycleBinTask task, RecycleBinItemChooser choose) override;

    // What the requests share, with the worker's requests that outlive this object.
    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

}  // namespace dustvale
