#pragma once

// A handle of the simulated file system on one entry (see SimFileSystem for the rules).

#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/sim/SimFileSystem.h"

namespace dustvale::sim {

class SimEntryHandle final : public EntryHandle {
public:
    // Holds `node` with `rights`; the file system outlives its handles.
    SimEntryHandle(SimFileSystem& files, std::shared_ptr<SimFileSystem::Node> node,
                   std::uint32_t rights);
    ~SimEntryHandle() override;
    SimEntryHandle(const SimEntryHandle&) = delete;
    SimEntryHandle& operator=(const SimEntryHandle&) = delete;

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
    friend class SimFileSystem;  // sets what Wine records when it opens the entry

    bool Has(std::uint32_t right) const { return (rights_ & right) == right; }
    bool Deletable() const;
    Text About() const;  // the path a call on this handle concerns
    bool Listable() const;
    // The folder's entries as they are now, "." and ".." first except in a drive's root.
    std::vector<DirectoryEntry> Snapshot() const;

    SimFileSystem& files_;
    std::shared_ptr<SimFileSystem::Node> node_;
    std::uint32_t rights_;
    std::vector<DirectoryEntry> listing_;
    std::size_t next_ = 0;
    std::size_t readAt_ = 0;  // the file's next byte to read
    bool listed_ = false;  // the listing has been read since the start or a restart
    // As Wine's handles: the path taken when the entry was opened, and a deletion to be done
    // when the handle closes.
    std::optional<Text> wineFinalPath_;
    bool deleteOnClose_ = false;
};

}  // namespace dustvale::sim
