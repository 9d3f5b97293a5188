#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>

#include "platform/sim/SimEntryHandle.h"
#include "platform/sim/SimFileNode.h"

namespace dustvale::sim {

namespace {

using Node = SimFileSystem::Node;

constexpr std::size_t kMaxPath = 260;
constexpr int kMaxLinkDepth = 32;
// How much longer Wine's Unix spelling of a full path is than the one it names entries by:
// "dosdevices/c:" in place of "drive_c".
constexpr std::size_t kDosDevicesLonger = 6;
constexpr std::uint32_t kSettableAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x100 | 0x1000 | 0x2000;

// The upper-case form Windows compares names by, for the scripts the tests use.
char16_t Upper(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        bool oddLower = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
        bool evenLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddLower && (c & 1)) return static_cast<char16_t>(c - 1);
        if (evenLower && !(c & 1)) return static_cast<char16_t>(c - 1);
        return c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    return c;
}

// The wildcards of FindFirstFileW after its translation into the file system's DOS forms.
constexpr char16_t kDosStar = u'<';  // '*' before a dot: stops at the name's last dot
constexpr char16_t kDosQm = u'>';    // '?': one character, or none at a dot or the end
constexpr char16_t kDosDot = u'"';   // '.' before a wildcard or at the end: a dot or the end

Text TranslatePattern(const Text& pattern) {
    if (pattern == u"*.*") return u"*";
    Text p = pattern;
    for (std::size_t i = 0; i < p.size(); ++i) {
        char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
        if (pattern[i] == u'?')
            p[i] = kDosQm;
        else if (pattern[i] == u'*' && next == u'.')
            p[i] = kDosStar;
        else if (pattern[i] == u'.' && (next == u'?' || next == u'*' || next == 0))
            p[i] = kDosDot;
    }
    return p;
}

bool Matches(const Text& pattern, const Text& name) {
    const std::size_t P = pattern.size(), N = name.size();
    const std::size_t lastDot = name.rfind(u'.');
    // memo[pi * (N + 1) + ni]: 0 unknown, 1 no, 2 yes
    std::vector<unsigned char> memo((P + 1) * (N + 1), 0);
    auto match = [&](auto& self, std::size_t pi, std::size_t ni) -> bool {
        unsigned char& known = memo[pi * (N + 1) + ni];
        if (known) return known == 2;
        bool result = false;
        if (pi == P) {
            result = ni == N;
        } else {
            char16_t c = pattern[pi];
            switch (c) {
                case u'*':
                    result = self(self, pi + 1, ni) || (ni < N && self(self, pi, ni + 1));
                    break;
                case kDosStar:
                    result = self(self, pi + 1, ni) || (ni < N && ni != lastDot && self(self, pi, ni + 1));
                    break;
                case kDosQm:
                    result = (ni < N && name[ni] != u'.') ? self(self, pi + 1, ni + 1) : self(self, pi + 1, ni);
                    break;
                case kDosDot:
                    result = ni == N ? self(self, pi + 1, ni) : (name[ni] == u'.' && self(self, pi + 1, ni + 1));
                    break;
                default:
                    result = ni < N && Upper(name[ni]) == Upper(c) && self(self, pi + 1, ni + 1);
            }
        }
        known = result ? 2 : 1;
        return result;
    };
    return match(match, 0, 0);
}

FindData EntryOf(const Node& node, const Text& name, std::uint32_t attributes) {
    FindData data;
    data.attributes = attributes;
    data.name = name;
    data.shortName = name == u"." || name == u".." ? Text{} : node.shortName;
    data.size = node.IsFolder() ? 0 : node.bytes.size();
    return data;
}

class SimSearch final : public FileSearch {
public:
    SimSearch(std::vector<FindData> entries, std::shared_ptr<void> counters, std::uint32_t& count)
        : entries_(std::move(entries)), keepAlive_(std::move(counters)), count_(count) {
        ++count_;
    }
    ~SimSearch() override { --count_; }
    SimSearch(const SimSearch&) = delete;
    SimSearch& operator=(const SimSearch&) = delete;

