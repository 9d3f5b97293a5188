#pragma once

// Simulated file system with Windows rules: drive letters, case-insensitive names that keep
// the case they were created with, attributes, 8.3 short names (usable in paths), wildcard
// listing (* and ? in the last component, "*.*" matching every name), the "." and ".."
// entries of every folder but a drive's root, files in use that refuse deletion, folders
// that refuse listing, and junctions / symbolic links (reparse points) that lead elsewhere.
//
// How it answers, where Windows leaves a choice:
// - A folder lists "." and ".." first (when the pattern matches them), then its entries in the
//   order they were created. Hidden and system entries are listed like any other. A search
//   delivers the entries as they were when it opened (as Windows does for a small folder read
//   in one go), so deleting during a walk is safe.
// - Names compare by their upper case: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
// - Patterns follow FindFirstFileW: "*.*" is "*"; "*" before a dot stops at the name's last
//   dot; "?" also matches nothing at a dot or at the end; ".*" and a final "." also match a
//   name without extension ("abc.*" finds "abc", "*." finds names without a dot). An entry
//   matches by its long name or by its 8.3 alias.
// - The volume makes no 8.3 aliases by itself (as with alias generation switched off);
//   SetShortName gives one.
// - Paths are normalised as GetFullPathNameW does: "/" is "\", repeated separators, "." and
//   ".." are folded, trailing dots and blanks of a component are dropped. Paths of 260
//   characters or more fail unless they start with "\\?\". Relative paths and unknown drives
//   fail.
// - Output (CREATE_ALWAYS) refuses an existing file that is read-only, hidden or system, one in
//   use or open, and anything in a read-only folder. Files are opened sharing reading only:
//   several inputs at once, an output alone; an open file refuses deletion until closed.
// - RemoveDirectory refuses a folder with the read-only attribute, one in use, and one that
//   is not empty; on a link it removes the link alone.
// - Handles (OpenEntry, EntryHandle) hold the entry itself: renamed or moved, it is still the
//   one the handle acts on, and its final path is where it is now, as on Windows. Every
//   entry has a number of its own, never reused. A link opened as itself is the link: its
//   attributes carry the reparse bit and a tag (a junction for a folder link, a symbolic link
//   for a file link). Deletion through a handle takes the entry out of its folder at once (as
//   with POSIX semantics) and refuses a read-only entry (as FileDispositionInfo does) and a
//   folder that is not empty. Opening with deletion rights fails on an entry in use. A move
//   through a handle (MoveInto) takes the entry held. A final path has any length.
// - With UseWineHandles, handles behave as Wine's instead (docs/wine.md): see UseWineHandles.
// The scene-setting calls below throw std::invalid_argument for paths they cannot use.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
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
    std::unique_ptr<EntryHandle> OpenEntry(const Text& path, std::uint32_t rights,
                                           LinkAtEnd link) override;
    std::unique_ptr<OpenFile> Open(const Text& path, FileMode mode) override;
    std::vector<Text> FixedDriveRoots() override;

    // --- for tests: setting the scene (parents are created as needed) -----------------------
    // A drive with a fixed disk.
    void AddDrive(char16_t letter);
    bool HasDrive(char16_t letter) const;
    void AddFolder(const Text& path, std::uint32_t attributes = attr::kDirectory);
    void AddFile(const Text& path, std::string bytes = {}, std::uint32_t attributes = attr::kArchive);
    // Gives an entry an 8.3 alias, which then also names it in paths.
    void SetShortName(const Text& path, const Text& shortName);
    // A folder link (junction or directory symbolic link) at `path` leading to `target`.
    void AddFolderLink(const Text& path, const Text& target);
    // A file symbolic link at `path` leading to the file `target`. Listing, attributes, deletion
    // and SetFileAttributes (which reaches the target) treat it as Windows does; reading or
    // writing through it is not simulated.
    void AddFileLink(const Text& path, const Text& target);
    // A Unix symbolic link at `path` to the existing file or folder `target`, as Wine shows
    // one: a link to a file lists as the file it points to (no reparse bit), a link to a
    // folder as a folder with the reparse bit. DeleteFile and SetFileAttributes act on the
    // target, RemoveDirectory removes the target when it is empty (and keeps the link), and
    // FinalPath names the target. Only FinalPath tells such a link from its target.
    void AddUnixLink(const Text& path, const Text& target);
    // A file that reads as `repeated` over and over without end, as a link to a device or a
    // pipe that never closes does. Reading it to its end throws std::length_error.
    void AddEndlessFile(const Text& path, std::string repeated);
    void SetInUse(const Text& path, bool inUse);         // DeleteFile / Open fail while in use
    void SetDenyListing(const Text& folder, bool deny);  // FindFirstFile in it fails
    // A folder whose entries cannot be created, renamed or removed: a folder whose access list
    // forbids it, or under Wine a Unix folder without write permission. Opening an entry of it
    // for deletion is refused, and DeleteFile and RemoveDirectory fail; with Wine's handles
    // the folder shows the read-only attribute, a deletion is marked and then silently not
    // done at the close, and DeleteFile and RemoveDirectory answer success and remove nothing.
    void SetReadOnlyFolder(const Text& folder, bool readOnly);
    // What another program does meanwhile: renames or moves the entry at `from` (a link
    // itself, not what it leads to) to the free path `to`, keeping its number and its
    // contents; and removes the entry at `path` (a link itself) with everything in it.
    void MoveEntry(const Text& from, const Text& to);
    void RemoveEntry(const Text& path);

    // --- for tests: changes between the program's calls ------------------------------------
    // Runs `change` before each call the program makes to this file system or to one of its
    // handles (closing a handle is one), with the number of the call (counted from 0 since
    // the file system was made).
    // The change sets the scene, so that a test can put another program's doing between any
    // two calls; what it does is not counted, and no change runs inside another.
    void BeforeEachCall(std::function<void(std::uint64_t call)> change);
    // Runs `watch` before each call as well, first, with the path the call concerns: the path
    // it is given; for a handle's call, where its entry is; for an opening through a folder,
    // the folder's path and the name; for reading a folder's listing, its path and "\*".
    void WatchCalls(std::function<void(std::uint64_t call, const Text& about)> watch);
    std::uint64_t Calls() const;  // calls made so far

    // Handles from now on behave as Wine's: an entry is opened first, and the real path of the
    // name it was opened by (links resolved) is taken afterwards as a step of its own, counted
    // as a call; that path is its final path from then on, wherever the entry goes. Deletion
    // is only marked, and done when the handle closes (a call too): by that path, and only
    // when the path still leads to the entry. A restarted listing starts again from what was
    // read the first time, and attributes change without the right to change them. A name
    // opened through a folder's handle is looked up as it is spelt, and failing that by
    // reading the whole folder (counted among Listings). A move through a handle, with or
    // without the right to delete, moves what that path leads to now (a link at its end as
    // itself) into the path taken for the folder, links followed, and the handle then takes
    // the new path, whatever moved.
    void UseWineHandles(bool wine);
    // The longest path Wine's handles can take (by default 4000 characters): Wine holds an
    // entry's path as a Unix path, which must fit in 4096 bytes with the prefix's own folder
    // before it. A handle on an entry whose path is longer has no final path, nor has any
    // entry opened through it, and it deletes and moves nothing. OpenEntry fails 6 characters
    // sooner: Wine spells a full path through the prefix's "dosdevices\c:", where it names
    // an entry through "drive_c".
    void LimitWinePaths(std::size_t longest);
    // How many changes a folder's watch holds between two looks (a 64 KB buffer holds about
    // 1,500 of short names); beyond that it reports them lost. 0: folders cannot be watched
    // (as some network folders cannot).
    void SetWatchCapacity(std::size_t changes);

    // --- for tests: looking at the result --------------------------------------------------
    bool Exists(const Text& path) const;
    std::optional<std::string> Contents(const Text& path) const;
    std::optional<std::uint32_t> Attributes(const Text& path) const;
    // Every path under `folder` (files and folders, not following links), sorted.
    std::vector<Text> Tree(const Text& folder) const;
    // Every deletion (DeleteFile, RemoveDirectory or EntryHandle::Delete that succeeded), in
    // order, with the entry's path at the time.
    const std::vector<Text>& Deletions() const;
    // Every folder listed (by a search, through a handle, or by Wine's handles to look up a
    // name not spelt as stored) and every entry whose attributes were set, in order, with its
    // path at the time.
    const std::vector<Text>& Listings() const;
    const std::vector<Text>& AttributeChanges() const;
    // Every move through a handle, in order, with the path the entry moved from.
    const std::vector<Text>& Moves() const;
    std::uint32_t OpenSearches() const;  // searches not yet closed (leak check)
    std::uint32_t OpenFiles() const;     // files not yet closed (leak check)
    std::uint32_t OpenHandles() const;   // entry handles not yet closed (leak check)

    struct Node;  // one file, folder or link
    struct WatchQueue;

