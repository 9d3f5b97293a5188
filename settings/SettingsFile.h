#pragma once

// The auto-empty setting and its file "AutoClean.cfg" beside the executable: one line of ANSI
// text ending in CR LF, either "OFF" or the threshold text as the user typed it. A file an
// editor saved with a byte-order mark reads as its text (settings/SettingsText.h).

#include <cstdint>
#include <optional>

#include "common/NumberedFiles.h"
#include "platform/Platform.h"
#include "platform/Types.h"

namespace dustvale {

// The number the settings file is opened as among the program's numbered files.
constexpr int kSettingsFileNumber = 1;

// The setting's value that switches auto-empty off; compared exactly, letter case included.
inline const Text kAutoCleanOff = u"OFF";

// The setting stored beside the executable, "OFF" when there is no settings file or when the
// file holds nothing that can be read. The file is open as the program's file number 1 while
// it is read.
Text LoadAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder);

// Writes `value` and CR LF to the settings file, replacing what it held. A failure to write is
// not reported: the running program keeps the value it loaded at start-up anyway.
void SaveAutoClean(Platform& platform, NumberedFiles& files, const Text& appFolder,
                   const Text& value);

// True when the Recycle Bin is to be emptied now: the setting is not "OFF", it is a number, and
// that number is at most the item count. A setting that holds no number (an empty box, a word,
// a typo) is never due: it must not turn every deletion into a lasting one. Only the low 32 bits
// of the count take part, as a signed number.
bool AutoEmptyDue(const Text& autoClean, std::uint64_t itemCount);

// The first field of a settings file's text: leading blanks skipped; a quoted field runs to
// the next double quote; otherwise the field ends at a comma, CR, LF or the end.
Text ReadField(const Text& contents);

// The numeric value of a threshold text: blanks, tabs and line feeds anywhere are ignored;
// an optional sign, digits with at most one decimal point and an optional exponent (E or D);
// or &H / &O followed by a hexadecimal / octal integer. Reading stops at the first character
// that cannot continue the number. Nothing when the text does not begin with a number.
std::optional<double> ReadNumber(const Text& text);

}  // namespace dustvale
