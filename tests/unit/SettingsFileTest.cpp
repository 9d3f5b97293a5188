#include <gtest/gtest.h>

#include <cmath>
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

struct FieldCase {
    const char16_t* contents;
    const char16_t* field;
};

TEST(SettingsFile, ReadFieldTakesTheFirstFieldOfTheFirstLine) {
    const FieldCase cases[] = {
        {u"15\r\n", u"15"},
        {u"OFF\r\n", u"OFF"},
        {u"\r\n", u""},
        {u"", u""},
        {u"   20\r\n", u"20"},             // leading blanks skipped
        {u"12 34 \r\n", u"12 34 "},        // inner and trailing blanks kept
        {u"\t7\r\n", u"\t7"},              // only blanks are skipped, not tabs
        {u"1,5\r\n", u"1"},                // a comma ends the field
        {u"abc\rdef", u"abc"},             // so does a lone CR
        {u"abc\ndef", u"abc"},             // and a lone LF
        {u"no line end", u"no line end"},  // and the end of the file
        {u"\"1,5\"\r\n", u"1,5"},          // quotes keep commas
        {u"  \"a\"b,c\r\n", u"a"},         // the text between the first two quotes
        {u"\"two\r\nlines\"", u"two\r\nlines"},
        {u"\"open to the end", u"open to the end"},
        {u"x\"y\"\r\n", u"x\"y\""},  // a quote later in the field is an ordinary character
    };
    for (const FieldCase& c : cases) {
        EXPECT_EQ(ReadField(c.contents), Text(c.field)) << Narrow(c.contents);
    }
}

struct NumberCase {
    const char16_t* text;
    std::optional<double> value;  // nothing: the text does not begin with a number
};

TEST(SettingsFile, ReadNumberReadsTheLeadingNumber) {
    const NumberCase cases[] = {
        {u"15", 15},
        {u" 20 items", 20},
        {u"1 5", 15},           // blanks anywhere are ignored
        {u"\t1\n2 3", 123},     // tabs and line feeds too
        {u"1\r2", 1},           // a CR is not a blank: it ends the number
        {u"1.5", 1.5},
        {u"2.5", 2.5},
        {u".5", 0.5},
        {u"5.", 5},
        {u"1.2.3", 1.2},        // one decimal point only
        {u"-3", -3},
        {u"+4", 4},
        {u"- 7", -7},
        {u"--1", std::nullopt},
        {u"1e3", 1000},
        {u"1E3", 1000},
        {u"1D2", 100},
        {u"1d2", 100},
        {u"2.5E-1", 0.25},
        {u"3e+2", 300},
        {u"1e", 1},             // an exponent letter without digits adds nothing
        {u"1e+", 1},
        {u"12abc", 12},
        {u"1,5", 1},
        {u"&H1F", 31},
        {u"&hff", 255},
        {u"& H 1 F", 31},
        {u"&O17", 15},
        {u"&o8", std::nullopt},  // 8 is no octal digit
        {u"&H", std::nullopt},
        {u"&X1", std::nullopt},
        {u"&", std::nullopt},
        {u"", std::nullopt},
        {u"   ", std::nullopt},
        {u"OFF", std::nullopt},
        {u"off", std::nullopt},
        {u"abc12", std::nullopt},
        {u"e5", std::nullopt},
        {u".", std::nullopt},
        {u"-", std::nullopt},
        {u"1e-400", 0},
        {u"0e99999999999999999999", 0},
        {u"\x0661", std::nullopt},  // digits of other scripts are not digits here
    };
    for (const NumberCase& c : cases) {
        const std::optional<double> value = ReadNumber(c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value()) << Narrow(c.text);
        if (value) {
            EXPECT_DOUBLE_EQ(*value, *c.value) << Narrow(c.text);
        }
    }
}

TEST(SettingsFile, ReadNumberOverflowsToInfinityWithoutFailing) {
    EXPECT_TRUE(std::isinf(ReadNumber(u"1e400").value()));
    EXPECT_TRUE(std::isinf(ReadNumber(u"1e99999999999999999999").value()));
    EXPECT_TRUE(std::isinf(ReadNumber(Text(400, u'9')).value()));
    EXPECT_LT(ReadNumber(u"-1e400").value(), 0);
    EXPECT_EQ(ReadNumber(u"0." + Text(400, u'0') + u"1").value(), 0);
}

