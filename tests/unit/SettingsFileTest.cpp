#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimWindows.h"
#include "settings/SettingsFile.h"

namespace dustvale {
namespace {

const Text kFolder = u"C:\\Program Files\\Dustvale";
const Text kFile = u"C:\\Program Files\\Dustvale\\AutoClean.cfg";

// For messages of failed checks: the text with every code unit cut to a byte.
std::string Narrow(const Text& text) {
    std::string narrow;
    for (char16_t c : text) narrow += static_cast<char>(c);
    return narrow;
}

struct DueCase {
    const char16_t* autoClean;
    std::uint64_t items;
    bool due;
};

TEST(SettingsFile, OnlyAPlainNumberEverEmptiesTheBin) {
    const DueCase cases[] = {
        {u"OFF", 0, false},
        {u"OFF", 1000000, false},
        {u"15", 14, false},
        {u"15", 15, true},  // N items or more, not more than N
        {u"15", 16, true},
        {u"0", 0, true},
        {u"007", 7, true},
        {u" 15 ", 15, true},  // blanks around the digits
        {u"\t15\t", 15, true},
        {u"99999999999999999999999", 0x7FFFFFFFull, false},  // beyond 64 bits
        // Anything but digits never empties, however it begins: pasted separators, signs,
        // hexadecimal, units, quotes, letters, digits of other scripts, blanks inside.
        {u"1,000", 1000000, false},
        {u"1.000", 1000000, false},
        {u"2,500", 1000000, false},
        {u"2.5", 1000000, false},
        {u"0x10", 1000000, false},
        {u"-0", 1000000, false},
        {u"-1", 1000000, false},
        {u"+4", 1000000, false},
        {u"3 files", 1000000, false},
        {u"\"7\"", 1000000, false},
        {u"1 5", 1000000, false},
        {u"1e3", 1000000, false},
        {u"&H1F", 1000000, false},
        {u"off", 1000000, false},
        {u"", 1000000, false},  // an empty threshold box stored
        {u"   ", 1000000, false},
        {u"l5", 1000000, false},  // a letter l for the digit 1
        {u"\x0661", 1000000, false},
        // Only the low 32 bits of the count take part, as a signed number.
        {u"15", 0x10000000Full, true},
        {u"15", 0x100000000ull, false},
        {u"1", 0xFFFFFFFFull, false},  // -1
        {u"2147483647", 0x7FFFFFFFull, true},
        {u"1", 0x80000000ull, false},  // -2147483648
    };
    for (const DueCase& c : cases) {
        EXPECT_EQ(AutoEmptyDue(c.autoClean, c.items), c.due)
            << Narrow(c.autoClean) << " / " << c.items;
    }
    EXPECT_EQ(AutoEmptyDue(Text(u"15\0", 3), 1000000), false) << "a NUL after the digits";
}

class SettingsFileOnDisk : public ::testing::Test {
protected:
    sim::SimWindows sim;
    Platform platform = sim.platform();
    NumberedFiles files{platform.files};
};

TEST_F(SettingsFileOnDisk, NoFileReadsOffAndCreatesNothing) {
    EXPECT_EQ(LoadAutoClean(platform, files, kFolder), u"OFF");
    EXPECT_FALSE(sim.files().Exists(kFile));
}

TEST_F(SettingsFileOnDisk, LoadReadsTheFirstLineAsStored) {
    const struct {
        std::string bytes;
        Text loaded;
    } cases[] = {
        {"15\r\n", u"15"},
        {"OFF\r\n", u"OFF"},
        {"off\r\n", u"off"},
        {"\r\n", u""},
        {"  20\r\n", u"  20"},
        {"\"7\"\r\n", u"\"7\""},  // read as the running program stored it: never due
        {"1,000\r\n", u"1,000"},
        {"abc\rdef", u"abc"},  // a lone CR ends the line
        {"abc\ndef", u"abc"},  // and so does a lone LF
        {"\xE9t\xE9\r\n", u"\u00E9t\u00E9"},  // ANSI, Windows-1252 here
        {"7", u"7"},
    };
    for (const auto& c : cases) {
        sim.files().AddFile(kFile, c.bytes);
        EXPECT_EQ(LoadAutoClean(platform, files, kFolder), c.loaded) << c.bytes;
        EXPECT_TRUE(sim.files().DeleteFile(kFile));
    }
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
    EXPECT_EQ(sim.files().OpenSearches(), 0u);
}

TEST_F(SettingsFileOnDisk, AByteOrderMarkIsReadAsAnEditorMeantIt) {
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::string bytes;
        Text loaded;
    } cases[] = {
        {"UTF-8", "\xEF\xBB\xBF" "15\r\n", u"15"},
        {"UTF-8, quoted", "\xEF\xBB\xBF" "\"1,5\"\r\n", u"\"1,5\""},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", u"OFF"},
        {"UTF-8, then ANSI as ever", "\xEF\xBB\xBF" "\xE9\r\n", u"\u00E9"},
        {"UTF-16 little-endian", "\xFF\xFE" "1\0" "5\0" "\r\0\n\0"s, u"15"},
        {"UTF-16 big-endian", "\xFE\xFF" "\0" "1\0" "5\0\r\0\n"s, u"15"},
        {"UTF-16, OFF", "\xFF\xFE" "O\0F\0F\0"s, u"OFF"},
        {"UTF-16, letters beyond ANSI", "\xFF\xFE" "\x32\x04" "2\0"s, u"\u04322"},
        {"UTF-16, blanks and a comma", "\xFF\xFE" " \0" "7\0" ",\0" "9\0"s, u" 7,9"},
        {"UTF-16 mark alone", "\xFF\xFE", u"OFF"},
        {"UTF-16, an odd last byte dropped", "\xFF\xFE" "1\0" "5\0" "\r"s, u"15"},
        {"UTF-16, half a code unit only", "\xFE\xFF" "1", u"OFF"},
        {"UTF-16, a lone surrogate and a NUL", "\xFF\xFE" "\x00\xD8" "\0\0" "4\0"s,
         u"\xD800"s u"\0" u"4"s},
        {"a mark after a blank is text", " \xEF\xBB\xBF" "15", u" \u00EF\u00BB\u00BF" u"15"},
        {"half a UTF-8 mark is text", "\xEF\xBB" "15", u"\u00EF\u00BB" u"15"},
    };
    for (const auto& c : cases) {
        sim.files().AddFile(kFile, c.bytes);
        EXPECT_EQ(LoadAutoClean(platform, files, kFolder), c.loaded) << c.what;
        EXPECT_TRUE(sim.files().DeleteFile(kFile));
    }
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

TEST_F(SettingsFileOnDisk, AFileWithoutBytesOrThatCannotBeReadIsOff) {
    sim.files().AddFile(kFile, "");
    EXPECT_EQ(LoadAutoClean(platform, files, kFolder), u"OFF");

    sim.files().AddFile(kFile, "15\r\n");
    sim.files().SetInUse(kFile, true);
    EXPECT_EQ(LoadAutoClean(platform, files, kFolder), u"OFF");
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

TEST_F(SettingsFileOnDisk, AFolderInTheFilesPlaceIsOff) {
    sim.files().AddFolder(kFile);
    EXPECT_EQ(LoadAutoClean(platform, files, kFolder), u"OFF");
}

TEST_F(SettingsFileOnDisk, HiddenOrSystemSettingsFileCountsAsAbsent) {
    for (std::uint32_t attributes : {attr::kHidden, attr::kSystem, attr::kHidden | attr::kSystem}) {
        sim.files().AddFile(kFile, "15\r\n", attributes | attr::kArchive);
        EXPECT_EQ(LoadAutoClean(platform, files, kFolder), u"OFF") << attributes;
        ASSERT_TRUE(sim.files().SetFileAttributes(kFile, attr::kArchive));
        EXPECT_EQ(LoadAutoClean(platform, files, kFolder), u"15");
        ASSERT_TRUE(sim.files().DeleteFile(kFile));
    }
}

TEST_F(SettingsFileOnDisk, SaveWritesTheTextAndCrLfOnly) {
    const struct {
        Text value;
        std::string bytes;
    } cases[] = {
        {u"OFF", "OFF\r\n"},
        {u"15", "15\r\n"},
        {u"", "\r\n"},
        {u" 2 5 x", " 2 5 x\r\n"},            // exactly as the user left it
        {u"\u00E9", "\xE9\r\n"},              // ANSI
        {u"\u4E2D", "?\r\n"},                 // not in the code page
    };
    sim.files().AddFile(kFile, "a much longer earlier content\r\n");
    for (const auto& c : cases) {
        SaveAutoClean(platform, files, kFolder, c.value);
        EXPECT_EQ(sim.files().Contents(kFile), c.bytes);
    }
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

TEST_F(SettingsFileOnDisk, SavedSettingReadsBack) {
    for (const Text value : {u"OFF", u"15", u"", u"20 files", u"2.5"}) {
        SaveAutoClean(platform, files, kFolder, value);
        EXPECT_EQ(LoadAutoClean(platform, files, kFolder), value);
    }
}

TEST_F(SettingsFileOnDisk, ExecutableInADrivesRootUsesTheRootFolder) {
    SaveAutoClean(platform, files, u"C:\\", u"15");
    EXPECT_EQ(sim.files().Contents(u"C:\\AutoClean.cfg"), "15\r\n");
    EXPECT_EQ(LoadAutoClean(platform, files, u"C:\\"), u"15");
}

TEST_F(SettingsFileOnDisk, AFailedSaveIsReportedAndLeavesTheFileAsItWas) {
    sim.files().AddFile(kFile, "OFF\r\n", attr::kReadOnly);
    EXPECT_FALSE(SaveAutoClean(platform, files, kFolder, u"15"));
    EXPECT_EQ(sim.files().Contents(kFile), "OFF\r\n");
    EXPECT_FALSE(SaveAutoClean(platform, files, u"Q:\\nowhere", u"15"));
    EXPECT_TRUE(SaveAutoClean(platform, files, u"C:\\", u"15"));
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

TEST_F(SettingsFileOnDisk, AFileWithoutEndIsReadOnlyAsFarAsTheBound) {
    // What lies beyond the bound changes nothing: here a word that would make the line no number.
    sim.files().AddFile(kFile, "15" + std::string(kSettingsReadLimit, ' ') + "files\r\n");
    const Text loaded = LoadAutoClean(platform, files, kFolder);
    EXPECT_EQ(loaded.size(), kSettingsReadLimit);
    EXPECT_TRUE(AutoEmptyDue(loaded, 15));

    // A link to a device: it never ends, and the program must not read it to its end.
    sim.files().AddEndlessFile(kFile, std::string(1, '\0'));
    const Text endless = LoadAutoClean(platform, files, kFolder);
    EXPECT_EQ(endless, Text(kSettingsReadLimit, u'\0'));
    EXPECT_FALSE(AutoEmptyDue(endless, 1000000));
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

}  // namespace
}  // namespace dustvale
