#include "clean/TrashCount.h"

#include <algorithm>
#include <utility>

#include "clean/EntryCheck.h"
#include "clean/TrashListing.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

// How many items that came since the last reading of the folders are kept with their sizes,
// so that a file still being written when it was counted is measured again as it grows.
constexpr std::size_t kRecentArrivals = 1024;
// Walking the trashed folders stops after this long, well within the time a query is given;
// the folders not walked by then count what was found so far, and the next count tries again.
constexpr std::uint64_t kWalkBudgetMs = 10'000;
// How deep a trashed folder is walked: as deep as it is emptied.
constexpr std::size_t kLevels = 128;

bool IsPlainFolder(std::uint32_t attributes) {
    return (attributes & attr::kDirectory) != 0 && (attributes & attr::kReparsePoint) == 0;
}

// Adds to `bytes` what the files in `root` and its folders hold, links never followed, walked
// through handles depth first with one handle open per level. False when the walk ran out of
// time before its end.
bool AddFolderBytes(HeldFolder root, Kernel& kernel, std::uint64_t deadline, std::uint64_t& bytes) {
    std::vector<HeldFolder> open;
    open.push_back(std::move(root));
    DirectoryEntry listed;
    while (!open.empty()) {
        if (kernel.TickCount() >= deadline) return false;
        HeldFolder& folder = open.back();
        if (!folder.handle->ReadDirectory(listed)) {
            open.pop_back();
            continue;
        }
        listed.name = TrimAtNull(listed.name);
        if (listed.name == u"." || listed.name == u"..") continue;
        if ((listed.attributes & attr::kDirectory) == 0) {
            bytes += listed.size;
            continue;
        }
        if (!IsPlainFolder(listed.attributes) || open.size() > kLevels) continue;
        CheckedEntry inner = OpenListed(folder, listed, rights::kListDirectory);
        if (inner.kind == EntryKind::Folder) {
            open.push_back(HeldFolder{std::move(inner.handle), std::move(inner.finalPath)});
        }
    }
    return true;
}

// What the entry `listed` of files/ adds to the Trash's size, a folder walked unless its size
// is known. False when a folder's walk ran out of time.
bool EntryBytes(const HeldFolder& files, const DirectoryEntry& listed, Kernel& kernel,
                std::uint64_t deadline, std::uint64_t& bytes) {
    if (!IsPlainFolder(listed.attributes)) {
        // A file, or a link to a folder (whose target is not the Trash's): the link alone.
        bytes = (listed.attributes & attr::kDirectory) != 0 ? 0 : listed.size;
        return true;
    }
    bytes = 0;
    CheckedEntry folder = OpenListed(files, listed, rights::kListDirectory);
    if (folder.kind != EntryKind::Folder) return true;
    HeldFolder held{std::move(folder.handle), std::move(folder.finalPath)};
    return AddFolderBytes(std::move(held), kernel, deadline, bytes);
}

bool Holds(const std::vector<std::uint64_t>& sorted, std::uint64_t hash) {
    return std::binary_search(sorted.begin(), sorted.end(), hash);
}

}  // namespace

TrashFilesRead ReadTrashFiles(Kernel& kernel, const HeldTrash& trash,
                              const TrashedFolderBytes& known) {
    const std::uint64_t deadline = kernel.TickCount() + kWalkBudgetMs;
    TrashFilesRead read;
    ForEachListed(*trash.files.handle, [&](const DirectoryEntry& listed) {
        std::uint64_t bytes = 0;
        const auto found = known.find(listed.fileId);
        if (IsPlainFolder(listed.attributes) && found != known.end()) {
            bytes = found->second;
            read.folderBytes.insert(*found);
        } else if (EntryBytes(trash.files, listed, kernel, deadline, bytes)) {
            if (IsPlainFolder(listed.attributes)) read.folderBytes.emplace(listed.fileId, bytes);
        } else {
            read.complete = false;
        }
        read.index.Add(listed, bytes);
    });
    read.index.Seal();
    return read;
}

std::optional<TrashCounter::Look> TrashCounter::LookAt(const HeldTrash& trash) {
    const std::optional<EntryInfo> files = trash.files.handle->Info();
    const std::optional<EntryTimes> filesTimes = trash.files.handle->Times();
    const std::optional<EntryInfo> info = trash.info.handle->Info();
    const std::optional<EntryTimes> infoTimes = trash.info.handle->Times();
    if (!files || !filesTimes || !info || !infoTimes) return std::nullopt;
    return Look{files->fileId, *filesTimes, info->fileId, *infoTimes};
}

TrashFigures TrashCounter::Count(FileSystem& files, Kernel& kernel, const HeldTrash& trash) {
    const std::optional<Look> look = LookAt(trash);
    if (watches_ && look && watches_->filesId == look->filesId &&
        watches_->infoId == look->infoId) {
        std::optional<Changes> changes = TakeChanges();
        if (changes && AddArrivals(files, kernel, trash, std::move(*changes))) return figures_;
    } else if (!watches_ && look && settled_ && look == last_) {
        return figures_;
    }
    bool complete = true;
    figures_ = Recount(kernel, trash, complete);
    settled_ = complete && look && look == last_;
    last_ = look;
    if (!complete) watches_.reset();  // the next count tries the folders not walked again
    return figures_;
}