    bool Next(FindData& entry) override {
        if (next_ >= entries_.size()) return false;
        entry = entries_[next_++];
        return true;
    }

private:
    std::vector<FindData> entries_;
    std::size_t next_ = 1;  // the first entry went out with FindFirstFile
    std::shared_ptr<void> keepAlive_;
    std::uint32_t& count_;
};

class SimFile final : public OpenFile {
public:
    // `written` runs after each write, with the file system still there.
    SimFile(std::shared_ptr<Node> node, FileMode mode, std::shared_ptr<void> counters, std::uint32_t& count,
            std::function<void()> written = {})
        : node_(std::move(node)), mode_(mode), keepAlive_(std::move(counters)), count_(count),
          written_(std::move(written)) {
        ++count_;
        ++node_->openCount;
        if (mode_ == FileMode::Output) ++node_->openWriters;
    }
    ~SimFile() override {
        if (mode_ == FileMode::Output) --node_->openWriters;
        --node_->openCount;
        --count_;
    }
    SimFile(const SimFile&) = delete;
    SimFile& operator=(const SimFile&) = delete;

    std::optional<std::string> ReadAll() override { return Read(std::string::npos); }

    std::optional<std::string> Read(std::size_t limit) override {
        if (mode_ != FileMode::Input) return std::nullopt;
        if (node_->endless) return ReadEndless(limit);
        const std::size_t from = std::min(position_, node_->bytes.size());
        std::string next = node_->bytes.substr(from, limit);
        position_ = from + next.size();
        return next;
    }

    bool Write(std::string_view bytes) override {
        if (mode_ != FileMode::Output) return false;
        node_->bytes.append(bytes);
        if (written_ && !bytes.empty()) written_();
        return true;
    }

private:
    // A read without a limit would never come back: the test learns of it at once.
    std::string ReadEndless(std::size_t limit) {
        if (limit == std::string::npos || node_->bytes.empty()) {
            throw std::length_error("a file without end read to its end");
        }
        std::string next;
        next.reserve(limit);
        while (next.size() < limit) next += node_->bytes[position_++ % node_->bytes.size()];
        return next;
    }

    std::shared_ptr<Node> node_;
    FileMode mode_;
    std::size_t position_ = 0;
    std::shared_ptr<void> keepAlive_;
    std::uint32_t& count_;
    std::function<void()> written_;
};

Node* AddChild(Node& folder, const Text& name, std::uint32_t attributes, std::uint64_t id) {
    auto child = std::make_shared<Node>();
    child->name = name;
    child->id = id;
    child->attributes = attributes;
    child->parent = &folder;
    folder.children.push_back(child);
    return child.get();
}

}  // namespace

namespace node {

bool SameName(const Text& a, const Text& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Upper(x) == Upper(y); });
}

bool ValidName(const Text& name, bool wildcardsAllowed) {
    if (name.empty()) return false;
    for (char16_t c : name) {
        if (c < 32) return false;
        if (c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'\\' || c == u'/')
            return false;
        if ((c == u'*' || c == u'?') && !wildcardsAllowed) return false;
    }
    return true;
}

Node* ChildNamed(const Node& folder, const Text& name) {
    for (const auto& child : folder.children)
        if (SameName(child->name, name) || (!child->shortName.empty() && SameName(child->shortName, name)))
            return child.get();
    return nullptr;
}

std::uint32_t Reported(const Node& node) {
    if (node.IsRoot()) return attr::kDirectory;
    return node.attributes == 0 ? attr::kNormal : node.attributes;
}

std::optional<Text> PathOf(const Node& node) {
    if (node.IsRoot()) return node.name + u"\\";
    std::vector<const Node*> chain;
    for (const Node* n = &node; !n->IsRoot(); n = n->parent) {
        if (n->removed) return std::nullopt;
        chain.push_back(n);
    }
    Text path = chain.back()->parent->name;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) path += u"\\" + (*it)->name;
    return path;
}

}  // namespace node

using node::ChildNamed;
using node::Reported;
using node::ValidName;

namespace {

// The path of a node still in its folder.
Text RealPath(const Node* node) { return node::PathOf(*node).value_or(Text{}); }

}  // namespace

