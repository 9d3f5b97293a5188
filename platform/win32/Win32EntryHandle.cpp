#include "platform/win32/Win32EntryHandle.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32FolderWatch.h"

namespace dustvale::win32 {
namespace {

static_assert(rights::kListDirectory == FILE_LIST_DIRECTORY && rights::kReadData == FILE_READ_DATA &&
                  rights::kWriteAttributes == FILE_WRITE_ATTRIBUTES && rights::kDelete == DELETE,
              "the program's rights are Windows' own numbers");

// FileDispositionInfoEx and its flags, from Windows 10 1607 and 1809 on; the headers show them
// only to programs that require those versions.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x00000001;          // FILE_DISPOSITION_FLAG_DELETE
constexpr DWORD kDispositionPosix = 0x00000002;           // ..._POSIX_SEMANTICS
constexpr DWORD kDispositionIgnoreReadOnly = 0x00000010;  // ..._IGNORE_READONLY_ATTRIBUTE
struct DispositionInfoEx {
    DWORD flags;
};

constexpr std::size_t kListingBytes = 64 * 1024;

// The answers of a system that does not know the call, a flag or POSIX semantics on this
// volume, rather than a refusal of this deletion.
bool NotKnown(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION;
}

// The DOS path within an object name as Wine gives it ("\??\C:\..." or "\??\UNC\..."),
// the name GetFinalPathNameByHandleW itself makes its result from there; nullopt for a name
// in Windows' device namespace ("\Device\HarddiskVolume3\..."), which names no drive.
std::optional<Text> DosPathIn(const Text& objectName) {
    constexpr std::u16string_view kDos = u"\\??\\";
    constexpr std::u16string_view kUnc = u"\\??\\UNC\\";
    if (objectName.starts_with(kUnc)) return u"\\\\" + objectName.substr(kUnc.size());
    if (!objectName.starts_with(kDos)) return std::nullopt;
    Text path = objectName.substr(kDos.size());
    const bool drive = path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
    return drive ? std::optional<Text>(std::move(path)) : std::nullopt;
}

bool IsOneName(const Text& name) {
    return !name.empty() && name != u"." && name != u".." &&
           name.find_first_of(u"\\/") == Text::npos;
}

}  // namespace

ACCESS_MASK AccessFor(std::uint32_t rights) {
    return static_cast<ACCESS_MASK>(rights) | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
}

Win32EntryHandle::Win32EntryHandle(unique_handle handle,
                                   std::shared_ptr<EntryHandleContext> context)
    : handle_(std::move(handle)), context_(std::move(context)) {}

std::optional<EntryInfo> Win32EntryHandle::Info() {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(handle_.get(), FileAttributeTagInfo, &tag, sizeof(tag))) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> number = context_->nt.FileNumber(handle_.get());
    if (!number) return std::nullopt;
    EntryInfo info;
    info.attributes = tag.FileAttributes;
    info.reparseTag = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? tag.ReparseTag : 0;
    info.fileId = *number;
    return info;
}

std::optional<EntryTimes> Win32EntryHandle::Times() {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(handle_.get(), FileBasicInfo, &basic, sizeof(basic))) {
        return std::nullopt;
    }
    EntryTimes times;
    times.lastWrite = static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart);
    times.change = static_cast<std::uint64_t>(basic.ChangeTime.QuadPart);
    return times;
}

std::optional<Text> Win32EntryHandle::FinalPath() {
    // Under Wine the object's name is the final path; elsewhere GetFinalPathNameByHandleW.
    using ObjectNames = EntryHandleContext::ObjectNames;
    if (context_->objectNames != ObjectNames::DevicePaths) {
        const std::optional<Text> name = context_->nt.ObjectName(handle_.get());
        std::optional<Text> path = name ? DosPathIn(*name) : std::nullopt;
        if (name) context_->objectNames = path ? ObjectNames::DosPaths : ObjectNames::DevicePaths;
        if (context_->objectNames == ObjectNames::DosPaths) return path;
    }
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = 0;
    // The first call reports the size it needs (NUL included) when the buffer is too short.
    for (int attempt = 0; attempt < 2; ++attempt) {
        length = ::GetFinalPathNameByHandleW(handle_.get(), buffer.data(),
                                             static_cast<DWORD>(buffer.size()), kFlags);
        if (length == 0) return std::nullopt;
        if (length < buffer.size()) break;
        buffer.assign(length, L'\0');
    }
    if (length >= buffer.size()) return std::nullopt;
    Text result = FromWide(buffer.data(), length);
    if (result.starts_with(u"\\\\?\\UNC\\")) return u"\\\\" + result.substr(8);
    if (result.starts_with(u"\\\\?\\")) return result.substr(4);
    return result;
}

