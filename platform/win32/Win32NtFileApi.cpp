#include "platform/win32/Win32NtFileApi.h"

#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/win32/Win32Convert.h"

namespace dustvale::win32 {
namespace {

// From the driver kit's ntifs.h / wdm.h: winternl.h does not carry them everywhere.
constexpr ULONG kFileOpen = 0x00000001;                   // FILE_OPEN
constexpr ULONG kSynchronousIoNonAlert = 0x00000020;      // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kOpenForBackupIntent = 0x00004000;        // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kOpenReparsePoint = 0x00200000;           // FILE_OPEN_REPARSE_POINT
constexpr ULONG kObjectCaseInsensitive = 0x00000040;      // OBJ_CASE_INSENSITIVE
constexpr int kFileInternalInformation = 6;               // FILE_INFORMATION_CLASS
constexpr int kFileRenameInformation = 10;                // FILE_INFORMATION_CLASS
constexpr int kObjectNameInformation = 1;                 // OBJECT_INFORMATION_CLASS
// A counted string holds at most 65,534 bytes: a name buffer this large fits any name.
constexpr std::size_t kLongestName = 0xFFFE;

using NtCreateFileFunction = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES,
                                              PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, ULONG,
                                              ULONG, ULONG, PVOID, ULONG);
using NtQueryInformationFileFunction = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                        FILE_INFORMATION_CLASS);
using NtSetInformationFileFunction = NtQueryInformationFileFunction;
using NtQueryObjectFunction = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG,
                                               PULONG);

void* LookUp(HMODULE ntdll, const char* name) {
    return ntdll == nullptr ? nullptr : reinterpret_cast<void*>(::GetProcAddress(ntdll, name));
}

}  // namespace

NtFileApi::NtFileApi() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    create_ = LookUp(ntdll, "NtCreateFile");
    query_ = LookUp(ntdll, "NtQueryInformationFile");
    set_ = LookUp(ntdll, "NtSetInformationFile");
    queryObject_ = LookUp(ntdll, "NtQueryObject");
}

unique_handle NtFileApi::OpenRelative(HANDLE folder, const Text& name, ACCESS_MASK access) const {
    // A counted string measures its length in bytes, in 16 bits.
    if (create_ == nullptr || name.empty() || name.size() > 0x7FFF) return unique_handle();
    UNICODE_STRING counted;
    counted.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    counted.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(name.data()));
    OBJECT_ATTRIBUTES object{};
    object.Length = sizeof(object);
    object.RootDirectory = folder;
    object.ObjectName = &counted;
    object.Attributes = kObjectCaseInsensitive;
    IO_STATUS_BLOCK status{};
    HANDLE opened = nullptr;
    const auto create = reinterpret_cast<NtCreateFileFunction>(create_);
    const NTSTATUS result =
        create(&opened, access, &object, &status, nullptr, 0,
               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileOpen,
               kOpenReparsePoint | kOpenForBackupIntent | kSynchronousIoNonAlert, nullptr, 0);
    return result >= 0 ? unique_handle(opened) : unique_handle();
}

std::optional<std::uint64_t> NtFileApi::FileNumber(HANDLE file) const {
    if (query_ == nullptr) return std::nullopt;
    LARGE_INTEGER number{};  // FILE_INTERNAL_INFORMATION: IndexNumber alone
    IO_STATUS_BLOCK status{};
    const auto query = reinterpret_cast<NtQueryInformationFileFunction>(query_);
    if (query(file, &status, &number, sizeof(number),
              static_cast<FILE_INFORMATION_CLASS>(kFileInternalInformation)) < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(number.QuadPart);
}

std::optional<Text> NtFileApi::ObjectName(HANDLE object) const {
    if (queryObject_ == nullptr) return std::nullopt;
    // 8-byte aligned, as the counted string at its start needs.
    std::vector<std::uint64_t> buffer(
        (sizeof(OBJECT_NAME_INFORMATION) + kLongestName + sizeof(wchar_t)) /
            sizeof(std::uint64_t) + 1);
    ULONG needed = 0;
    const auto query = reinterpret_cast<NtQueryObjectFunction>(queryObject_);
    if (query(object, static_cast<OBJECT_INFORMATION_CLASS>(kObjectNameInformation),
              buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t)),
              &needed) < 0) {
        return std::nullopt;
    }
    const auto* name = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data());
    if (name->Name.Buffer == nullptr || name->Name.Length == 0) return std::nullopt;
    return FromWide(name->Name.Buffer, name->Name.Length / sizeof(wchar_t));
}

bool NtFileApi::MoveInto(HANDLE entry, HANDLE folder, const Text& name) const {
    if (set_ == nullptr || name.empty() || name.size() > kLongestName / sizeof(wchar_t)) {
        return false;
    }
    // FILE_RENAME_INFORMATION, its name following it in the same block.
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<std::uint64_t> buffer(
        (offsetof(FILE_RENAME_INFO, FileName) + nameBytes) / sizeof(std::uint64_t) + 1);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, name.data(), nameBytes);
    IO_STATUS_BLOCK status{};
    const auto set = reinterpret_cast<NtSetInformationFileFunction>(set_);
    return set(entry, &status, rename, static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t)),
               static_cast<FILE_INFORMATION_CLASS>(kFileRenameInformation)) >= 0;
}

}  // namespace dustvale::win32