SimFileSystem::SimFileSystem() { AddDrive(u'C'); }

std::optional<SimFileSystem::Parsed> SimFileSystem::Parse(const Text& path, bool forProgram) const {
    Text p = path;
    bool longPath = p.starts_with(u"\\\\?\\");
    if (longPath) p.erase(0, 4);
    std::replace(p.begin(), p.end(), u'/', u'\\');
    if (p.size() < 3 || p[1] != u':' || p[2] != u'\\') return std::nullopt;  // relative or UNC
    Parsed parsed;
    parsed.drive = Upper(p[0]);
    if (parsed.drive < u'A' || parsed.drive > u'Z') return std::nullopt;
    parsed.trailingSeparator = p.size() > 3 && p.back() == u'\\';
    std::size_t start = 3;
    while (start <= p.size()) {
        std::size_t end = p.find(u'\\', start);
        if (end == Text::npos) end = p.size();
        Text part = p.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
            if (!parsed.components.empty()) parsed.components.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.pop_back();
        if (part.empty()) continue;
        parsed.components.push_back(part);
    }
    parsed.length = 2;
    for (const Text& c : parsed.components) parsed.length += 1 + c.size();
    if (parsed.components.empty()) ++parsed.length;  // "C:\"
    if (forProgram && !longPath && parsed.length + 1 >= kMaxPath) return std::nullopt;
    return parsed;
}

SimFileSystem::Node* SimFileSystem::Root(char16_t drive) const {
    auto it = drives_.find(Upper(drive));
    return it == drives_.end() ? nullptr : it->second.get();
}

SimFileSystem::Node* SimFileSystem::Follow(Node* node) const {
    for (int depth = 0; node && node->linkTarget; ++depth) {
        if (depth == kMaxLinkDepth) return nullptr;
        std::optional<Located> target = Locate(*node->linkTarget, false);
        node = target ? target->node : nullptr;
    }
    return node;
}

SimFileSystem::Node* SimFileSystem::Walk(const Parsed& parsed, std::size_t count) const {
    Node* node = Root(parsed.drive);
    for (std::size_t i = 0; node && i < count; ++i) {
        node = Follow(node);
        if (!node || !node->IsFolder()) return nullptr;
        node = ChildNamed(*node, parsed.components[i]);
    }
    node = Follow(node);
    return node && node->IsFolder() ? node : nullptr;
}

std::optional<SimFileSystem::Located> SimFileSystem::Locate(const Text& path, bool forProgram) const {
    std::optional<Parsed> parsed = Parse(path, forProgram);
    if (!parsed) return std::nullopt;
    Located located;
    if (parsed->components.empty()) {
        located.node = Root(parsed->drive);
        if (!located.node) return std::nullopt;
        return located;
    }
    located.folder = Walk(*parsed, parsed->components.size() - 1);
    if (!located.folder) return std::nullopt;
    located.name = parsed->components.back();
    if (forProgram && !ValidName(located.name, false)) return std::nullopt;
    located.node = ChildNamed(*located.folder, located.name);
    // "file.txt\" names no file.
    if (located.node && parsed->trailingSeparator && !located.node->IsFolder()) located.node = nullptr;
    return located;
}

std::unique_ptr<FileSearch> SimFileSystem::FindFirstFile(const Text& pattern, FindData& first) {
    BeforeCall([&] { return pattern; });
    // The last component is a pattern, taken as written; the folder before it is a path.
    std::size_t cut = pattern.find_last_of(u"\\/");
    if (cut == Text::npos || cut + 1 >= pattern.size()) return nullptr;
    Text mask = pattern.substr(cut + 1);
    if (!ValidName(mask, true)) return nullptr;
    std::optional<Parsed> parsed = Parse(pattern.substr(0, cut + 1), true);
    if (!parsed) return nullptr;
    Node* folder = Walk(*parsed, parsed->components.size());
    if (!folder || folder->denyListing) return nullptr;

    Text translated = TranslatePattern(mask);
    std::vector<FindData> entries;
    if (!folder->IsRoot()) {
        if (Matches(translated, u".")) entries.push_back(EntryOf(*folder, u".", Shown(*folder)));
        if (Matches(translated, u".."))
            entries.push_back(EntryOf(*folder->parent, u"..", Shown(*folder->parent)));
    }
    for (const auto& child : folder->children)
        if (Matches(translated, child->name) || (!child->shortName.empty() && Matches(translated, child->shortName)))
            entries.push_back(EntryOf(*child, child->name, Shown(*child)));
    if (entries.empty()) return nullptr;
    listings_.push_back(RealPath(folder));
    first = entries.front();
    return std::make_unique<SimSearch>(std::move(entries), counters_, counters_->searches);
}

