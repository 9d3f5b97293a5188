#include <gtest/gtest.h>

#include "common/LetterCase.h"
#include "common/TextRules.h"

namespace dustvale {
namespace {

struct Case {
    Text input;
    Text expected;
};

TEST(CommonTextRules, TrimAtNullCutsAtTheFirstNulAndKeepsSpaces) {
    const Case cases[] = {
        {u"", u""},
        {u"Temp", u"Temp"},
        {Text(u"\0Temp", 5), u""},
        {Text(u"Temp\0garbage\0", 13), u"Temp"},
        {Text(u" Temp \0 ", 8), u" Temp "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimAtNull(c.input), c.expected) << "input length " << c.input.size();
    }
}

TEST(CommonTextRules, EnsureTrailingTrimsAndAddsAtMostOneBackslash) {
    const Case cases[] = {
        {u"", u"\\"},
        {u"   ", u"\\"},
        {u"C:\\Temp", u"C:\\Temp\\"},
        {u"C:\\Temp\\", u"C:\\Temp\\"},
        {u"  C:\\Temp\\  ", u"C:\\Temp\\"},
        {u"C:\\Temp\\\\", u"C:\\Temp\\\\"},
        {u"\tC:\\Temp", u"\tC:\\Temp\\"},  // only spaces are trimmed
    };
    for (const auto& c : cases) EXPECT_EQ(EnsureTrailing(c.input, u"\\"), c.expected);
}

TEST(CommonTextRules, RemoveTrailingTrimsAndRemovesAtMostOneBackslash) {
    const Case cases[] = {
        {u"", u""},
        {u"\\", u""},
        {u" \\ ", u""},
        {u"C:\\Temp", u"C:\\Temp"},
        {u"C:\\Temp\\", u"C:\\Temp"},
        {u"C:\\Temp\\\\", u"C:\\Temp\\"},
        {u" C:\\Temp ", u"C:\\Temp"},
    };
    for (const auto& c : cases) EXPECT_EQ(RemoveTrailing(c.input, u"\\"), c.expected);
}

TEST(CommonTextRules, TrailingLetterComparesWithoutCase) {
    EXPECT_EQ(EnsureTrailing(u"ABC", u"c"), u"ABC");
    EXPECT_EQ(RemoveTrailing(u"ABC", u"c"), u"AB");
}

TEST(CommonTextRules, ProperCaseCapitalisesEachSpaceSeparatedWord) {
    const Case cases[] = {
        {u"documents and settings", u"Documents And Settings"},
        {u"LOCAL SETTINGS", u"Local Settings"},
        {u"mcDonald's  o'neil", u"Mcdonald's  O'neil"},
        {u"tab\tseparated", u"Tab\tseparated"},
        {u"x-ray_file.TXT", u"X-ray_file.txt"},
        {u"\u0414\u041E\u041A\u0423\u041C\u0415\u041D\u0422\u042B \u0431\u043E\u0431",
         u"\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B \u0411\u043E\u0431"},
        {u"\u00E9T\u00C9 \u0142\u00F3d\u017A", u"\u00C9t\u00E9 \u0141\u00F3d\u017A"},
        {u"\u6587\u4EF6 dir", u"\u6587\u4EF6 Dir"},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProperCase(c.input), c.expected);
}

TEST(CommonTextRules, NamesCompareWithoutCaseInEveryScript) {
    EXPECT_TRUE(EqualsNoCase(u"C:\\WINDOWS", u"c:\\windows"));
    EXPECT_TRUE(EqualsNoCase(u"\u0412\u0410\u0421\u042F", u"\u0432\u0430\u0441\u044F"));
    EXPECT_TRUE(EqualsNoCase(u"\u0178\u0139\u0152", u"\u00FF\u013A\u0153"));
    EXPECT_FALSE(EqualsNoCase(u"Temp", u"Tem"));
    EXPECT_FALSE(EqualsNoCase(u"\u0418", u"\u0439"));  // И and й are different letters
    EXPECT_TRUE(EndsWithNoCase(u"C:\\Users\\Bob\\TEMP", u"temp"));
    EXPECT_FALSE(EndsWithNoCase(u"mp", u"temp"));
}

TEST(CommonTextRules, EveryCasedLetterRoundTrips) {
    for (std::uint32_t c = 1; c < 0x10000; ++c) {
        const auto unit = static_cast<char16_t>(c);
        const char16_t upper = UpperLetter(unit);
        if (upper != unit) {
            EXPECT_EQ(LowerLetter(upper), unit == 0x03C2 ? 0x03C3 : unit) << std::hex << c;
        }
        const char16_t lower = LowerLetter(unit);
        if (lower != unit) {
            EXPECT_EQ(UpperLetter(lower), unit) << std::hex << c;
        }
    }
}

}  // namespace
}  // namespace dustvale
