#pragma once

// The settings of automatic removal by age and by size, and of the question before Empty, in
// "Dustvale.ini" beside the executable. AutoClean.cfg keeps its exact bytes and meaning, since
// other builds read it; these settings live apart, as key=value lines in UTF-8:
//
//   EmptyOldItems=on            items deleted more than EmptyOldItemsDays days ago go
//   EmptyOldItemsDays=30        1 to 3650
//   KeepBinUnderSize=off        the oldest items go while the bin holds more than
//   BinSizeLimitMB=1024         this many megabytes (1 to 100,000,000)
//   AskBeforeEmptying=off       the menu's Empty asks first
//   TellAutomaticRemovals=off   a balloon says what an automatic removal took
//
// Keys are compared without regard to letter case; blanks around keys and values are ignored;
// lines the program does not know (other keys, comments, blank lines) are kept as they are
// when the file is written. A value that is not exactly as above reads as "off": a typo must
// never remove anything.

#include <cstdint>
#include <string>
#include <vector>

#include "common/NumberedFiles.h"
#include "platform/Platform.h"
#include "platform/Types.h"

namespace dustvale {

struct RemovalSettings {
    bool emptyOldItems = false;
    std::uint32_t oldItemDays = 30;
    bool keepBinUnderSize = false;
    std::uint64_t binSizeLimitMb = 1024;
    bool askBeforeEmptying = false;
    bool tellAutomaticRemovals = false;

    friend bool operator==(const RemovalSettings&, const RemovalSettings&) = default;
};

inline constexpr std::uint32_t kMinOldItemDays = 1;
inline constexpr std::uint32_t kMaxOldItemDays = 3650;
inline constexpr std::uint64_t kMinBinSizeLimitMb = 1;
inline constexpr std::uint64_t kMaxBinSizeLimitMb = 100'000'000;

// The file's lines as they were read, and the settings they hold.
class RemovalSettingsFile {
public:
    // Reads the file beside the executable (at most 64 KiB); no file, or one that cannot be
    // read, holds every setting off.
    static RemovalSettingsFile Load(Platform& platform, NumberedFiles& files,
                                    const Text& appFolder);
    // The settings the given text of a file holds (for the reading above, and for tests).
    static RemovalSettingsFile Parse(std::string_view bytes);

    const RemovalSettings& Settings() const { return settings_; }

    // Writes `settings`: the known keys' lines take the new values in place, missing keys are
    // added at the end, every other line stays. False when the file could not be written;
    // the lines kept then are those of the file as it was.
    bool Save(NumberedFiles& files, const Text& appFolder, const RemovalSettings& settings);
    // The bytes Save writes.
    std::string Render(const RemovalSettings& settings) const;

private:
    std::vector<std::string> lines_;  // without their line ends
    bool byteOrderMark_ = false;
    RemovalSettings settings_;
};

// The file's full path.
Text RemovalSettingsPath(const Text& appFolder);

}  // namespace dustvale