std::optional<std::uint32_t> SimFileSystem::GetFileAttributes(const Text& path) {
    BeforeCall([&] { return path; });
    std::optional<Located> located = Locate(path, true);
    if (!located || !located->node) return std::nullopt;
    return Shown(*located->node);
}

std::uint32_t SimFileSystem::Shown(Node& node) const {
    // Wine reports a Unix link to a file with the attributes of the file it points to.
    if (node.unixLink && !node.IsFolder()) {
        Node* target = Follow(&node);
        return target ? Reported(*target) : attr::kArchive;
    }
    // And a Unix folder without write permission as read-only.
    if (wineHandles_ && node.readOnlyFolder) return Reported(node) | attr::kReadOnly;
    return Reported(node);
}

bool SimFileSystem::SetFileAttributes(const Text& path, std::uint32_t attributes) {
    BeforeCall([&] { return path; });
    std::optional<Located> located = Locate(path, true);
    if (!located || !located->node) return false;
    // Like SetFileAttributesW, which opens the path without FILE_OPEN_REPARSE_POINT: on a
    // link it changes the link's target, never the link itself.
    Node* target = Follow(located->node);
    if (!target || target->IsRoot()) return false;
    Node& node = *target;
    node.attributes = (node.attributes & (attr::kDirectory | attr::kReparsePoint)) | (attributes & kSettableAttributes);
    node.changeTime = ++lastTime_;
    attributeChanges_.push_back(RealPath(&node));
    return true;
}

bool SimFileSystem::PathFileExists(const Text& path) {
    BeforeCall([&] { return path; });
    std::optional<Located> located = Locate(path, true);
    return located && located->node;
}

void SimFileSystem::Touch(Node& node) {
    node.lastWrite = ++lastTime_;
    node.changeTime = node.lastWrite;
}

void SimFileSystem::Notify(Node& folder, FolderChange::Action action, const Text& name) {
    std::erase_if(folder.watches, [](const auto& watch) { return watch.expired(); });
    for (const auto& weak : folder.watches) {
        const std::shared_ptr<WatchQueue> queue = weak.lock();
        if (queue->changes.size() >= watchCapacity_) {
            queue->lost = true;
        } else {
            queue->changes.push_back({action, name});
        }
    }
}

void SimFileSystem::SetWatchCapacity(std::size_t changes) { watchCapacity_ = changes; }

bool SimFileSystem::Removable(const Node& node) const {
    return node.parent == nullptr || !node.parent->readOnlyFolder;
}

SimFileSystem::Node* SimFileSystem::Detach(Node* node) {
    Touch(*node->parent);
    Notify(*node->parent, FolderChange::Action::Removed, node->name);
    auto& siblings = node->parent->children;
    std::erase_if(siblings, [node](const NodePtr& child) { return child.get() == node; });
    node->parent = nullptr;
    node->removed = true;
    return node;
}

void SimFileSystem::Remove(Node* node) {
    deletions_.push_back(RealPath(node));
    const NodePtr keep = node->shared_from_this();  // until it is out of its folder
    Detach(node);
}

void SimFileSystem::RunChanges(std::uint64_t call, const Text& about) {
    changing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{changing_};
    if (watch_) watch_(call, about);
    if (change_) change_(call);
}

