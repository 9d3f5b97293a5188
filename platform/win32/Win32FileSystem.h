#pragma once

// kernel32's file system for the program: directory searches, attributes, deletion and
// sequential files, all through the wide functions, and entries held open through handles.

#include <memory>

#include "platform/FileSystem.h"
#include "platform/win32/Win32EntryHandle.h"

namespace dustvale::win32 {

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<FileSearch> FindFirstFile(const Text& pattern, FindData& first) override;
    std::optional<std::uint32_t> GetFileAttributes(const Text& path) override;
    bool SetFileAttributes(const Text& path, std::uint32_t attributes) override;
    bool PathFileExists(const Text& path) override;
    bool DeleteFile(const Text& path) override;
    bool RemoveDirectory(const Text& path) override;
    std::unique_ptr<EntryHandle> OpenEntry(const Text& path, std::uint32_t rights,
                                           LinkAtEnd link) override;
    std::unique_ptr<OpenFile> Open(const Text& path, FileMode mode) override;
    std::vector<Text> FixedDriveRoots() override;

private:
    std::shared_ptr<EntryHandleContext> handles_ = std::make_shared<EntryHandleContext>();
};

}  // namespace dustvale::win32
