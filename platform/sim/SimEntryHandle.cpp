#include "platform/sim/SimEntryHandle.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/sim/SimFileNode.h"

namespace dustvale::sim {

namespace {

constexpr std::uint32_t kSettableAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x100 | 0x1000 | 0x2000;

// Lives as long as the calling thread: Windows ends a thread's pending reads when it ends.
std::weak_ptr<void> ThisThreadsLife() {
    thread_local const std::shared_ptr<void> life = std::make_shared<int>(0);
    return life;
}

class SimFolderWatch final : public FolderWatch {
public:
    explicit SimFolderWatch(std::shared_ptr<SimFileSystem::WatchQueue> queue)
        : queue_(std::move(queue)), armedBy_(ThisThreadsLife()) {}

    std::optional<std::vector<FolderChange>> TakeChanges() override {
        if (queue_->lost || armedBy_.expired()) {
            queue_->lost = false;
            queue_->changes.clear();
            armedBy_ = ThisThreadsLife();  // armed again by this thread
            return std::nullopt;
        }
        return std::exchange(queue_->changes, {});
    }

private:
    std::shared_ptr<SimFileSystem::WatchQueue> queue_;  // the folder holds it weakly
    std::weak_ptr<void> armedBy_;                       // the thread whose read is pending
};

}  // namespace

SimEntryHandle::SimEntryHandle(SimFileSystem& files, std::shared_ptr<SimFileSystem::Node> node,
                               std::uint32_t rights)
    : files_(files), node_(std::move(node)), rights_(rights) {
    ++files_.counters_->handles;
}

SimEntryHandle::~SimEntryHandle() {
    files_.BeforeCall([this] { return About(); });
    // Wine deletes by the path it took at the opening, once sure that it still leads here.
    // Nor does it learn when the folder refuses to let the entry go.
    if (deleteOnClose_ && wineFinalPath_ && Deletable() && files_.Removable(*node_) &&
        files_.ResolvedPath(*wineFinalPath_) == node::PathOf(*node_)) {
        files_.Remove(node_.get());
    }
    --files_.counters_->handles;
}

std::optional<EntryInfo> SimEntryHandle::Info() {
    files_.BeforeCall([this] { return About(); });
    EntryInfo info;
    info.attributes = files_.Shown(*node_);
    if (node_->linkTarget) {
        info.reparseTag = node_->IsFolder() ? reparse::kMountPoint : reparse::kSymlink;
    }
    info.fileId = node_->id;
    return info;
}

std::optional<EntryTimes> SimEntryHandle::Times() {
    files_.BeforeCall([this] { return About(); });
    return EntryTimes{node_->lastWrite, node_->changeTime};
}

std::optional<Text> SimEntryHandle::FinalPath() {
    files_.BeforeCall([this] { return About(); });
    return files_.wineHandles_ ? wineFinalPath_ : node::PathOf(*node_);
}

Text SimEntryHandle::About() const {
    return node::PathOf(*node_).value_or(wineFinalPath_.value_or(Text{}));
}

bool SimEntryHandle::Listable() const {
    return Has(rights::kListDirectory) && node_->IsFolder() && !node_->linkTarget &&
           !node_->removed && !node_->denyListing;
}

std::vector<DirectoryEntry> SimEntryHandle::Snapshot() const {
    std::vector<DirectoryEntry> entries;
    const auto add = [&](const Text& name, SimFileSystem::Node& shown) {
        // Wine lists a Unix link with the number of what it leads to, as stat() sees it.
        SimFileSystem::Node* numbered = shown.unixLink ? files_.Follow(&shown) : &shown;
        const SimFileSystem::Node& stat = numbered ? *numbered : shown;
        entries.push_back({name, files_.Shown(shown), stat.id,
                           stat.IsFolder() ? 0 : static_cast<std::uint64_t>(stat.bytes.size())});
    };
    if (!node_->IsRoot()) {
        add(u".", *node_);
        add(u"..", *node_->parent);
    }
    for (const auto& child : node_->children) add(child->name, *child);
    return entries;
}

bool SimEntryHandle::ReadDirectory(DirectoryEntry& entry) {
    files_.BeforeCall([this] { return About() + u"\\*"; });
    if (!listed_) {
        listed_ = true;
        next_ = 0;
        listing_.clear();
        if (!Listable()) return false;
        listing_ = Snapshot();
        files_.listings_.push_back(node::PathOf(*node_).value_or(Text{}));
    }
    if (next_ >= listing_.size()) return false;
    entry = listing_[next_++];
    return true;
}

std::optional<std::string> SimEntryHandle::Read(std::size_t limit) {
    files_.BeforeCall([this] { return About(); });
    // A link opened as itself holds no data of its own to read.
    if (!Has(rights::kReadData) || node_->IsFolder() || node_->linkTarget) return std::nullopt;
    const std::string& bytes = node_->bytes;
    std::string read;
    if (node_->endless) {  // a device's bytes never end
        if (bytes.empty()) return read;
        read.reserve(std::min<std::size_t>(limit, 1 << 20));
        while (read.size() < limit) read += bytes[readAt_++ % bytes.size()];
        return read;
    }
    if (readAt_ < bytes.size()) read = bytes.substr(readAt_, limit);
    readAt_ += read.size();
    return read;
}

void SimEntryHandle::RestartDirectory() {
    // Wine serves again what it read the first time.
    if (files_.wineHandles_) {
        next_ = 0;
    } else {
        listed_ = false;
    }
}

std::unique_ptr<EntryHandle> SimEntryHandle::OpenChild(const Text& name, std::uint32_t rights) {
    files_.BeforeCall([&] { return About() + u"\\" + name; });
    if (!node_->IsFolder() || node_->linkTarget || !node::ValidName(name, false) ||
        name == u"." || name == u"..") {
        return nullptr;
    }
    SimFileSystem::Node* child = node::ChildNamed(*node_, name);
    // Wine looks a name up as it is spelt, and failing that reads the whole folder for it,
    // ignoring case.
    if (files_.wineHandles_ && (!child || child->name != name)) {
        files_.listings_.push_back(node::PathOf(*node_).value_or(Text{}));
    }
    if (!child) return nullptr;
    // Wine takes the child's path from the path it took for this folder.
    std::optional<Text> openedBy;
    if (wineFinalPath_) openedBy = *wineFinalPath_ + u"\\" + name;
    return files_.Handle(child, rights, openedBy);
}

std::unique_ptr<EntryHandle> SimEntryHandle::OpenBelow(const Text& path, std::uint32_t rights) {
    files_.BeforeCall([&] { return About() + u"\\" + path; });
    SimFileSystem::Node* node = node_.get();
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(u'\\', start);
        const Text name = path.substr(start, end == Text::npos ? Text::npos : end - start);
        // The folders on the way are followed as a path's are.
        if (node != node_.get()) node = files_.Follow(node);
        if (!node || !node->IsFolder() || (node == node_.get() && node->linkTarget) ||
            !node::ValidName(name, false) || name == u"." || name == u"..") {
            return nullptr;
        }
        node = node::ChildNamed(*node, name);
        if (!node) return nullptr;
        if (end == Text::npos) break;
        start = end + 1;
    }
    std::optional<Text> openedBy;
    if (wineFinalPath_) openedBy = *wineFinalPath_ + u"\\" + path;
    return files_.Handle(node, rights, openedBy);
}