std::unique_ptr<EntryHandle> SimFileSystem::Handle(Node* node, std::uint32_t rights,
                                                   const std::optional<Text>& openedBy) {
    // Wine opens what a Unix link leads to, whatever the open asks.
    if (node->unixLink) node = Follow(node);
    if (!node) return nullptr;
    if ((rights & rights::kDelete) && (node->inUse || node->openCount > 0)) return nullptr;
    // Windows checks the right to delete at the opening; Wine only at the close.
    if ((rights & rights::kDelete) && !wineHandles_ && !Removable(*node)) return nullptr;
    auto handle = std::make_unique<SimEntryHandle>(*this, node->shared_from_this(), rights);
    if (wineHandles_) {
        BeforeCall([&] { return openedBy.value_or(Text{}); });
        handle->wineFinalPath_ = openedBy ? WinePath(*openedBy) : std::nullopt;
    }
    return handle;
}

std::optional<Text> SimFileSystem::WinePath(const Text& path) const {
    std::optional<Text> resolved = ResolvedPath(path);
    if (resolved && resolved->size() > wineLongestPath_) return std::nullopt;
    return resolved;
}

bool SimFileSystem::MoveNode(Node* node, Node* into, const Text& name) {
    if (!node || !into || node->IsRoot() || node->removed || !into->IsFolder() ||
        into->linkTarget || into->removed) {
        return false;
    }
    if (Node* there = ChildNamed(*into, name)) return there == node;  // moved onto itself
    for (const Node* above = into; above; above = above->parent) {
        if (above == node) return false;  // a folder into itself
    }
    moves_.push_back(RealPath(node));
    const NodePtr kept = node->shared_from_this();
    Detach(node);
    node->removed = false;
    node->name = name;
    node->shortName.clear();
    node->parent = into;
    into->children.push_back(kept);
    return true;
}

std::optional<Text> SimFileSystem::ResolvedPath(const Text& path) const {
    std::optional<Located> located = Locate(path, false);
    Node* node = located ? Follow(located->node) : nullptr;
    return node ? node::PathOf(*node) : std::nullopt;
}

std::unique_ptr<EntryHandle> SimFileSystem::OpenEntry(const Text& path, std::uint32_t rights,
                                                      LinkAtEnd link) {
    BeforeCall([&] { return path; });
    std::optional<Located> located = Locate(path, true);
    if (!located || !located->node) return nullptr;
    if (wineHandles_ && Parse(path, true)->length + kDosDevicesLonger > wineLongestPath_) {
        return nullptr;
    }
    Node* node = link == LinkAtEnd::Followed ? Follow(located->node) : located->node;
    return node ? Handle(node, rights, path) : nullptr;
}

bool SimFileSystem::DeleteFile(const Text& path) {
    BeforeCall([&] { return path; });
    std::optional<Located> located = Locate(path, true);
    if (!located || !located->node) return false;
    Node* node = located->node;
    // Wine deletes the file a Unix link points to, and leaves the link dangling.
    if (node->unixLink) node = Follow(node);
    if (!node) return false;
    if (node->IsFolder()) return false;                                // ERROR_ACCESS_DENIED
    if (node->attributes & attr::kReadOnly) return false;              // ERROR_ACCESS_DENIED
    if (node->inUse || node->openCount > 0) return false;              // ERROR_SHARING_VIOLATION
    // Wine deletes at the close of its handle and does not learn that the folder refused.
    if (!Removable(*node)) return wineHandles_;                        // ERROR_ACCESS_DENIED
    Remove(node);
    return true;
}

bool SimFileSystem::RemoveDirectory(const Text& path) {
    BeforeCall([&] { return path; });
    std::optional<Located> located = Locate(path, true);
    if (!located || !located->node) return false;
    Node* node = located->node;
    // Wine removes the folder a Unix link points to, and leaves the link dangling.
    if (node->unixLink) node = Follow(node);
    if (!node || !node->IsFolder() || node->IsRoot()) return false;
    if (!node->linkTarget) {
        if (!node->children.empty()) return false;            // ERROR_DIR_NOT_EMPTY
        if (node->attributes & attr::kReadOnly) return false;  // ERROR_ACCESS_DENIED
        if (node->inUse) return false;                         // ERROR_SHARING_VIOLATION
    }
    if (!Removable(*node)) return wineHandles_;                // ERROR_ACCESS_DENIED
    Remove(node);
    return true;
}

