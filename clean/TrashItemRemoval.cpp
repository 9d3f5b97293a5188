#include "clean/TrashItemRemoval.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "clean/FolderOpening.h"
#include "clean/ForcedDelete.h"
#include "clean/TrashListing.h"

namespace dustvale {
namespace {

// Below this a batch costs more in readings of the folders than the items it removes.
constexpr std::size_t kSmallestBatch = 64;
// How many batches a whole Trash is removed in, at most, beyond the smallest batches.
constexpr std::size_t kBatchesForAWholeTrash = 16;

// Which of `names` the Trash's folder `name` holds now. It is read through a fresh handle, as
// Wine lists a handle's folder as it stood at the handle's first reading, and must be the very
// folder `held` is. An entry put there under one of the names meanwhile counts as well: the
// item's .trashinfo describes it now. Two names on one hash count as both there, which keeps
// an item rather than removing it. nullopt when the folder cannot be read again.
std::optional<std::vector<bool>> ListedNow(const HeldFolder& trash, const Text& name,
                                           const HeldFolder& held,
                                           const std::vector<std::uint64_t>& names) {
    const SubFolderOpening fresh = OpenSubFolder(trash, name, rights::kListDirectory);
    if (!fresh.folder) return std::nullopt;
    const std::optional<EntryInfo> now = fresh.folder->handle->Info();
    const std::optional<EntryInfo> before = held.handle->Info();
    if (!now || !before || now->fileId != before->fileId) return std::nullopt;

    std::vector<std::pair<std::uint64_t, std::size_t>> wanted;
    wanted.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) wanted.emplace_back(names[i], i);
    std::sort(wanted.begin(), wanted.end());
    std::vector<bool> listed(names.size(), false);
    ForEachListed(*fresh.folder->handle, [&](const DirectoryEntry& entry) {
        const std::uint64_t hash = TrashNameHash(entry.name);
        const std::pair<std::uint64_t, std::size_t> first{hash, 0};
        auto at = std::lower_bound(wanted.begin(), wanted.end(), first);
        for (; at != wanted.end() && at->first == hash; ++at) listed[at->second] = true;
    });
    return listed;
}

}  // namespace

TrashItemRemover::TrashItemRemover(FileSystem& files, const HeldTrash& trash,
                                   std::size_t trashedItems)
    : files_(files),
      trash_(trash),
      batchSize_(std::max(kSmallestBatch, trashedItems / kBatchesForAWholeTrash)) {}

void TrashItemRemover::Remove(TrashItem item) {
    batch_.push_back(std::move(item));
    if (batch_.size() >= batchSize_) RemoveBatch();
}

TrashRemovalTally TrashItemRemover::Finish() {
    RemoveBatch();
    return tally_;
}

void TrashItemRemover::RemoveBatch() {
    if (batch_.empty()) return;
    std::vector<std::uint64_t> fileNames;
    fileNames.reserve(batch_.size());
    for (const TrashItem& item : batch_) {
        CheckedEntry entry = OpenForDeletion(trash_.files, item.file);
        DeleteCheckedEntry(files_, trash_.files, entry, [this](HeldFolder& inner) {
            ForceDeleteFolder(files_, inner, kTrashedFolderLevels);
        });
        fileNames.push_back(TrashNameHash(item.file.name));
    }  // each closed at once: under Wine the deletion happens then

    const std::optional<std::vector<bool>> filesLeft =
        ListedNow(trash_.trash, u"files", trash_.files, fileNames);
    std::vector<std::uint64_t> infoNames;  // of the items whose entry went
    for (std::size_t i = 0; i < batch_.size(); ++i) {
        if (!filesLeft || (*filesLeft)[i]) {
            ++tally_.kept;
            continue;
        }
        const TrashItem& item = batch_[i];
        CheckedEntry info = OpenForDeletion(trash_.info, item.info);
        if (info.kind == EntryKind::File) ForceDeleteEntry(files_, trash_.info, info);
        infoNames.push_back(TrashNameHash(item.info.name));
    }

    if (!infoNames.empty()) {
        const std::optional<std::vector<bool>> infoLeft =
            ListedNow(trash_.trash, u"info", trash_.info, infoNames);
        for (std::size_t i = 0; i < infoNames.size(); ++i) {
            if (!infoLeft || (*infoLeft)[i]) {
                ++tally_.infoKept;
            } else {
                ++tally_.removed;
            }
        }
    }
    batch_.clear();
}

}  // namespace dustvale