std::unique_ptr<FolderWatch> SimEntryHandle::Watch() {
    files_.BeforeCall([this] { return About(); });
    if (!Listable() || files_.watchCapacity_ == 0) return nullptr;
    auto queue = std::make_shared<SimFileSystem::WatchQueue>();
    node_->watches.push_back(queue);
    return std::make_unique<SimFolderWatch>(std::move(queue));
}

bool SimEntryHandle::SetAttributes(std::uint32_t attributes) {
    files_.BeforeCall([this] { return About(); });
    // Wine does not ask for the right to write attributes.
    if (!(Has(rights::kWriteAttributes) || files_.wineHandles_)) return false;
    if (node_->IsRoot() || node_->removed) return false;
    node_->attributes = (node_->attributes & (attr::kDirectory | attr::kReparsePoint)) |
                        (attributes & kSettableAttributes);
    node_->changeTime = ++files_.lastTime_;
    files_.attributeChanges_.push_back(node::PathOf(*node_).value_or(Text{}));
    return true;
}

bool SimEntryHandle::Deletable() const {
    return !node_->IsRoot() && !node_->removed &&
           !(node_->attributes & attr::kReadOnly) &&                    // STATUS_CANNOT_DELETE
           (node_->linkTarget || node_->children.empty()) &&          // not empty
           node_->openCount == 0;                                       // open without sharing
}

bool SimEntryHandle::Delete() {
    files_.BeforeCall([this] { return About(); });
    if (!Has(rights::kDelete) || !Deletable()) return false;
    if (files_.wineHandles_) {
        deleteOnClose_ = true;
    } else {
        files_.Remove(node_.get());
    }
    return true;
}

bool SimEntryHandle::MoveInto(EntryHandle& folder, const Text& name) {
    files_.BeforeCall([this] { return About(); });
    auto* into = dynamic_cast<SimEntryHandle*>(&folder);
    if (!into || &into->files_ != &files_ || !node::ValidName(name, false) || name == u"." ||
        name == u"..") {
        return false;
    }
    if (!files_.wineHandles_) {
        return Has(rights::kDelete) && files_.MoveNode(node_.get(), into->node_.get(), name);
    }
    // Wine renames the path this handle took, a link at its end as itself, into the path the
    // folder's handle took, links followed, whatever rights the handle has; then this handle
    // takes the new path.
    if (!wineFinalPath_ || !into->wineFinalPath_) return false;
    const std::optional<SimFileSystem::Located> from = files_.Locate(*wineFinalPath_, false);
    const std::optional<SimFileSystem::Located> to = files_.Locate(*into->wineFinalPath_, false);
    if (!from || !to || !files_.MoveNode(from->node, files_.Follow(to->node), name)) return false;
    wineFinalPath_ = files_.WinePath(*into->wineFinalPath_ + u"\\" + name);
    return true;
}

}  // namespace dustvale::sim
