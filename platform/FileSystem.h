#pragma once

// The file system, kept close to the wide kernel32 calls. Paths are Windows paths: drive
// letters, backslashes, case-insensitive names, wildcards in the last component of a pattern.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
    // GetFinalPathNameByHandleW (normalised, DOS volume name) of the entry at `path`, opened
    // as itself (FILE_FLAG_OPEN_REPARSE_POINT): its full long-name path without the "\\?\"
    // prefix, a link naming itself. Links among the parent folders are followed. nullopt when
    // the entry cannot be opened.
    virtual std::optional<Text> FinalPath(const Text& path) = 0;

    // Sequential files; nullptr when the file cannot be opened.
    virtual std::unique_ptr<OpenFile> Open(const Text& path, FileMode mode) = 0;
};

}  // namespace dustvale
