#pragma once

// kernel32's file system for the program: directory searches, attributes, deletion and
// sequential files, all through the wide functions.

#include "platform/FileSystem.h"

namespace dustvale::win32 {

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<FileSearch> FindFirstFile(const Text& pattern, FindData& first) override;
    std::optional<std::uint32_t> GetFileAttributes(const Text& path) override;
    bool SetFileAttributes(const Text& path, std::uint32_t attributes) override;
    bool PathFileExists(const Text& path) override;
    bool DeleteFile(const Text& path) override;
    bool RemoveDirectory(const Text& path) override;
    std::optional<Text> FinalPath(const Text& path) override;
    std::unique_ptr<OpenFile> Open(const Text& path, FileMode mode) override;
};

}  // namespace dustvale::win32
