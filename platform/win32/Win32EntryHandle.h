#pragma once

// kernel32's and ntdll's calls on one open entry (see EntryHandle).

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/Win32NtFileApi.h"
#include "platform/win32/UniqueHandle.h"

namespace dustvale::win32 {

// What the handles of one file system share: the native calls, and whether the system has
// turned down deletion with POSIX semantics (older Windows, Wine, volumes without it), after
// which every deletion uses the older call. Handles of several threads share it.
struct EntryHandleContext {
    NtFileApi nt;
    std::atomic<bool> posixDeletionRefused = false;
    // How the system names an open entry's object: Wine by its DOS path ("\??\C:\..."),
    // which is then the final path in one call at any length Wine can name, and which its
    // GetFinalPathNameByHandleW fails to hold past MAX_PATH; Windows in its device
    // namespace. Told by the first entry named.
    enum class ObjectNames { Unknown, DosPaths, DevicePaths } objectNames = ObjectNames::Unknown;
};

class Win32EntryHandle final : public EntryHandle {
public:
    Win32EntryHandle(unique_handle handle, std::shared_ptr<EntryHandleContext> context);

    std::optional<EntryInfo> Info() override;
    std::optional<EntryTimes> Times() override;
    std::optional<Text> FinalPath() override;
    bool ReadDirectory(DirectoryEntry& entry) override;
    std::optional<std::string> Read(std::size_t limit) override;
    void RestartDirectory() override;
    std::unique_ptr<EntryHandle> OpenChild(const Text& name, std::uint32_t rights) override;
    std::unique_ptr<EntryHandle> OpenBelow(const Text& path, std::uint32_t rights) override;
    std::unique_ptr<FolderWatch> Watch() override;
    bool SetAttributes(std::uint32_t attributes) override;
    bool Delete() override;
    bool MoveInto(EntryHandle& folder, const Text& name) override;

private:
    bool Fetch();  // the next batch of the listing into buffer_

    unique_handle handle_;
    std::shared_ptr<EntryHandleContext> context_;
    // The listing's current batch, 8-byte aligned as its records need; filled on first use.
    std::vector<std::uint64_t> buffer_;
    std::size_t next_ = 0;       // byte offset of the next record in the batch
    bool batchLeft_ = false;     // records remain in the batch
    bool restart_ = false;       // the next fetch starts from the first entry
    bool ended_ = false;         // the listing is at its end
};

// The handle opened for `rights` (the program's rights, Windows' numbers) with what every
// handle may do besides: read attributes, wait.
ACCESS_MASK AccessFor(std::uint32_t rights);

}  // namespace dustvale::win32
