#pragma once

// The file system, kept close to the wide kernel32 calls. Paths are Windows paths: drive
// letters, backslashes, case-insensitive names, wildcards in the last component of a pattern.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace dustvale {

namespace attr {
constexpr std::uint32_t kReadOnly = 0x01;
constexpr std::uint32_t kHidden = 0x02;
constexpr std::uint32_t kSystem = 0x04;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kReparsePoint = 0x400;
}  // namespace attr

namespace reparse {
// IsReparseTagNameSurrogate: the reparse point stands for another entry (a junction, mount
// point or symbolic link) instead of holding data of its own (a cloud placeholder, a
// deduplicated or compressed file).
constexpr std::uint32_t kNameSurrogate = 0x20000000;
constexpr std::uint32_t kMountPoint = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT: a junction
constexpr std::uint32_t kSymlink = 0xA000000C;     // IO_REPARSE_TAG_SYMLINK
}  // namespace reparse

// Access rights an entry is opened with, as Windows numbers them. Every handle may also read
// the entry's attributes (FILE_READ_ATTRIBUTES | SYNCHRONIZE).
namespace rights {
constexpr std::uint32_t kListDirectory = 0x0001;    // FILE_LIST_DIRECTORY
constexpr std::uint32_t kReadData = 0x0001;         // FILE_READ_DATA: the same bit, for a file
constexpr std::uint32_t kWriteAttributes = 0x0100;  // FILE_WRITE_ATTRIBUTES
constexpr std::uint32_t kDelete = 0x00010000;       // DELETE
}  // namespace rights

// One entry of a directory search (WIN32_FIND_DATAW, the fields the program uses).
struct FindData {
    std::uint32_t attributes = 0;
    Text name;       // cFileName: the long name as stored
    Text shortName;  // cAlternateFileName: the 8.3 alias, empty when the name is already 8.3
    std::uint64_t size = 0;
};

// An open directory search; destroying it closes the search (FindClose).
class FileSearch {
public:
    virtual ~FileSearch() = default;
    // FindNextFileW: true when a further entry was delivered into `entry`.
    virtual bool Next(FindData& entry) = 0;
};

// A sequential file open for reading or writing; destroying it closes the file.
class OpenFile {
public:
    virtual ~OpenFile() = default;
    // The remaining bytes of a file opened for input; nullopt when the read fails.
    virtual std::optional<std::string> ReadAll() = 0;
    // The next bytes of a file opened for input, at most `limit` of them (fewer at its end);
    // nullopt when the read fails.
    virtual std::optional<std::string> Read(std::size_t limit) = 0;
    // Appends bytes to a file opened for output.
    virtual bool Write(std::string_view bytes) = 0;
};

enum class FileMode { Input, Output };  // Output creates or truncates

// One entry of a folder as its listing through a handle reports it (FILE_ID_BOTH_DIR_INFO).
struct DirectoryEntry {
    Text name;                     // FileName: the long name as stored
    std::uint32_t attributes = 0;  // FileAttributes
    std::uint64_t fileId = 0;      // FileId: the entry's number on its volume
    std::uint64_t size = 0;        // EndOfFile: a file's size in bytes; 0 for a folder
};

// What an open entry's own handle says it is (FILE_ATTRIBUTE_TAG_INFO and the file's number,
// FILE_INTERNAL_INFORMATION).
struct EntryInfo {
    std::uint32_t attributes = 0;
    std::uint32_t reparseTag = 0;  // 0 unless the attributes hold the reparse-point bit
    std::uint64_t fileId = 0;
};

// When an entry last changed (FILE_BASIC_INFO), in 100-nanosecond steps since 1601. A folder's
// write time moves whenever an entry is created, renamed or removed in it; how fine its steps
// are depends on the volume (and under Wine on the Unix clock, a few milliseconds).
struct EntryTimes {
    std::uint64_t lastWrite = 0;  // LastWriteTime
    std::uint64_t change = 0;     // ChangeTime: also moves when attributes change
    bool operator==(const EntryTimes&) const = default;
};