private:
    friend class SimEntryHandle;
    using NodePtr = std::shared_ptr<Node>;
    struct Counters {
        std::uint32_t searches = 0;
        std::uint32_t files = 0;
        std::uint32_t handles = 0;
    };
    struct Parsed {
        char16_t drive = 0;
        std::vector<Text> components;
        bool trailingSeparator = false;
        std::size_t length = 0;  // of the path as normalised: "C:\" and the components
    };
    struct Located {
        Node* folder = nullptr;  // the folder that holds the entry (links followed)
        Node* node = nullptr;    // the entry itself (a final link is not followed)
        Text name;               // the last component as written
    };

    std::optional<Parsed> Parse(const Text& path, bool forProgram) const;
    Node* Root(char16_t drive) const;
    Node* Follow(Node* node) const;  // a link's target (nullptr when it leads nowhere)
    std::uint32_t Shown(Node& node) const;  // attributes as listings and GetFileAttributes show them
    Node* AddLink(const Text& path, const Text& target, std::uint32_t attributes);
    Node* Walk(const Parsed& parsed, std::size_t count) const;
    std::optional<Located> Locate(const Text& path, bool forProgram) const;
    Node* Required(const Text& path) const;  // for the scene-setting calls
    Node* MakeFolders(const Text& path);     // for the scene-setting calls
    Node* Detach(Node* node);                // out of its folder, still held by handles
    void Remove(Node* node);                 // a deletion by the program
    void Touch(Node& node);                  // its write and change times move
    // Tells the watches of `folder` of a change to its entry `name`.
    void Notify(Node& folder, FolderChange::Action action, const Text& name);
    // Whether the entry's folder lets it go, and so whether the program may delete it.
    bool Removable(const Node& node) const;
    // Counts a call and runs the test's watch and change; `about()` gives the path it concerns.
    template <class About>
    void BeforeCall(const About& about) {
        const std::uint64_t call = calls_++;
        if (changing_ || (!watch_ && !change_)) return;
        RunChanges(call, watch_ ? about() : Text{});
    }
    void RunChanges(std::uint64_t call, const Text& about);
    // A handle on `node` (a link Wine shows as a Unix link opened as what it leads to), or
    // nullptr when deletion is asked of an entry in use. `openedBy` is the path it was opened
    // by, for Wine's handles.
    std::unique_ptr<EntryHandle> Handle(Node* node, std::uint32_t rights,
                                        const std::optional<Text>& openedBy);
    // The path `path` leads to, every link on the way and at its end followed; nullopt when
    // it leads nowhere.
    std::optional<Text> ResolvedPath(const Text& path) const;
    // The path Wine's handle takes for an entry opened by `path`: the resolved path, nullopt
    // when there is none or it is longer than Wine can hold.
    std::optional<Text> WinePath(const Text& path) const;
    // Moves `node` into the folder `into` under `name` (a move through a handle); false when
    // refused: a root, a folder into itself, a name taken by another entry.
    bool MoveNode(Node* node, Node* into, const Text& name);

    std::map<char16_t, NodePtr> drives_;
    // Shared with open searches and files, so one that outlives the simulation stays harmless.
    std::shared_ptr<Counters> counters_ = std::make_shared<Counters>();
    // Gone with the file system: what outlives it (an open file) then tells it nothing.
    std::shared_ptr<void> alive_ = std::make_shared<int>(0);
    std::vector<Text> deletions_;
    std::vector<Text> listings_;
    std::vector<Text> attributeChanges_;
    std::vector<Text> moves_;
    std::uint64_t lastId_ = 0;
    std::uint64_t lastTime_ = 133'000'000'000'000'000;  // FILETIME of the latest change
    std::uint64_t calls_ = 0;
    std::function<void(std::uint64_t)> change_;
    std::function<void(std::uint64_t, const Text&)> watch_;
    bool changing_ = false;  // a test's change is running
    bool wineHandles_ = false;
    std::size_t wineLongestPath_ = 4000;
    std::size_t watchCapacity_ = 1500;
};

}  // namespace dustvale::sim
