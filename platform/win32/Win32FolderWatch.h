#pragma once

// ReadDirectoryChangesW kept armed on a folder: one overlapped read always pending, whose
// records are taken without waiting (see FolderWatch). Between two reads the system keeps the
// changes for the handle. Any thread may take the changes, one at a time; a read ends with
// the thread that armed it (Windows and Wine cancel a thread's reads when it exits), which
// reads as changes lost.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class Win32FolderWatch final : public FolderWatch {
public:
    // Watches the folder held by `folder` through a handle of its own; nullptr when the folder
    // cannot be reopened or watched.
    static std::unique_ptr<FolderWatch> Start(HANDLE folder);
    // The pending read is cancelled and waited for: the system writes into the buffer until
    // it has ended.
    ~Win32FolderWatch() override;
    Win32FolderWatch(const Win32FolderWatch&) = delete;
    Win32FolderWatch& operator=(const Win32FolderWatch&) = delete;

    std::optional<std::vector<FolderChange>> TakeChanges() override;

private:
    // What the system writes into while a read is pending: kept together, so that a read
    // that never ends can be left with all it may still write to.
    struct PendingRead;

    Win32FolderWatch(unique_file folder, unique_handle event);
    bool Arm();
    // One finished read's records; nullopt when they were lost. False in `finished` while the
    // read is still pending.
    std::optional<std::vector<FolderChange>> TakeRead(bool& finished);
    std::vector<FolderChange> Parse(DWORD bytes) const;

    unique_file folder_;
    unique_handle event_;
    std::unique_ptr<PendingRead> read_;
    bool armed_ = false;
};

}  // namespace dustvale::win32
