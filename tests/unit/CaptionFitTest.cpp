#include <gtest/gtest.h>

#include <map>

#include "app/OptionsDialog.h"
#include "platform/CaptionFit.h"

namespace dustvale {
namespace {

TEST(CaptionFitTest, FindsTheFirstRunOfTwoOrMoreBlanks) {
    const struct {
        Text caption;
        std::optional<BlankRun> run;
    } cases[] = {
        {u"more than              files(s).", BlankRun{9, 23}},
        {u"a  b   c", BlankRun{1, 3}},
        {u"ends in blanks   ", BlankRun{14, 17}},
        {u"  ", BlankRun{0, 2}},
        {u"single blanks only", std::nullopt},
        {u"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindBlankRun(c.caption), c.run) << std::string(c.caption.begin(), c.caption.end());
    }
}

TEST(CaptionFitTest, TheOptionsCaptionReadsAroundTheThresholdBoxAtEachDpi) {
    // The auto-empty box at 120 twips, 4335 wide; the threshold box at 3360, 495 wide; the
    // blanks are characters 40 to 54.
    EXPECT_EQ(FindCaptionAround(OptionsDialogLayout(), 96),
              (CaptionAround{0, {40, 54}, 289, 216, 249}));
    EXPECT_EQ(FindCaptionAround(OptionsDialogLayout(), 144),
              (CaptionAround{0, {40, 54}, 434, 324, 374}));
}

TEST(CaptionFitTest, NoCaptionAroundWithoutBothBlanksAndAnOverlappingControl) {
    DialogLayout layout;
    layout.controls = {
        {ControlKind::CheckBox, u"blanks      here", {120, 120, 4335, 255}},
        {ControlKind::TextBox, u"15", {3360, 600, 495, 285}},  // a row below
        {ControlKind::CheckBox, u"one blank", {120, 960, 4335, 255}},
        {ControlKind::TextBox, u"15", {3360, 960, 495, 285}},  // over a caption without a run
    };
    EXPECT_EQ(FindCaptionAround(layout, 96), std::nullopt);
}

// A font's measures of the Options caption by pixel height: its text extent, where the ink of
// the words before the blanks ends, where the ink after them starts and where all ink ends, and
// the width of "0" that sets the gap after the check glyph.
struct Font {
    std::int32_t extent, beforeEnd, afterStart, wholeEnd, zero;
};
using Fonts = std::map<std::int32_t, Font>;

MeasureCaption Measured(const Fonts& fonts, std::int32_t glyph) {
    return [fonts, glyph](std::int32_t height) -> std::optional<CaptionWidths> {
        const auto found = fonts.find(height);
        if (found == fonts.end()) return std::nullopt;
        const Font& f = found->second;
        return CaptionWidths{glyph + f.zero / 2, f.extent, f.beforeEnd, f.afterStart, f.wholeEnd};
    };
}

// "MS Shell Dlg" as Wine 8 draws it (Liberation Sans), measured under Wine: the ink is up to
// 10 pixels narrower or wider than the extent.
const Fonts kWineShellDlg = {
    {8, {193, 139, 167, 187, 4}},   {9, {246, 175, 218, 249, 5}},
    {10, {263, 195, 238, 269, 6}},  {11, {277, 195, 238, 274, 6}},
    {12, {302, 220, 263, 303, 7}},  {13, {339, 238, 295, 336, 7}},
    {14, {362, 257, 314, 359, 8}},  {15, {373, 266, 323, 370, 8}},
    {16, {396, 280, 337, 386, 9}},  {17, {436, 301, 373, 424, 9}},
};

TEST(CaptionFitTest, ChoosesTheLargestHeightThatKeepsTheCaptionReadable) {
    const CaptionAround at96{0, {40, 54}, 289, 216, 249};
    const CaptionAround at144{0, {40, 54}, 434, 324, 374};
    const struct {
        const char* what;
        CaptionAround around;
        std::int32_t natural;
        Fonts fonts;
        std::int32_t glyph;
        CaptionFont chosen;
    } cases[] = {
        // The natural font fits as laid out: nothing changes.
        {"fits at its natural size", at96, 11, {{11, {270, 195, 237, 268, 6}}}, 13,
         {11, CaptionAlign::Left, true}},
        // Left-placed, "files" would start 2 px inside the box; centred, it starts 3 px after.
        {"fits centred", at96, 11, {{11, {263, 189, 231, 263, 6}}}, 13,
         {11, CaptionAlign::Centre, true}},
        // Wine at 96: at 11 px the final "." is cut; at 10 px "than" ends 5 px before the box
        // and "files" starts 5 px after it.
        {"Wine at 96 DPI", at96, 11, kWineShellDlg, 13, {10, CaptionAlign::Left, true}},
        // Wine at 144: "files" starts under the box left-placed (by 13 px) and centred (by
        // 6 px); right-placed it starts a pixel after it (on the screen Wine draws it a pixel
        // further left, against the box), "than" ends 6 px before it and the caption ends
        // 10 px before the check box's edge.
        {"Wine at 144 DPI", at144, 16, kWineShellDlg, 20, {16, CaptionAlign::Right, true}},
        // Blanks narrower than the box at every height: the largest height whose caption fits
        // and keeps the words before the box clear.
        {"blanks too narrow", at96, 11,
         {{11, {245, 201, 207, 240, 6}}, {10, {235, 189, 195, 230, 6}},
          {9, {220, 173, 179, 215, 5}}},
         13, {10, CaptionAlign::Left, false}},
        // Nothing fits down to three quarters of the natural height (9 px of 11): the natural
        // font, though a 5 px font would fit.
        {"nothing fits", at96, 11,
         {{11, {330, 260, 300, 330, 6}}, {9, {300, 240, 280, 300, 5}},
          {5, {250, 100, 230, 250, 3}}},
         13, {11, CaptionAlign::Left, false}},
        {"no font at all", at96, 11, {}, 13, {11, CaptionAlign::Left, false}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseCaptionFont(c.around, c.natural, Measured(c.fonts, c.glyph)), c.chosen)
            << c.what;
    }
}

}  // namespace
}  // namespace dustvale
