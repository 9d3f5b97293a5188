#pragma once

// The auto-empty setting and its file "AutoClean.cfg" beside the executable: one line of ANSI
// text ending in CR LF, either "OFF" or the threshold text as the user left it. A file an
// editor saved with a byte-order mark reads as its text (settings/SettingsText.h).

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/NumberedFiles.h"
#include "platform/Platform.h"
#include "platform/Types.h"

namespace dustvale {

// The number the settings file is opened as among the program's numbered files.
constexpr int kSettingsFileNumber = 1;

// The most of the settings file that is read: its first line is all that counts, and a file
// without end (a link to a device, a huge file) must not stall the program.
constexpr std::size_t kSettingsReadLimit = 64 * 1024;

// The setting's value that switches auto-empty off; compared exactly, letter case included.
inline const Text kAutoCleanOff = u"OFF";

// The setting stored beside the executable: the first line of the file, as stored, or "OFF"
// when there is no settings file or when the file holds nothing that can be read. The file is
// open as the program's file number 1 while it is read.
Text LoadAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder);

// Writes `value` and CR LF to the settings file, replacing what it held. False when the file
// could not be written.
bool SaveAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder,
                   const Text& value);

// The settings file's full path.
Text SettingsFilePath(const Text& appFolder);

// True when the Recycle Bin is to be emptied now: the setting is a threshold (see
// ReadThreshold) and the item count has reached it. Anything else never empties the bin: a
// word, a sign, a separator, a quote or an empty box must not turn every deletion into a
// lasting one. Only the low 32 bits of the count take part, as a signed number.
bool AutoEmptyDue(const Text& autoClean, std::uint64_t itemCount);

// The first line of a settings file's text: everything up to the first CR or LF.
Text FirstLine(const Text& contents);

// The threshold a setting's text holds: decimal digits alone, blanks (spaces and tabs) around
// them allowed. Nothing for any other text. A number too large for 64 bits reads as the
// largest one.
std::optional<std::uint64_t> ReadThreshold(const Text& text);

}  // namespace dustvale
