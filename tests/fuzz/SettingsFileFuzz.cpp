// The settings file with any bytes as its content. Reading leaves the file as it was and
// closes it; the setting read is "OFF" for a file without text, is the first line of the UTF-16
// text after a UTF-16 byte-order mark or else of the ANSI text (after a UTF-8 mark, if any),
// stores back and reads again as itself, and the auto-empty decision it gives never fails, is
// never due for anything but digits with blanks around them, and, once due, stays due for
// every larger item count.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/NumberedFiles.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimWindows.h"
#include "settings/SettingsFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace dustvale::fuzz {
namespace {

const Text kAppFolder = u"C:\\App";
const Text kSettingsPath = u"C:\\App\\AutoClean.cfg";

Text Load(sim::SimWindows& sim, NumberedFiles& table) {
    Platform platform = sim.platform();
    const Text value = LoadAutoClean(platform, table, kAppFolder);
    FUZZ_CHECK(sim.files().OpenFiles() == 0);
    FUZZ_CHECK(!table.IsOpen(kSettingsFileNumber));
    return value;
}

// A value the file keeps as it is: a line end would cut it.
bool StoresAsItself(const Text& value) { return value.find_first_of(u"\r\n") == Text::npos; }

// Digits with blanks (spaces and tabs) around them, and nothing else.
bool IsPlainNumber(const Text& value) {
    const std::size_t first = value.find_first_not_of(u" \t");
    if (first == Text::npos) return false;
    const std::size_t last = value.find_last_not_of(u" \t");
    for (std::size_t i = first; i <= last; ++i) {
        if (value[i] < u'0' || value[i] > u'9') return false;
    }
    return true;
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

// The text an editor meant by the bytes.
Text MeantText(sim::SimKernel& kernel, const std::string& bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (StartsWith(bytes, "\xFF\xFE")) return Utf16FromBytes(data + 2, bytes.size() - 2);
    if (StartsWith(bytes, "\xFE\xFF")) {
        std::string swapped = bytes.substr(2);
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) {
            std::swap(swapped[i], swapped[i + 1]);
        }
        const auto* units = reinterpret_cast<const std::uint8_t*>(swapped.data());
        return Utf16FromBytes(units, swapped.size());
    }
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return kernel.FromAnsi(bytes.substr(3));
    return kernel.FromAnsi(bytes);
}

// A value the dialog writes back in single bytes without a mark and reads again unchanged:
// nothing beyond the code page, and no letters that would read as a byte-order mark.
bool SurvivesAnsi(sim::SimKernel& kernel, const Text& value) {
    const std::string bytes = kernel.ToAnsi(value);
    return kernel.FromAnsi(bytes) == value && !StartsWith(bytes, "\xFF\xFE") &&
           !StartsWith(bytes, "\xFE\xFF") && !StartsWith(bytes, "\xEF\xBB\xBF");
}

void CheckDecision(const Text& value, std::uint32_t count) {
    const bool due = AutoEmptyDue(value, count);
    if (value == kAutoCleanOff || !IsPlainNumber(value)) {
        FUZZ_CHECK(!due);
        return;
    }
    // Counts compare as signed 32-bit numbers: the step from 0x7FFFFFFF wraps to negative.
    if (due && count != 0x7FFFFFFFu) FUZZ_CHECK(AutoEmptyDue(value, count + 1u));
    FUZZ_CHECK(AutoEmptyDue(value, std::uint64_t{count} + (std::uint64_t{1} << 32)) == due);
}

void CheckOne(const std::string& bytes) {
    sim::SimWindows sim;
    sim.files().AddFile(kSettingsPath, bytes);
    NumberedFiles table{sim.files()};

    const Text value = Load(sim, table);
    FUZZ_CHECK(sim.files().Contents(kSettingsPath) == bytes);
    FUZZ_CHECK(Load(sim, table) == value);  // nothing carries over from one read to the next
    const Text contents = MeantText(sim.kernel(), bytes);
    if (contents.empty()) {
        FUZZ_CHECK(value == kAutoCleanOff);
        return;
    }

    // The first line, as stored: it begins the text and ends at a line end or at the end.
    FUZZ_CHECK(value.find_first_of(u"\r\n") == Text::npos);
    FUZZ_CHECK(contents.compare(0, value.size(), value) == 0);
    FUZZ_CHECK(value.size() == contents.size() || contents[value.size()] == u'\r' ||
               contents[value.size()] == u'\n');

    std::uint32_t count = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) count = count << 8 | static_cast<std::uint8_t>(bytes[i]);
    CheckDecision(value, count);
    CheckDecision(value, count & 0xFFFFu);

    // Stored back from the dialog, the value comes back as itself.
    if (StoresAsItself(value) && SurvivesAnsi(sim.kernel(), value)) {
        Platform platform = sim.platform();
        SaveAutoClean(platform, table, kAppFolder, value);
        FUZZ_CHECK(sim.files().OpenFiles() == 0);
        FUZZ_CHECK(sim.files().Contents(kSettingsPath) == sim.kernel().ToAnsi(value) + "\r\n");
        FUZZ_CHECK(Load(sim, table) == value);
    }

    // A hidden settings file is not seen at all.
    sim.files().SetFileAttributes(kSettingsPath, attr::kHidden);
    FUZZ_CHECK(Load(sim, table) == kAutoCleanOff);
}

}  // namespace
}  // namespace dustvale::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dustvale::fuzz::CheckOne(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