std::unique_ptr<OpenFile> SimFileSystem::Open(const Text& path, FileMode mode) {
    BeforeCall([&] { return path; });
    std::optional<Located> located = Locate(path, true);
    if (!located || !located->folder) return nullptr;
    Node* node = located->node;
    if (node && (node->IsFolder() || node->inUse)) return nullptr;
    if (mode == FileMode::Input) {
        // Files are opened sharing reading only: readers together, a writer alone.
        if (!node || node->openWriters > 0) return nullptr;
        return std::make_unique<SimFile>(node->shared_from_this(), mode, counters_, counters_->files);
    }
    if (located->folder->readOnlyFolder) return nullptr;
    if (node) {
        if (node->attributes & (attr::kReadOnly | attr::kHidden | attr::kSystem)) return nullptr;
        if (node->openCount > 0) return nullptr;
        if (!node->bytes.empty()) Notify(*located->folder, FolderChange::Action::Modified, node->name);
        node->bytes.clear();
        node->attributes |= attr::kArchive;
    } else {
        node = AddChild(*located->folder, located->name, attr::kArchive, ++lastId_);
        Touch(*located->folder);
        Notify(*located->folder, FolderChange::Action::Added, node->name);
    }
    Touch(*node);
    // The file system outlives the program's files while the test runs; a file kept beyond it
    // tells nobody.
    const std::weak_ptr<void> alive = alive_;
    const std::weak_ptr<Node> folder = located->folder->shared_from_this();
    const std::weak_ptr<Node> file = node->shared_from_this();
    auto written = [this, alive, folder, file] {
        const NodePtr into = folder.lock(), written = file.lock();
        if (!alive.expired() && into && written && written->parent == into.get()) {
            Notify(*into, FolderChange::Action::Modified, written->name);
        }
    };
    return std::make_unique<SimFile>(node->shared_from_this(), mode, counters_, counters_->files,
                                     written);
}

// --- setting the scene ---------------------------------------------------------------------

std::vector<Text> SimFileSystem::FixedDriveRoots() {
    std::vector<Text> roots;
    for (const auto& drive : drives_) roots.push_back(Text{drive.first, u':', u'\\'});
    return roots;
}

void SimFileSystem::AddDrive(char16_t letter) {
    char16_t drive = Upper(letter);
    if (drive < u'A' || drive > u'Z') throw std::invalid_argument("drive letter A to Z");
    if (drives_.contains(drive)) return;
    auto root = std::make_shared<Node>();
    root->name = Text{drive, u':'};
    root->id = ++lastId_;
    root->attributes = attr::kDirectory;
    drives_[drive] = root;
}

bool SimFileSystem::HasDrive(char16_t letter) const { return drives_.contains(Upper(letter)); }

SimFileSystem::Node* SimFileSystem::Required(const Text& path) const {
    std::optional<Located> located = Locate(path, false);
    if (!located || !located->node) throw std::invalid_argument("no such file or folder in the simulation");
    return located->node;
}

SimFileSystem::Node* SimFileSystem::MakeFolders(const Text& path) {
    std::optional<Parsed> parsed = Parse(path, false);
    if (!parsed || !Root(parsed->drive)) throw std::invalid_argument("not a path on a simulated drive");
    Node* node = Root(parsed->drive);
    for (const Text& part : parsed->components) {
        Node* folder = Follow(node);
        if (!folder || !folder->IsFolder()) throw std::invalid_argument("a file stands where a folder should be");
        if (!ValidName(part, false)) throw std::invalid_argument("a name Windows does not allow");
        node = ChildNamed(*folder, part);
        if (!node) {
            node = AddChild(*folder, part, attr::kDirectory, ++lastId_);
            Touch(*folder);
            Notify(*folder, FolderChange::Action::Added, part);
        }
    }
    return node;
}

void SimFileSystem::AddFolder(const Text& path, std::uint32_t attributes) {
    Node* node = MakeFolders(path);
    if (!node->IsFolder()) throw std::invalid_argument("a file already has this name");
    if (!node->IsRoot() && !node->linkTarget) node->attributes = attr::kDirectory | (attributes & kSettableAttributes);
}

