#include "clean/RefusedTempPaths.h"

#include <optional>
#include <vector>

#include "common/ApplicationPaths.h"
#include "common/LetterCase.h"
#include "common/PathRules.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

constexpr std::u16string_view kBackslash = u"\\";

bool IsDriveRoot(std::u16string_view path) {
    while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    return path.size() == 2 && path[1] == u':' && UpperLetter(path[0]) >= u'A' &&
           UpperLetter(path[0]) <= u'Z';
}

bool IsFullPath(std::u16string_view path) {
    const bool onDrive = path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
    const bool onShare = path.starts_with(u"\\\\");
    return onDrive || onShare;
}

// True when `path` names the same folder as `other` (either spelling, short or long).
bool SameFolder(FileSystem& files, const Text& path, const std::optional<Text>& other) {
    if (!other) return false;
    const Text a = RemoveTrailing(path, kBackslash);
    const Text b = RemoveTrailing(*other, kBackslash);
    if (b.empty()) return false;
    if (EqualsNoCase(a, b)) return true;
    const Text longA = NormalizePath(files, a);
    return !longA.empty() && EqualsNoCase(longA, NormalizePath(files, b));
}

// The ways `path` can be spelt that the file system tells apart: as given, in long names, and
// its final path, links resolved. None ends in "\".
std::vector<Text> Spellings(FileSystem& files, const Text& path) {
    std::vector<Text> spellings{RemoveTrailing(path, kBackslash)};
    if (Text normalized = NormalizePath(files, path); !normalized.empty()) {
        spellings.push_back(normalized);
    }
    if (auto entry = files.OpenEntry(path, 0, LinkAtEnd::Followed)) {
        if (std::optional<Text> final = entry->FinalPath()) {
            spellings.push_back(RemoveTrailing(*final, kBackslash));
        }
    }
    return spellings;
}

// True when `inner` is `outer` or lies below it.
bool IsSameOrBelow(const Text& inner, const Text& outer) {
    if (outer.empty() || inner.size() < outer.size()) return false;
    if (!EqualsNoCase(std::u16string_view(inner).substr(0, outer.size()), outer)) return false;
    return inner.size() == outer.size() || inner[outer.size()] == u'\\';
}

// True when `path`, in any of its spellings, is the program's folder or holds it.
bool HoldsProgramFolderAnyhow(FileSystem& files, const Text& path,
                              const std::vector<Text>& program) {
    for (const Text& spelling : Spellings(files, path)) {
        if (HoldsProgramFolder(spelling, program)) return true;
    }
    return false;
}

}  // namespace

std::vector<Text> ProgramFolderSpellings(const Platform& platform) {
    const Text program = ApplicationFolder(platform.kernel);
    if (program.empty()) return {};
    return Spellings(platform.files, program);
}

bool HoldsProgramFolder(const Text& folder, const std::vector<Text>& program) {
    const Text outer = RemoveTrailing(folder, kBackslash);
    for (const Text& inner : program) {
        if (IsSameOrBelow(inner, outer)) return true;
    }
    return false;
}

std::optional<TempPathRefusal> RefusalOf(const Platform& platform, const Text& path,
                                         const Text& windowsFolder,
                                         const std::vector<Text>& program) {
    if (path.empty()) return TempPathRefusal::NoTempPath;
    if (IsDriveRoot(path)) return TempPathRefusal::DriveRoot;
    if (!IsFullPath(path)) return TempPathRefusal::NotAFullPath;
    if (SameFolder(platform.files, path, windowsFolder)) return TempPathRefusal::WindowsFolder;
    if (SameFolder(platform.files, path, platform.kernel.UserProfileFolder())) {
        return TempPathRefusal::ProfileFolder;
    }
    if (HoldsProgramFolderAnyhow(platform.files, path, program)) {
        return TempPathRefusal::ProgramFolder;
    }
    return std::nullopt;
}

}  // namespace dustvale