std::optional<TrashCounter::Changes> TrashCounter::TakeChanges() {
    std::optional<std::vector<FolderChange>> inFiles = watches_->files->TakeChanges();
    std::optional<std::vector<FolderChange>> inInfo = watches_->info->TakeChanges();
    if (!inFiles || !inInfo) return std::nullopt;
    Changes changes;
    using Action = FolderChange::Action;
    const auto arrived = [](Action action) {
        return action == Action::Added || action == Action::RenamedTo;
    };
    for (FolderChange& change : *inFiles) {
        if (arrived(change.action)) {
            changes.arrivals.push_back(std::move(change.name));
            continue;
        }
        // What goes or changes and was not counted changes nothing (a file without its
        // .trashinfo yet, a file manager's scratch file).
        const std::uint64_t hash = TrashNameHash(change.name);
        if (!Holds(counted_, hash)) continue;
        // A file that came since the last reading and grows: measured again. Anything else
        // counted that goes or changes: what it added is not kept, only a recount tells.
        if (change.action != Action::Modified || !recentBytes_.contains(hash)) return std::nullopt;
        changes.resized.push_back(std::move(change.name));
    }
    for (const FolderChange& change : *inInfo) {
        const std::optional<std::u16string_view> described = DescribedFile(change.name);
        if (!described || change.action == Action::Modified) continue;  // what it says: no matter
        if (arrived(change.action)) {
            changes.arrivals.emplace_back(*described);
        } else if (Holds(counted_, TrashNameHash(*described))) {
            return std::nullopt;
        }
    }
    return changes;
}

std::optional<std::uint64_t> TrashCounter::MeasureArrival(FileSystem& files, Kernel& kernel,
                                                          const HeldTrash& trash,
                                                          const Text& name,
                                                          std::uint64_t deadline) {
    const std::unique_ptr<EntryHandle> file = trash.files.handle->OpenChild(name, 0);
    const std::optional<EntryInfo> info = file ? file->Info() : std::nullopt;
    if (!info) return std::nullopt;
    // Its size as the folder's listing gives it.
    FindData found;
    const std::unique_ptr<FileSearch> search =
        files.FindFirstFile(ChildPath(trash.files.finalPath, name), found);
    if (!search || found.name != name) return std::nullopt;
    std::uint64_t bytes = 0;
    const DirectoryEntry listed{name, found.attributes, info->fileId, found.size};
    if (!EntryBytes(trash.files, listed, kernel, deadline, bytes)) return std::nullopt;
    if (IsPlainFolder(listed.attributes)) folderBytes_[listed.fileId] = bytes;
    return bytes;
}

bool TrashCounter::AddArrivals(FileSystem& files, Kernel& kernel, const HeldTrash& trash,
                               Changes changes) {
    std::vector<Text>& arrivals = changes.arrivals;
    std::sort(arrivals.begin(), arrivals.end());
    arrivals.erase(std::unique(arrivals.begin(), arrivals.end()), arrivals.end());
    const std::uint64_t deadline = kernel.TickCount() + kWalkBudgetMs;
    for (const Text& name : arrivals) {
        const std::uint64_t hash = TrashNameHash(name);
        if (Holds(counted_, hash)) continue;
        // An item is whole once both its parts are there: the other may come later.
        const std::unique_ptr<EntryHandle> described =
            trash.info.handle->OpenChild(InfoNameOf(name), 0);
        const std::optional<EntryInfo> describedInfo =
            described ? described->Info() : std::nullopt;
        if (!describedInfo || (describedInfo->attributes & attr::kDirectory) != 0) continue;
        if (trash.files.handle->OpenChild(name, 0) == nullptr) continue;
        const std::optional<std::uint64_t> bytes = MeasureArrival(files, kernel, trash, name, deadline);
        if (!bytes) return false;
        ++figures_.items;
        figures_.bytes += *bytes;
        counted_.insert(std::upper_bound(counted_.begin(), counted_.end(), hash), hash);
        if (recentBytes_.size() < kRecentArrivals) recentBytes_[hash] = *bytes;
    }
    for (const Text& name : changes.resized) {
        const auto recent = recentBytes_.find(TrashNameHash(name));
        const std::optional<std::uint64_t> bytes = MeasureArrival(files, kernel, trash, name, deadline);
        if (recent == recentBytes_.end() || !bytes) return false;
        figures_.bytes = figures_.bytes - recent->second + *bytes;
        recent->second = *bytes;
    }
    return true;
}

TrashFigures TrashCounter::Recount(Kernel& kernel, const HeldTrash& trash, bool& complete) {
    ++recounts_;
    // Watched from before the folders are read: what comes meanwhile is seen either way.
    watches_.reset();
    std::unique_ptr<FolderWatch> filesWatch = trash.files.handle->Watch();
    std::unique_ptr<FolderWatch> infoWatch = trash.info.handle->Watch();
    const std::optional<EntryInfo> filesInfo = trash.files.handle->Info();
    const std::optional<EntryInfo> infoInfo = trash.info.handle->Info();
    if (filesWatch && infoWatch && filesInfo && infoInfo) {
        watches_ = Watches{std::move(filesWatch), std::move(infoWatch), filesInfo->fileId,
                           infoInfo->fileId};
    }

    TrashFilesRead read = ReadTrashFiles(kernel, trash, folderBytes_);
    complete = read.complete;
    folderBytes_ = std::move(read.folderBytes);
    const TrashFileIndex& index = read.index;

    TrashFigures figures;
    std::vector<std::uint64_t> counted;
    ForEachListed(*trash.info.handle, [&](const DirectoryEntry& info) {
        const std::optional<std::u16string_view> described = DescribedFile(info.name);
        if (!described || (info.attributes & attr::kDirectory) != 0) return;
        const TrashFileIndex::Entry* file = index.Find(*described);
        if (file == nullptr) return;
        ++figures.items;
        figures.bytes += file->bytes;
        if (watches_) counted.push_back(file->nameHash);
    });
    std::sort(counted.begin(), counted.end());
    counted.shrink_to_fit();
    counted_ = std::move(counted);
    recentBytes_.clear();
    return figures;
}

}  // namespace dustvale
