#include "clean/TrashCount.h"

#include <utility>
#include <vector>

#include "clean/EntryCheck.h"
#include "clean/TrashListing.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

// Walking the trashed folders stops after this long, well within the time a query is given;
// the folders not walked by then count what was found so far, and the next count tries again.
constexpr std::uint64_t kWalkBudgetMs = 10'000;
// How deep a trashed folder is walked: as deep as it is emptied.
constexpr std::size_t kLevels = 128;

bool IsPlainFolder(const DirectoryEntry& listed) {
    return (listed.attributes & attr::kDirectory) != 0 &&
           (listed.attributes & attr::kReparsePoint) == 0;
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
        if (!IsPlainFolder(listed) || open.size() > kLevels) continue;
        CheckedEntry inner = OpenListed(folder, listed, rights::kListDirectory);
        if (inner.kind == EntryKind::Folder) {
            open.push_back(HeldFolder{std::move(inner.handle), std::move(inner.finalPath)});
        }
    }
    return true;
}

}  // namespace

std::optional<TrashCounter::Look> TrashCounter::LookAt(const HeldTrash& trash) {
    const std::optional<EntryInfo> files = trash.files.handle->Info();
    const std::optional<EntryTimes> filesTimes = trash.files.handle->Times();
    const std::optional<EntryInfo> info = trash.info.handle->Info();
    const std::optional<EntryTimes> infoTimes = trash.info.handle->Times();
    if (!files || !filesTimes || !info || !infoTimes) return std::nullopt;
    return Look{files->fileId, *filesTimes, info->fileId, *infoTimes};
}

TrashFigures TrashCounter::Count(Kernel& kernel, const HeldTrash& trash) {
    const std::optional<Look> look = LookAt(trash);
    if (look && settled_ && look == last_) return figures_;
    bool complete = true;
    figures_ = Recount(kernel, trash, complete);
    settled_ = complete && look && look == last_;
    last_ = look;
    return figures_;
}

TrashFilesRead ReadTrashFiles(Kernel& kernel, const HeldTrash& trash,
                              const TrashedFolderBytes& known) {
    const std::uint64_t deadline = kernel.TickCount() + kWalkBudgetMs;
    TrashFilesRead read;
    ForEachListed(*trash.files.handle, [&](const DirectoryEntry& listed) {
        if (!IsPlainFolder(listed)) {
            // A file, or a link to a folder (whose target is not the Trash's): the link alone.
            read.index.Add(listed, (listed.attributes & attr::kDirectory) != 0 ? 0 : listed.size);
            return;
        }
        const auto found = known.find(listed.fileId);
        if (found != known.end()) {
            read.folderBytes.insert(*found);
            read.index.Add(listed, found->second);
            return;
        }
        std::uint64_t bytes = 0;
        CheckedEntry folder = OpenListed(trash.files, listed, rights::kListDirectory);
        if (folder.kind == EntryKind::Folder) {
            HeldFolder held{std::move(folder.handle), std::move(folder.finalPath)};
            if (AddFolderBytes(std::move(held), kernel, deadline, bytes)) {
                read.folderBytes.emplace(listed.fileId, bytes);
            } else {
                read.complete = false;
            }
        }
        read.index.Add(listed, bytes);
    });
    read.index.Seal();
    return read;
}

TrashFigures TrashCounter::Recount(Kernel& kernel, const HeldTrash& trash, bool& complete) {
    ++recounts_;
    TrashFilesRead read = ReadTrashFiles(kernel, trash, folderBytes_);
    complete = read.complete;
    folderBytes_ = std::move(read.folderBytes);

    TrashFigures figures;
    ForEachListed(*trash.info.handle, [&](const DirectoryEntry& info) {
        const std::optional<std::u16string_view> described = DescribedFile(info.name);
        if (!described || (info.attributes & attr::kDirectory) != 0) return;
        const TrashFileIndex::Entry* file = read.index.Find(*described);
        if (file == nullptr) return;
        ++figures.items;
        figures.bytes += file->bytes;
    });
    return figures;
}

}  // namespace dustvale