// A change to the entries of a watched folder (FILE_NOTIFY_INFORMATION).
struct FolderChange {
    enum class Action : std::uint8_t { Added, Removed, Modified, RenamedFrom, RenamedTo };
    Action action = Action::Added;
    Text name;  // the entry's name in the folder
    bool operator==(const FolderChange&) const = default;
};

// A folder watched for its entries coming, going, being renamed and changing size: its own
// entries, not what lies below them. Destroying it ends the watch.
class FolderWatch {
public:
    virtual ~FolderWatch() = default;
    // The changes since the watch began or since the last call, oldest first, without waiting.
    // nullopt when some were lost (more came than the watch holds between two calls) or the
    // watch failed: then only a new look at the folder tells. A move between two folders is
    // Removed from one and Added to the other, a rename inside one RenamedFrom and RenamedTo.
    // One thread at a time; the watch's read belongs to the thread that armed it, and when that
    // thread ends so does the read: the next call tells the changes as lost and arms it anew.
    virtual std::optional<std::vector<FolderChange>> TakeChanges() = 0;
};

// An entry of the file system held open through a handle: what is learnt through the handle
// and what is done through it concern the same entry, whatever happens to its path
// meanwhile. Handles share reading, writing and deletion with everyone. Destroying one closes
// it (CloseHandle); an entry marked for deletion is gone from its folder by then.
//
// Under Wine a Unix symbolic link is opened as what it leads to, whatever the call asks, and
// a final path is the one the entry had when it was opened, links resolved. Wine can hold that
// path only while it fits in a Unix path (4096 bytes, the prefix's own folder included): a
// handle on an entry deeper than that has no final path, nor has any entry opened through it,
// and it deletes and moves nothing. Wine deletes and moves by that path, not by the handle.
class EntryHandle {
public:
    virtual ~EntryHandle() = default;

    // GetFileInformationByHandleEx(FileAttributeTagInfo) and the file's number
    // (NtQueryInformationFile, FileInternalInformation); nullopt when the handle cannot tell.
    virtual std::optional<EntryInfo> Info() = 0;
    // GetFileInformationByHandleEx(FileBasicInfo): the entry's write and change times;
    // nullopt when the handle cannot tell.
    virtual std::optional<EntryTimes> Times() = 0;
    // GetFinalPathNameByHandleW (normalised, DOS volume name) without the "\\?\" prefix: the
    // entry's full path in stored long names, a link's own path for a link opened as itself;
    // any length the system can name. nullopt when it cannot.
    virtual std::optional<Text> FinalPath() = 0;
    // GetFileInformationByHandleEx(FileIdBothDirectoryInfo): the next entry of this folder,
    // "." and ".." included, in the order the file system keeps them. False at the end, and
    // when the handle lists nothing (no kListDirectory, a file, a link opened as itself, a
    // folder that refuses listing).
    virtual bool ReadDirectory(DirectoryEntry& entry) = 0;
    // ReadFile: the file's next bytes, at most `limit` of them (fewer at its end; none at its
    // end); needs kReadData. nullopt when the read fails: a folder, a handle without the
    // right.
    virtual std::optional<std::string> Read(std::size_t limit) = 0;
    // The next ReadDirectory starts from the first entry again, reading the folder as it is
    // now (FileIdBothDirectoryRestartInfo).
    virtual void RestartDirectory() = 0;
    // NtCreateFile relative to this folder's handle (RootDirectory) with
    // FILE_OPEN_REPARSE_POINT: the entry `name` of this folder (one name, no "\"), opened as
    // itself with `rights` from the folder itself, not by a path. nullptr when it cannot be
    // opened: missing, access denied, or in use by a program that does not share what
    // `rights` ask (kDelete for a file opened without FILE_SHARE_DELETE).
    virtual std::unique_ptr<EntryHandle> OpenChild(const Text& name, std::uint32_t rights) = 0;
    // The same with `path`, names below this folder separated by "\" (no "." or ".."): the
    // folders on the way are looked up as a path's are, links followed, and the entry at its
    // end is opened as itself. Under Wine it opens at any depth it can name, where a full
    // path stops short of that (Wine spells it through the prefix's "dosdevices").
    virtual std::unique_ptr<EntryHandle> OpenBelow(const Text& path, std::uint32_t rights) = 0;
    // ReadDirectoryChangesW on this folder, reopened for overlapped reading (ReOpenFile): the
    // changes to its entries from now on (names, folder names, sizes); the handle needs
    // kListDirectory. nullptr when it cannot be watched: a file, a link opened as itself, a
    // folder the system does not watch (some network folders).
    virtual std::unique_ptr<FolderWatch> Watch() = 0;
    // SetFileInformationByHandle(FileBasicInfo), the attributes alone (0 clears them all);
    // needs kWriteAttributes. On a link opened as itself it changes the link.
    virtual bool SetAttributes(std::uint32_t attributes) = 0;
    // Deletes the entry through this handle (needs kDelete): SetFileInformationByHandle with
    // FileDispositionInfoEx (POSIX semantics, read-only ignored) where the system has it, at
    // once gone from its folder; FileDispositionInfo otherwise, gone when the last handle on
    // it closes. A link goes as a link; a folder only when empty. False when refused: a folder
    // that is not empty, a read-only entry where read-only is not ignored.
    virtual bool Delete() = 0;
    // NtSetInformationFile(FileRenameInformation) relative to `folder`'s handle
    // (RootDirectory): moves the entry into `folder` under `name` (one name), never replacing
    // an entry there; needs kDelete (Wine asks for no right). Windows moves the entry held;
    // Wine moves what the path the handle took at its opening leads to now (a link at its
    // end moved as itself), and the handle's final path is the new place from then on,
    // whatever moved. False when refused: the name taken, a folder moved into itself, another
    // volume, a handle without a path under Wine.
    virtual bool MoveInto(EntryHandle& folder, const Text& name) = 0;
};