void SimFileSystem::AddFile(const Text& path, std::string bytes, std::uint32_t attributes) {
    std::optional<Parsed> parsed = Parse(path, false);
    if (!parsed || parsed->components.empty()) throw std::invalid_argument("not a file path");
    Text name = parsed->components.back();
    if (!ValidName(name, false)) throw std::invalid_argument("a name Windows does not allow");
    Text folderPath = path.substr(0, path.find_last_of(u"\\/") + 1);
    Node* folder = Follow(MakeFolders(folderPath));
    if (!folder || !folder->IsFolder()) throw std::invalid_argument("no folder to hold the file");
    Node* node = ChildNamed(*folder, name);
    if (node && node->IsFolder()) throw std::invalid_argument("a folder already has this name");
    if (!node) {
        node = AddChild(*folder, name, 0, ++lastId_);
        Touch(*folder);
        Notify(*folder, FolderChange::Action::Added, name);
    } else {
        Notify(*folder, FolderChange::Action::Modified, node->name);
    }
    Touch(*node);
    node->bytes = std::move(bytes);
    node->attributes = attributes & kSettableAttributes;
}

void SimFileSystem::SetShortName(const Text& path, const Text& shortName) { Required(path)->shortName = shortName; }

SimFileSystem::Node* SimFileSystem::AddLink(const Text& path, const Text& target, std::uint32_t attributes) {
    std::optional<Parsed> parsed = Parse(path, false);
    std::optional<Parsed> to = Parse(target, false);
    if (!parsed || parsed->components.empty() || !to) throw std::invalid_argument("not a link path");
    Text name = parsed->components.back();
    Text folderPath = path.substr(0, path.find_last_of(u"\\/") + 1);
    Node* folder = Follow(MakeFolders(folderPath));
    if (!folder || ChildNamed(*folder, name)) throw std::invalid_argument("the link's name is taken");
    Text canonical = Text{to->drive, u':', u'\\'};
    for (std::size_t i = 0; i < to->components.size(); ++i)
        canonical += (i ? u"\\" : u"") + to->components[i];
    Node* link = AddChild(*folder, name, attributes, ++lastId_);
    Touch(*folder);
    Notify(*folder, FolderChange::Action::Added, name);
    link->linkTarget = canonical;
    return link;
}

void SimFileSystem::AddFolderLink(const Text& path, const Text& target) {
    AddLink(path, target, attr::kDirectory | attr::kReparsePoint);
}

void SimFileSystem::AddFileLink(const Text& path, const Text& target) {
    AddLink(path, target, attr::kArchive | attr::kReparsePoint);
}

void SimFileSystem::AddUnixLink(const Text& path, const Text& target) {
    Node* pointsTo = Follow(Required(target));
    if (!pointsTo) throw std::invalid_argument("the link's target leads nowhere");
    // Wine marks a link to a folder as a reparse point, a link to a file not at all.
    const std::uint32_t shown =
        pointsTo->IsFolder() ? attr::kDirectory | attr::kReparsePoint : attr::kArchive;
    AddLink(path, target, shown)->unixLink = true;
}

void SimFileSystem::AddEndlessFile(const Text& path, std::string repeated) {
    AddFile(path, std::move(repeated));
    Required(path)->endless = true;
}

void SimFileSystem::SetInUse(const Text& path, bool inUse) { Required(path)->inUse = inUse; }

