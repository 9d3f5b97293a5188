// NormalizePath with any path against a machine with 8.3 aliases and links. The result is
// empty (some component does not exist, or no drive), the short-text answer (the first two
// characters in upper case when there is nothing to look up), or a drive followed by stored
// names only; it never ends in a backslash.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>

#include "common/PathRules.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/PathScene.h"

namespace dustvale::fuzz {
namespace {

// Each lookup adds a backslash and one stored name; no name in the scene is longer.
constexpr std::size_t kLongestSceneName = 64;

bool IsDriveLetter(char16_t c) { return c >= u'A' && c <= u'Z'; }

// "X:" followed by one or more "\name", every name one the file system stores, none empty,
// none with a wildcard, none "." or "..".
bool IsNormalisedPath(const Text& path, const std::set<Text>& names) {
    if (path.size() < 4 || !IsDriveLetter(path[0]) || path[1] != u':' || path[2] != u'\\') {
        return false;
    }
    std::size_t start = 3;
    while (true) {
        const std::size_t end = path.find(u'\\', start);
        const Text name = path.substr(start, end == Text::npos ? Text::npos : end - start);
        if (name.empty() || name.find_first_of(u"*?\"") != Text::npos) return false;
        if (!names.contains(name)) return false;
        if (end == Text::npos) return true;
        start = end + 1;
    }
}

void CheckOne(sim::SimFileSystem& files, const std::set<Text>& names, const Text& input) {
    const Text result = NormalizePath(files, input);
    FUZZ_CHECK(files.OpenSearches() == 0);
    if (result.empty()) return;

    const std::size_t separators = static_cast<std::size_t>(std::count(input.begin(), input.end(), u'\\')) + 1;
    FUZZ_CHECK(result.size() <= 2 + separators * (1 + kLongestSceneName));
    FUZZ_CHECK(result.back() != u'\\');
    FUZZ_CHECK(result.size() >= 2);
    if (result.size() == 2) return;  // the short-text answer: nothing was looked up
    FUZZ_CHECK(IsNormalisedPath(result, names));
    // It names the entry the input named, so something stands there.
    if (result.size() < 260) FUZZ_CHECK(files.PathFileExists(result));

    // Names compare without regard to letter case: the same path in capitals is the same.
    FUZZ_CHECK(NormalizePath(files, AsciiUpper(input)) == result);
    // A normalised path is its own normal form, unless the long names made it too long
    // for the file system to look up again.
    if (result.size() < 250) {
        FUZZ_CHECK(NormalizePath(files, result) == result);
    }
}

}  // namespace
}  // namespace dustvale::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dustvale;
    sim::SimFileSystem files;
    fuzz::BuildPathScene(files);
    const auto names = fuzz::SceneNamesInProperCase(files);
    fuzz::CheckOne(files, names, fuzz::PathTextFromBytes(data, size));
    return 0;
}
