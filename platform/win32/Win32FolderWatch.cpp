#include "platform/win32/Win32FolderWatch.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <utility>

#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {
namespace {

// What the system may hold between two looks: more is reported as lost.
constexpr DWORD kBufferBytes = 64 * 1024;
constexpr DWORD kWatched =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE;
// How long the end of a cancelled read is waited for.
constexpr DWORD kEndWaitMs = 5000;

FolderChange::Action ActionOf(DWORD action) {
    switch (action) {
        case FILE_ACTION_ADDED:
            return FolderChange::Action::Added;
        case FILE_ACTION_REMOVED:
            return FolderChange::Action::Removed;
        case FILE_ACTION_RENAMED_OLD_NAME:
            return FolderChange::Action::RenamedFrom;
        case FILE_ACTION_RENAMED_NEW_NAME:
            return FolderChange::Action::RenamedTo;
        default:
            return FolderChange::Action::Modified;
    }
}

// How many finished reads one look takes at most: the system may finish the next one at once
// with what it kept meanwhile.
constexpr int kReadsPerLook = 16;

}  // namespace

struct Win32FolderWatch::PendingRead {
    OVERLAPPED overlapped{};
    std::uint64_t records[kBufferBytes / sizeof(std::uint64_t)];  // DWORD-aligned
};

std::unique_ptr<FolderWatch> Win32FolderWatch::Start(HANDLE folder) {
    unique_file reopened(::ReOpenFile(folder, FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED));
    unique_handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!reopened || !event) return nullptr;
    std::unique_ptr<Win32FolderWatch> watch(
        new Win32FolderWatch(std::move(reopened), std::move(event)));
    if (!watch->Arm()) return nullptr;
    return watch;
}

Win32FolderWatch::Win32FolderWatch(unique_file folder, unique_handle event)
    : folder_(std::move(folder)), event_(std::move(event)), read_(std::make_unique<PendingRead>()) {
    read_->overlapped.hEvent = event_.get();
}

Win32FolderWatch::~Win32FolderWatch() {
    if (!armed_) return;
    ::CancelIoEx(folder_.get(), &read_->overlapped);
    if (::WaitForSingleObject(event_.get(), kEndWaitMs) == WAIT_OBJECT_0) return;
    // Closing the folder's handle ends its watch for certain.
    folder_.reset();
    if (::WaitForSingleObject(event_.get(), kEndWaitMs) == WAIT_OBJECT_0) return;
    // A read that never ends may still write into its buffer and signal its event: both are
    // left to the process, which a few kilobytes do not hurt, rather than given back under
    // the system's feet.
    (void)read_.release();
    (void)event_.release();
}

bool Win32FolderWatch::Arm() {
    ::ResetEvent(event_.get());
    armed_ = ::ReadDirectoryChangesW(folder_.get(), read_->records, kBufferBytes, FALSE, kWatched,
                                     nullptr, &read_->overlapped, nullptr) != FALSE;
    return armed_;
}

std::optional<std::vector<FolderChange>> Win32FolderWatch::TakeChanges() {
    std::vector<FolderChange> changes;
    for (int read = 0; read < kReadsPerLook; ++read) {
        bool finished = false;
        std::optional<std::vector<FolderChange>> taken = TakeRead(finished);
        if (!taken) return std::nullopt;
        if (!finished) break;
        changes.insert(changes.end(), std::make_move_iterator(taken->begin()),
                       std::make_move_iterator(taken->end()));
    }
    return changes;
}

std::optional<std::vector<FolderChange>> Win32FolderWatch::TakeRead(bool& finished) {
    // A read that could not be armed last time lost whatever came meanwhile.
    if (!armed_) {
        Arm();
        return std::nullopt;
    }
    DWORD bytes = 0;
    if (!::GetOverlappedResult(folder_.get(), &read_->overlapped, &bytes, FALSE)) {
        if (::GetLastError() == ERROR_IO_INCOMPLETE) return std::vector<FolderChange>{};
        // ERROR_NOTIFY_ENUM_DIR: more than the buffer holds; ERROR_OPERATION_ABORTED: the
        // thread that armed it ended; anything else: the watch failed.
        Arm();
        return std::nullopt;
    }
    finished = true;
    armed_ = false;
    // Windows reports a full buffer as a read of nothing.
    std::optional<std::vector<FolderChange>> changes;
    if (bytes != 0) changes = Parse(bytes);
    Arm();
    return changes;
}

std::vector<FolderChange> Win32FolderWatch::Parse(DWORD bytes) const {
    std::vector<FolderChange> changes;
    // Wine packs the records without aligning them: each is copied out, never cast in place.
    const auto* base = reinterpret_cast<const std::byte*>(read_->records);
    constexpr std::size_t kNameAt = offsetof(FILE_NOTIFY_INFORMATION, FileName);
    const std::size_t size = bytes < kBufferBytes ? bytes : kBufferBytes;
    for (std::size_t at = 0; at + kNameAt <= size;) {
        FILE_NOTIFY_INFORMATION record;
        std::memcpy(&record, base + at, kNameAt);
        if (at + kNameAt + record.FileNameLength > size) break;
        FolderChange change;
        change.action = ActionOf(record.Action);
        change.name.resize(record.FileNameLength / sizeof(char16_t));
        std::memcpy(change.name.data(), base + at + kNameAt,
                    change.name.size() * sizeof(char16_t));
        changes.push_back(std::move(change));
        if (record.NextEntryOffset == 0) break;
        at += record.NextEntryOffset;
    }
    return changes;
}

}  // namespace dustvale::win32
