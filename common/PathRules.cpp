#include "common/PathRules.h"

#include <algorithm>
#include <string_view>

#include "common/FolderListing.h"
#include "common/TextRules.h"

namespace dustvale {

namespace {

// "." and ".." (also spelt with more dots or trailing blanks) name a folder further up, not
// an entry of their own: Windows either finds nothing for them or the folder itself, whose
// name would then stand twice in the long path.
bool NamesNoEntry(std::u16string_view component) {
    return !component.empty() && component.find_first_not_of(u". ") == std::u16string_view::npos;
}

}  // namespace

bool PathExists(FileSystem& files, const Text& path) { return files.PathFileExists(path); }

Text NormalizePath(FileSystem& files, Text path) {
    std::erase(path, u'"');
    // Windows reads "/" as "\": split on it too, or a component before a "/" would drop out
    // of the result while the lookups still pass through it, naming another folder.
    std::replace(path.begin(), path.end(), u'/', u'\\');
    const Text p = EnsureTrailing(path, u"\\");
    // The first two characters are the drive. A backslash among them means there is none to
    // keep: such a path must not come back as one ending in "\" (an empty one as "\", the
    // root of whatever drive is current).
    if (p.substr(0, 2).find(u'\\') != Text::npos) return {};

    // The first three characters (a drive such as "C:\") are never looked up.
    constexpr std::size_t kFirstComponentEnd = 3;
    Text out;
    std::size_t start = kFirstComponentEnd;
    for (auto pos = p.find(u'\\', kFirstComponentEnd); pos != Text::npos;
         start = pos + 1, pos = p.find(u'\\', pos + 1)) {
        if (NamesNoEntry(std::u16string_view(p).substr(start, pos - start))) return {};
        const auto entry = LookUpEntry(files, p.substr(0, pos), mask::kAnyEntry);
        if (!entry) return {};
        out += u'\\';
        out += ProperCase(entry->name);
    }
    return ToUpperText(p.substr(0, 2)) + out;
}

}  // namespace dustvale