bool Win32EntryHandle::Fetch() {
    if (buffer_.empty()) buffer_.resize(kListingBytes / sizeof(std::uint64_t));
    const FILE_INFO_BY_HANDLE_CLASS kind =
        restart_ ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
    if (!::GetFileInformationByHandleEx(handle_.get(), kind, buffer_.data(),
                                        static_cast<DWORD>(kListingBytes))) {
        // ERROR_NO_MORE_FILES at the end; any other error ends the listing as well.
        ended_ = true;
        return false;
    }
    restart_ = false;
    next_ = 0;
    batchLeft_ = true;
    return true;
}

bool Win32EntryHandle::ReadDirectory(DirectoryEntry& entry) {
    if (!batchLeft_ && (ended_ || !Fetch())) return false;
    const auto* bytes = reinterpret_cast<const std::byte*>(buffer_.data());
    constexpr std::size_t kNameAt = offsetof(FILE_ID_BOTH_DIR_INFO, FileName);
    FILE_ID_BOTH_DIR_INFO record;
    if (next_ + kNameAt > kListingBytes) {
        ended_ = true;
        batchLeft_ = false;
        return false;
    }
    std::memcpy(&record, bytes + next_, kNameAt);
    const std::size_t nameBytes = record.FileNameLength;
    if (next_ + kNameAt + nameBytes > kListingBytes) {
        ended_ = true;
        batchLeft_ = false;
        return false;
    }
    entry.name.resize(nameBytes / sizeof(char16_t));
    std::memcpy(entry.name.data(), bytes + next_ + kNameAt, entry.name.size() * sizeof(char16_t));
    entry.attributes = record.FileAttributes;
    entry.fileId = static_cast<std::uint64_t>(record.FileId.QuadPart);
    entry.size = (record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                     ? 0
                     : static_cast<std::uint64_t>(record.EndOfFile.QuadPart);
    if (record.NextEntryOffset == 0) {
        batchLeft_ = false;
    } else {
        next_ += record.NextEntryOffset;
    }
    return true;
}

std::optional<std::string> Win32EntryHandle::Read(std::size_t limit) {
    std::string bytes;
    while (bytes.size() < limit) {
        constexpr std::size_t kChunk = 64 * 1024;
        const std::size_t done = bytes.size();
        const DWORD wanted = static_cast<DWORD>(std::min(limit - done, kChunk));
        bytes.resize(done + wanted);
        DWORD read = 0;
        if (!::ReadFile(handle_.get(), bytes.data() + done, wanted, &read, nullptr)) {
            return std::nullopt;
        }
        bytes.resize(done + read);
        if (read == 0) break;  // the end of the file
    }
    return bytes;
}

void Win32EntryHandle::RestartDirectory() {
    restart_ = true;
    ended_ = false;
    batchLeft_ = false;
}

std::unique_ptr<EntryHandle> Win32EntryHandle::OpenChild(const Text& name, std::uint32_t rights) {
    if (!IsOneName(name)) return nullptr;
    unique_handle child = context_->nt.OpenRelative(handle_.get(), name, AccessFor(rights));
    if (!child) return nullptr;
    return std::make_unique<Win32EntryHandle>(std::move(child), context_);
}

std::unique_ptr<EntryHandle> Win32EntryHandle::OpenBelow(const Text& path, std::uint32_t rights) {
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(u'\\', start);
        if (!IsOneName(path.substr(start, end == Text::npos ? Text::npos : end - start))) {
            return nullptr;
        }
        if (end == Text::npos) break;
        start = end + 1;
    }
    unique_handle entry = context_->nt.OpenRelative(handle_.get(), path, AccessFor(rights));
    if (!entry) return nullptr;
    return std::make_unique<Win32EntryHandle>(std::move(entry), context_);
}

std::unique_ptr<FolderWatch> Win32EntryHandle::Watch() {
    return Win32FolderWatch::Start(handle_.get());
}

bool Win32EntryHandle::SetAttributes(std::uint32_t attributes) {
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    // Attributes of 0 would mean "unchanged" here; FILE_ATTRIBUTE_NORMAL alone clears them.
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return ::SetFileInformationByHandle(handle_.get(), FileBasicInfo, &basic, sizeof(basic)) !=
           FALSE;
}

bool Win32EntryHandle::MoveInto(EntryHandle& folder, const Text& name) {
    auto* into = dynamic_cast<Win32EntryHandle*>(&folder);
    if (into == nullptr || !IsOneName(name)) return false;
    return context_->nt.MoveInto(handle_.get(), into->handle_.get(), name);
}

bool Win32EntryHandle::Delete() {
    if (!context_->posixDeletionRefused) {
        DispositionInfoEx posix{kDispositionDelete | kDispositionPosix |
                                kDispositionIgnoreReadOnly};
        if (::SetFileInformationByHandle(handle_.get(), kFileDispositionInfoEx, &posix,
                                         sizeof(posix))) {
            return true;
        }
        if (!NotKnown(::GetLastError())) return false;
        context_->posixDeletionRefused = true;
    }
    // Its one member is named after DeleteFileW by the headers' macros.
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition,
                                        sizeof(disposition)) != FALSE;
}

}  // namespace dustvale::win32