// Whether opening a path opens a link at its end as itself or what the link leads to. Links
// among the folders on the way are followed either way.
enum class LinkAtEnd { Opened, Followed };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // FindFirstFileW: on success the first entry is in `first` and the search stays open in
    // the result; nullptr when the search cannot be opened (INVALID_HANDLE_VALUE), which
    // includes "no entry matches".
    virtual std::unique_ptr<FileSearch> FindFirstFile(const Text& pattern, FindData& first) = 0;

    // GetFileAttributesW; nullopt for INVALID_FILE_ATTRIBUTES.
    virtual std::optional<std::uint32_t> GetFileAttributes(const Text& path) = 0;
    virtual bool SetFileAttributes(const Text& path, std::uint32_t attributes) = 0;
    // PathFileExistsW: a file or folder exists there (hidden ones included).
    virtual bool PathFileExists(const Text& path) = 0;
    // DeleteFileW: a file, or the link itself for a symbolic link to a file.
    virtual bool DeleteFile(const Text& path) = 0;
    // RemoveDirectoryW: an empty folder, or the link itself for a junction or folder link.
    virtual bool RemoveDirectory(const Text& path) = 0;
    // CreateFileW(OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, and FILE_FLAG_OPEN_REPARSE_POINT
    // for LinkAtEnd::Opened): the file or folder at `path` held open with `rights`; nullptr
    // when it cannot be opened (as for EntryHandle::OpenChild).
    virtual std::unique_ptr<EntryHandle> OpenEntry(const Text& path, std::uint32_t rights,
                                                   LinkAtEnd link) = 0;

    // Sequential files; nullptr when the file cannot be opened.
    virtual std::unique_ptr<OpenFile> Open(const Text& path, FileMode mode) = 0;

    // The roots ("C:\") of the drives whose disks are fixed, in the order of their letters
    // (GetLogicalDrives, GetDriveTypeW): the drives that keep a Recycle Bin of their own.
    virtual std::vector<Text> FixedDriveRoots() = 0;
};

}  // namespace dustvale
