// The file-exists test with any pattern. It never fails, closes every search it
// opens, ignores letter case, and a "yes" for a plain name means a file or folder that is
// neither hidden nor system stands there.

#include <cstddef>
#include <cstdint>
#include <exception>

#include "common/FileExists.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/PathScene.h"

namespace dustvale::fuzz {
namespace {

bool Answer(sim::SimFileSystem& files, const Text& pattern) {
    bool exists = false;
    try {
        exists = FileExists(files, pattern);
    } catch (...) {
        FUZZ_CHECK(!"FileExists let an exception out");
    }
    FUZZ_CHECK(files.OpenSearches() == 0);
    return exists;
}

void CheckOne(sim::SimFileSystem& files, const Text& pattern) {
    const bool exists = Answer(files, pattern);
    FUZZ_CHECK(Answer(files, AsciiUpper(pattern)) == exists);
    if (!exists) return;

    if (pattern.find_first_of(u"*?<>\"") == Text::npos) {
        const auto attributes = files.GetFileAttributes(pattern);
        FUZZ_CHECK(attributes.has_value());
        FUZZ_CHECK((*attributes & (attr::kHidden | attr::kSystem)) == 0);
    }
    // What a name finds, the folder's every-name pattern finds too.
    const std::size_t cut = pattern.find_last_of(u"\\/");
    FUZZ_CHECK(cut != Text::npos);
    FUZZ_CHECK(Answer(files, pattern.substr(0, cut + 1) + u"*"));
}

}  // namespace
}  // namespace dustvale::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dustvale;
    sim::SimFileSystem files;
    fuzz::BuildPathScene(files);
    fuzz::CheckOne(files, fuzz::PathTextFromBytes(data, size));
    return 0;
}
