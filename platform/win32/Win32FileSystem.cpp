#include "platform/win32/Win32FileSystem.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {

namespace {

FindData ToFindData(const WIN32_FIND_DATAW& found) {
    FindData entry;
    entry.attributes = found.dwFileAttributes;
    entry.name = FromWide(found.cFileName);
    entry.shortName = FromWide(found.cAlternateFileName);
    entry.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return entry;
}

class Win32FileSearch final : public FileSearch {
public:
    explicit Win32FileSearch(unique_find search) : search_(std::move(search)) {}

    bool Next(FindData& entry) override {
        WIN32_FIND_DATAW found{};
        if (!::FindNextFileW(search_.get(), &found)) return false;
        entry = ToFindData(found);
        return true;
    }

private:
    unique_find search_;
};

class Win32OpenFile final : public OpenFile {
public:
    explicit Win32OpenFile(unique_file file) : file_(std::move(file)) {}

    std::optional<std::string> ReadAll() override {
        return Read(std::numeric_limits<std::size_t>::max());
    }

    std::optional<std::string> Read(std::size_t limit) override {
        std::string bytes;
        char chunk[4096];
        while (bytes.size() < limit) {
            const DWORD wanted =
                static_cast<DWORD>(std::min<std::size_t>(sizeof(chunk), limit - bytes.size()));
            DWORD read = 0;
            if (!::ReadFile(file_.get(), chunk, wanted, &read, nullptr)) {
                return std::nullopt;
            }
            if (read == 0) break;
            bytes.append(chunk, read);
        }
        return bytes;
    }

    bool Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD wanted =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), bytes.data(), wanted, &written, nullptr) ||
                written == 0) {
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

private:
    unique_file file_;
};

}  // namespace

std::unique_ptr<FileSearch> Win32FileSystem::FindFirstFile(const Text& pattern,
                                                           FindData& first) {
    WIN32_FIND_DATAW found{};
    unique_find search(::FindFirstFileW(Wide(pattern), &found));
    if (!search) return nullptr;
    first = ToFindData(found);
    return std::make_unique<Win32FileSearch>(std::move(search));
}

std::optional<std::uint32_t> Win32FileSystem::GetFileAttributes(const Text& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

bool Win32FileSystem::SetFileAttributes(const Text& path, std::uint32_t attributes) {
    return ::SetFileAttributesW(Wide(path), attributes) != FALSE;
}

bool Win32FileSystem::PathFileExists(const Text& path) {
    return ::PathFileExistsW(Wide(path)) != FALSE;
}

bool Win32FileSystem::DeleteFile(const Text& path) {
    return ::DeleteFileW(Wide(path)) != FALSE;
}

bool Win32FileSystem::RemoveDirectory(const Text& path) {
    return ::RemoveDirectoryW(Wide(path)) != FALSE;
}

std::unique_ptr<EntryHandle> Win32FileSystem::OpenEntry(const Text& path, std::uint32_t rights,
                                                       LinkAtEnd link) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS |
                        (link == LinkAtEnd::Opened ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    unique_file entry(::CreateFileW(Wide(path), AccessFor(rights),
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, flags, nullptr));
    if (!entry) return nullptr;
    // CreateFileW's failure is INVALID_HANDLE_VALUE, the native calls' is NULL: held as those.
    return std::make_unique<Win32EntryHandle>(unique_handle(entry.release()), handles_);
}

std::unique_ptr<OpenFile> Win32FileSystem::Open(const Text& path, FileMode mode) {
    const bool input = mode == FileMode::Input;
    unique_file file(::CreateFileW(Wide(path), input ? GENERIC_READ : GENERIC_WRITE,
                                   FILE_SHARE_READ, nullptr,
                                   input ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32OpenFile>(std::move(file));
}

std::vector<Text> Win32FileSystem::FixedDriveRoots() {
    std::vector<Text> roots;
    const DWORD drives = ::GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((drives & (1u << letter)) == 0) continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', L'\0'};
        if (::GetDriveTypeW(root) == DRIVE_FIXED) roots.push_back(FromWide(root, 3));
    }
    return roots;
}

}  // namespace dustvale::win32
