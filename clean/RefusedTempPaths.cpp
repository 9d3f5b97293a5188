#include "clean/RefusedTempPaths.h"

#include <optional>

#include "clean/LetterCase.h"
#include "clean/PathRules.h"
#include "clean/TextRules.h"

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

}  // namespace

bool IsRefusedTempPath(const Platform& platform, const Text& path, const Text& windowsFolder) {
    return !IsFullPath(path) || IsDriveRoot(path) ||
           SameFolder(platform.files, path, windowsFolder) ||
           SameFolder(platform.files, path, platform.kernel.UserProfileFolder());
}

}  // namespace dustvale
