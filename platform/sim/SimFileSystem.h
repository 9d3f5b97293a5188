#pragma once

// Simulated file system with Windows rules: drive letters, case-insensitive names that keep
// the case they were created with, attributes, 8.3 short names (usable in paths), wildcard
// listing (* and ? in the last component, "*.*" matching every name), the "." and ".."
// entries of every folder but a drive's root, files in use that refuse deletion, folders
// that refuse listing, and junctions / symbolic links (reparse points) that lead elsewhere.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace dustvale::sim {

class SimFileSystem final : public FileSystem {
public:
    SimFileSystem();  // drive C: exists and is empty

    // FileSystem
    std::unique_ptr<FileSearch> FindFirstFile(const Text& pattern, FindData& first) override;
    std::optional<std::uint32_t> GetFileAttributes(const Text& path) override;
    bool SetFileAttributes(const Text& path, std::uint32_t attributes) override;
    bool PathFileExists(const Text& path) override;
    bool DeleteFile(const Text& path) override;
    bool RemoveDirectory(const Text& path) override;
    std::unique_ptr<OpenFile> Open(const Text& path, FileMode mode) override;

    // --- for tests: setting the scene (parents are created as needed) -----------------------
    void AddDrive(char16_t letter);
    void AddFolder(const Text& path, std::uint32_t attributes = attr::kDirectory);
    void AddFile(const Text& path, std::string bytes = {}, std::uint32_t attributes = attr::kArchive);
    // Gives an entry an 8.3 alias, which then also names it in paths.
    void SetShortName(const Text& path, const Text& shortName);
    // A folder link (junction or directory symbolic link) at `path` leading to `target`.
    void AddFolderLink(const Text& path, const Text& target);
    void SetInUse(const Text& path, bool inUse);         // DeleteFile / Open fail while in use
    void SetDenyListing(const Text& folder, bool deny);  // FindFirstFile in it fails
    void SetReadOnlyFolder(const Text& folder, bool readOnly);  // nothing can be created in it

    // --- for tests: looking at the result --------------------------------------------------
    bool Exists(const Text& path) const;
    std::optional<std::string> Contents(const Text& path) const;
    std::optional<std::uint32_t> Attributes(const Text& path) const;
    // Every path under `folder` (files and folders, not following links), sorted.
    std::vector<Text> Tree(const Text& folder) const;
    // Every deletion (DeleteFile or RemoveDirectory that succeeded), in order.
    const std::vector<Text>& Deletions() const;
    std::uint32_t OpenSearches() const;  // searches not yet closed (leak check)
    std::uint32_t OpenFiles() const;     // files not yet closed (leak check)

private:
    // (state)
};

}  // namespace dustvale::sim
