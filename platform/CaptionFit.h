#pragma once

// A check box whose caption reads around another control that lies over a run of blanks in it
// ("more than [box] files"): the font and the caption's placement are chosen by measuring the
// caption, since the controls keep their places and the caption keeps its text, while fonts
// differ in width from one system and one DPI to the next.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/DialogWindow.h"
#include "platform/Types.h"

namespace dustvale {

// The first run of two or more blanks in a caption: [first, end).
struct BlankRun {
    std::size_t first = 0;
    std::size_t end = 0;
    friend bool operator==(const BlankRun&, const BlankRun&) = default;
};
std::optional<BlankRun> FindBlankRun(const Text& caption);

// A check box whose caption reads around another control, in pixels from the check box's left
// edge; `otherRight` is the first column past the other control.
struct CaptionAround {
    std::size_t checkBox = 0;  // index in the layout
    BlankRun blanks;
    std::int32_t width = 0;
    std::int32_t otherLeft = 0;
    std::int32_t otherRight = 0;
    friend bool operator==(const CaptionAround&, const CaptionAround&) = default;
};
// The first check box of the layout with a run of blanks that another control overlaps, placed
// at `dpi` as the dialog places its controls.
std::optional<CaptionAround> FindCaptionAround(const DialogLayout& layout, std::int32_t dpi);

// Where the check box draws its caption in the room after the check glyph and its gap.
enum class CaptionAlign { Left, Centre, Right };

// The caption in one font, in pixels. The button places it by its text extent; what a person
// sees is its ink, which may be narrower or wider than the extent (it is, under Wine), so the
// words are located by their ink, from the point where the caption is drawn.
struct CaptionWidths {
    std::int32_t textLeft = 0;    // where the room for the caption starts: check glyph and gap
    std::int32_t extent = 0;      // the whole caption's text extent
    std::int32_t beforeEnd = 0;   // the first column past the ink of the words before the blanks
    std::int32_t afterStart = 0;  // the first column of ink of the words after the blanks
    std::int32_t wholeEnd = 0;    // the first column past the ink of the whole caption
};

struct CaptionFont {
    std::int32_t pixelHeight = 0;
    CaptionAlign align = CaptionAlign::Left;
    bool wordsClear = false;  // false: no height keeps the words off the other control
    friend bool operator==(const CaptionFont&, const CaptionFont&) = default;
};

// The caption measured in the dialog's font at a pixel height; nullopt when no such font.
using MeasureCaption = std::function<std::optional<CaptionWidths>(std::int32_t pixelHeight)>;

// The largest font height not above `naturalHeight` (nor below three quarters of it), and the
// first of the placements left, centred, right, at which the caption lies within the check box
// and clear of the check glyph, the words before the blanks end at least a pixel before the
// other control and the words after them start at least a pixel after it. When no height and
// placement keep the words clear (blanks too narrow), the largest height at which the
// left-placed caption lies within the check box and the words before the blanks are clear (the
// other control then covers the start of the words after them); failing that, the natural
// height.
CaptionFont ChooseCaptionFont(const CaptionAround& around, std::int32_t naturalHeight,
                              const MeasureCaption& measure);

}  // namespace dustvale
