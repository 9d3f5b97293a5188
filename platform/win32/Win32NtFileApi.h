#pragma once

// The native calls of ntdll that the file system needs and kernel32 does not offer: opening
// an entry relative to a folder's handle, reading a file's number on its volume and its
// object name, and moving an entry into a folder given by its handle. Looked up at run time,
// since not every tool chain has an import library for ntdll.

#include <cstdint>
#include <optional>

#include "platform/Types.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WindowsApi.h"

namespace dustvale::win32 {

class NtFileApi {
public:
    NtFileApi();  // looks the calls up in ntdll, which every process has loaded

    // NtCreateFile of the entry `name` (one name, or names separated by "\") relative to
    // the folder handle `folder` (RootDirectory), opened as itself (FILE_OPEN_REPARSE_POINT),
    // with `access`, sharing everything, for backup where the caller holds that privilege,
    // for synchronous use. Empty when it cannot be opened.
    unique_handle OpenRelative(HANDLE folder, const Text& name, ACCESS_MASK access) const;

    // NtQueryInformationFile(FileInternalInformation): the file's number on its volume, the
    // one a folder's listing gives as its FileId.
    std::optional<std::uint64_t> FileNumber(HANDLE file) const;

    // NtQueryObject(ObjectNameInformation): the object's name in the system's own namespace,
    // at any length ("\Device\HarddiskVolume3\..." on Windows, "\??\C:\..." under Wine);
    // nullopt when it has none.
    std::optional<Text> ObjectName(HANDLE object) const;

    // NtSetInformationFile(FileRenameInformation): moves the entry held by `entry` into the
    // folder `folder` (RootDirectory) under `name` (one name), not replacing an entry there.
    bool MoveInto(HANDLE entry, HANDLE folder, const Text& name) const;

private:
    void* create_ = nullptr;       // NtCreateFile
    void* query_ = nullptr;        // NtQueryInformationFile
    void* set_ = nullptr;          // NtSetInformationFile
    void* queryObject_ = nullptr;  // NtQueryObject
};

}  // namespace dustvale::win32