void SimFileSystem::MoveEntry(const Text& from, const Text& to) {
    Node* node = Required(from);
    if (node->IsRoot()) throw std::invalid_argument("a drive's root cannot move");
    std::optional<Parsed> parsed = Parse(to, false);
    if (!parsed || parsed->components.empty()) throw std::invalid_argument("not a path to move to");
    Node* folder = Walk(*parsed, parsed->components.size() - 1);
    const Text name = parsed->components.back();
    if (!folder || ChildNamed(*folder, name)) {
        throw std::invalid_argument("no free place to move to");
    }
    for (const Node* above = folder; above; above = above->parent) {
        if (above == node) throw std::invalid_argument("a folder cannot move into itself");
    }
    const NodePtr kept = node->shared_from_this();
    Node* const oldFolder = node->parent;
    // A rename inside one folder is one change there; a move, a removal and an addition.
    std::vector<std::weak_ptr<WatchQueue>> watching;
    if (oldFolder == folder) watching = std::exchange(oldFolder->watches, {});
    Detach(node);
    if (oldFolder == folder) {
        oldFolder->watches = std::move(watching);
        Notify(*oldFolder, FolderChange::Action::RenamedFrom, node->name);
    }
    node->removed = false;
    node->name = name;
    node->parent = folder;
    folder->children.push_back(kept);
    Touch(*folder);
    Notify(*folder, oldFolder == folder ? FolderChange::Action::RenamedTo : FolderChange::Action::Added,
           name);
}

void SimFileSystem::RemoveEntry(const Text& path) {
    Node* node = Required(path);
    if (node->IsRoot()) throw std::invalid_argument("a drive's root cannot be removed");
    const NodePtr kept = node->shared_from_this();
    Detach(node);
}

void SimFileSystem::SetDenyListing(const Text& folder, bool deny) {
    Node* node = Follow(Required(folder));
    if (!node || !node->IsFolder()) throw std::invalid_argument("not a folder");
    node->denyListing = deny;
}

void SimFileSystem::SetReadOnlyFolder(const Text& folder, bool readOnly) {
    Node* node = Follow(Required(folder));
    if (!node || !node->IsFolder()) throw std::invalid_argument("not a folder");
    node->readOnlyFolder = readOnly;
}

// --- looking at the result ------------------------------------------------------------------

bool SimFileSystem::Exists(const Text& path) const {
    std::optional<Located> located = Locate(path, false);
    return located && located->node;
}

std::optional<std::string> SimFileSystem::Contents(const Text& path) const {
    std::optional<Located> located = Locate(path, false);
    if (!located || !located->node || located->node->IsFolder()) return std::nullopt;
    return located->node->bytes;
}

std::optional<std::uint32_t> SimFileSystem::Attributes(const Text& path) const {
    std::optional<Located> located = Locate(path, false);
    if (!located || !located->node) return std::nullopt;
    return Reported(*located->node);
}

std::vector<Text> SimFileSystem::Tree(const Text& folder) const {
    std::vector<Text> paths;
    std::optional<Located> located = Locate(folder, false);
    if (!located || !located->node) return paths;
    auto walk = [&](auto& self, const Node& node) -> void {
        for (const auto& child : node.children) {
            paths.push_back(RealPath(child.get()));
            if (child->IsFolder() && !child->linkTarget) self(self, *child);
        }
    };
    walk(walk, *located->node);
    std::sort(paths.begin(), paths.end());
    return paths;
}

const std::vector<Text>& SimFileSystem::Deletions() const { return deletions_; }

const std::vector<Text>& SimFileSystem::Listings() const { return listings_; }

const std::vector<Text>& SimFileSystem::AttributeChanges() const { return attributeChanges_; }

const std::vector<Text>& SimFileSystem::Moves() const { return moves_; }

std::uint32_t SimFileSystem::OpenSearches() const { return counters_->searches; }

std::uint32_t SimFileSystem::OpenFiles() const { return counters_->files; }

std::uint32_t SimFileSystem::OpenHandles() const { return counters_->handles; }

// --- changes between the program's calls --------------------------------------------------

void SimFileSystem::BeforeEachCall(std::function<void(std::uint64_t call)> change) {
    change_ = std::move(change);
}

void SimFileSystem::WatchCalls(std::function<void(std::uint64_t call, const Text& about)> watch) {
    watch_ = std::move(watch);
}

std::uint64_t SimFileSystem::Calls() const { return calls_; }

void SimFileSystem::UseWineHandles(bool wine) { wineHandles_ = wine; }

void SimFileSystem::LimitWinePaths(std::size_t longest) { wineLongestPath_ = longest; }

}  // namespace dustvale::sim