struct DueCase {
    const char16_t* autoClean;
    std::uint64_t items;
    bool due;
};

TEST(SettingsFile, AutoEmptyDueWhenTheCountReachesTheThreshold) {
    const DueCase cases[] = {
        {u"OFF", 0, false},
        {u"OFF", 1000000, false},
        // No number, never due: not "OFF", but no threshold either.
        {u"off", 1000000, false},
        {u"Off", 0, false},
        {u"", 1000000, false},  // an empty threshold box stored
        {u"l5", 1000000, false},  // a letter l for the digit 1
        {u"abc", 1000000, false},
        {u"1,000", 1, true},  // a number, up to its comma
        {u"15", 14, false},
        {u"15", 15, true},   // N items or more, not more than N
        {u"15", 16, true},
        {u"2.5", 2, false},
        {u"2.5", 3, true},
        {u"-1", 0, true},
        {u"0", 0, true},
        {u"1e400", 0xFFFFFFFFull >> 1, false},
        // Only the low 32 bits of the count take part, as a signed number.
        {u"15", 0x10000000Full, true},
        {u"15", 0x100000000ull, false},
        {u"1", 0xFFFFFFFFull, false},  // -1
        {u"-1", 0xFFFFFFFFull, true},
        {u"2147483647", 0x7FFFFFFFull, true},
        {u"1", 0x80000000ull, false},  // -2147483648
    };
    for (const DueCase& c : cases) {
        EXPECT_EQ(AutoEmptyDue(c.autoClean, c.items), c.due)
            << Narrow(c.autoClean) << " / "
            << c.items;
    }
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

TEST_F(SettingsFileOnDisk, LoadReadsTheFirstFieldOfTheAnsiFile) {
    const struct {
        std::string bytes;
        Text loaded;
    } cases[] = {
        {"15\r\n", u"15"},
        {"OFF\r\n", u"OFF"},
        {"off\r\n", u"off"},
        {"\r\n", u""},
        {"  20\r\n", u"20"},
        {"\"1,5\"\r\n", u"1,5"},
        {"3,4\r\n", u"3"},
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
        {"UTF-8, quoted", "\xEF\xBB\xBF" "\"1,5\"\r\n", u"1,5"},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", u"OFF"},
        {"UTF-8, then ANSI as ever", "\xEF\xBB\xBF" "\xE9\r\n", u"\u00E9"},
        {"UTF-16 little-endian", "\xFF\xFE" "1\0" "5\0" "\r\0\n\0"s, u"15"},
        {"UTF-16 big-endian", "\xFE\xFF" "\0" "1\0" "5\0\r\0\n"s, u"15"},
        {"UTF-16, OFF", "\xFF\xFE" "O\0F\0F\0"s, u"OFF"},
        {"UTF-16, letters beyond ANSI", "\xFF\xFE" "\x32\x04" "2\0"s, u"\u04322"},
        {"UTF-16, blanks and a comma", "\xFF\xFE" " \0" "7\0" ",\0" "9\0"s, u"7"},
        {"UTF-16 mark alone", "\xFF\xFE", u"OFF"},
        {"UTF-16, an odd last byte dropped", "\xFF\xFE" "1\0" "5\0" "\r"s, u"15"},
        {"UTF-16, half a code unit only", "\xFE\xFF" "1", u"OFF"},
        {"UTF-16, a lone surrogate and a NUL", "\xFF\xFE" "\x00\xD8" "\0\0" "4\0"s,
         u"\xD800"s u"\0" u"4"s},
        {"a mark after a blank is text", " \xEF\xBB\xBF" "15", u"\u00EF\u00BB\u00BF" u"15"},
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

TEST_F(SettingsFileOnDisk, AFailedSaveIsSilent) {
    sim.files().AddFile(kFile, "OFF\r\n", attr::kReadOnly);
    SaveAutoClean(platform, files, kFolder, u"15");
    EXPECT_EQ(sim.files().Contents(kFile), "OFF\r\n");
    SaveAutoClean(platform, files, u"Q:\\nowhere", u"15");
    EXPECT_EQ(sim.files().OpenFiles(), 0u);
}

}  // namespace
}  // namespace dustvale
