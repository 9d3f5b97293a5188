#pragma once

// Small file chores for the contract suites and fixtures, done through the platform itself.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace dustvale::contract {

inline bool WriteFile(FileSystem& files, const Text& path, std::string_view bytes) {
    std::unique_ptr<OpenFile> file = files.Open(path, FileMode::Output);
    return file && file->Write(bytes);
}

inline std::optional<std::string> ReadFile(FileSystem& files, const Text& path) {
    std::unique_ptr<OpenFile> file = files.Open(path, FileMode::Input);
    if (!file) return std::nullopt;
    return file->ReadAll();
}

// The names a search delivers, in order; nullopt when the search cannot be opened.
inline std::optional<std::vector<Text>> List(FileSystem& files, const Text& pattern) {
    FindData entry;
    std::unique_ptr<FileSearch> search = files.FindFirstFile(pattern, entry);
    if (!search) return std::nullopt;
    std::vector<Text> names{entry.name};
    while (search->Next(entry)) names.push_back(entry.name);
    return names;
}

inline std::optional<FindData> FindOne(FileSystem& files, const Text& path) {
    FindData entry;
    if (!files.FindFirstFile(path, entry)) return std::nullopt;
    return entry;
}

// Removes `folder` with everything in it, read-only and hidden entries included; links are
// removed, never followed. Returns whether the folder is gone.
inline bool RemoveTree(FileSystem& files, const Text& folder) {
    std::vector<FindData> entries;
    {
        FindData entry;
        std::unique_ptr<FileSearch> search = files.FindFirstFile(folder + u"\\*", entry);
        if (search) {
            do {
                if (entry.name != u"." && entry.name != u"..") entries.push_back(entry);
            } while (search->Next(entry));
        }
    }
    for (const FindData& entry : entries) {
        const Text path = folder + u"\\" + entry.name;
        files.SetFileAttributes(path, attr::kNormal);
        if (!(entry.attributes & attr::kDirectory))
            files.DeleteFile(path);
        else if (entry.attributes & attr::kReparsePoint)
            files.RemoveDirectory(path);
        else
            RemoveTree(files, path);
    }
    files.SetFileAttributes(folder, attr::kNormal);
    return files.RemoveDirectory(folder) || !files.PathFileExists(folder);
}

}  // namespace dustvale::contract
