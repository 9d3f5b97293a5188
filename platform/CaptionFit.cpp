#include "platform/CaptionFit.h"

#include <algorithm>

namespace dustvale {

namespace {

struct PixelSpan {
    std::int32_t left = 0;
    std::int32_t right = 0;  // first pixel past the span
};

PixelSpan Horizontal(const TwipsRect& r, std::int32_t dpi) {
    const std::int32_t left = TwipsToPixels(r.left, dpi);
    return {left, left + TwipsToPixels(r.width, dpi)};
}

PixelSpan Vertical(const TwipsRect& r, std::int32_t dpi) {
    const std::int32_t top = TwipsToPixels(r.top, dpi);
    return {top, top + TwipsToPixels(r.height, dpi)};
}

bool Overlap(PixelSpan a, PixelSpan b) { return a.left < b.right && b.left < a.right; }

// Where the button draws the caption with this placement; nullopt when it would not fit the
// room after the check glyph.
std::optional<std::int32_t> CaptionStart(const CaptionWidths& w, std::int32_t width,
                                         CaptionAlign align) {
    const std::int32_t room = width - w.textLeft;
    if (w.extent > room) {
        return align == CaptionAlign::Left ? std::optional(w.textLeft) : std::nullopt;
    }
    switch (align) {
        case CaptionAlign::Left: return w.textLeft;
        case CaptionAlign::Centre: return w.textLeft + (room - w.extent) / 2;
        case CaptionAlign::Right: return width - w.extent;
    }
    return std::nullopt;
}

bool FitsAndClearBefore(const CaptionAround& a, const CaptionWidths& w, std::int32_t start) {
    return start + w.wholeEnd <= a.width && start + w.beforeEnd < a.otherLeft;
}

bool ClearAfter(const CaptionAround& a, const CaptionWidths& w, std::int32_t start) {
    return start + w.afterStart > a.otherRight;
}

}  // namespace

std::optional<BlankRun> FindBlankRun(const Text& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u' ' || caption[i + 1] != u' ') continue;
        std::size_t end = i;
        while (end < caption.size() && caption[end] == u' ') ++end;
        return BlankRun{i, end};
    }
    return std::nullopt;
}

std::optional<CaptionAround> FindCaptionAround(const DialogLayout& layout, std::int32_t dpi) {
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlLayout& box = layout.controls[i];
        if (box.kind != ControlKind::CheckBox) continue;
        const std::optional<BlankRun> blanks = FindBlankRun(box.text);
        if (!blanks) continue;
        const PixelSpan across = Horizontal(box.bounds, dpi);
        for (std::size_t j = 0; j < layout.controls.size(); ++j) {
            const TwipsRect& other = layout.controls[j].bounds;
            const PixelSpan otherAcross = Horizontal(other, dpi);
            if (j == i || !Overlap(across, otherAcross) ||
                !Overlap(Vertical(box.bounds, dpi), Vertical(other, dpi))) {
                continue;
            }
            return CaptionAround{i, *blanks, across.right - across.left,
                                 otherAcross.left - across.left, otherAcross.right - across.left};
        }
    }
    return std::nullopt;
}

CaptionFont ChooseCaptionFont(const CaptionAround& around, std::int32_t naturalHeight,
                              const MeasureCaption& measure) {
    // Below three quarters of its natural size the caption no longer reads as the dialog's text.
    const std::int32_t smallest = std::max<std::int32_t>(1, (naturalHeight * 3 + 3) / 4);
    std::optional<CaptionFont> fallback;
    for (std::int32_t height = naturalHeight; height >= smallest; --height) {
        const std::optional<CaptionWidths> widths = measure(height);
        if (!widths) continue;
        for (CaptionAlign align : {CaptionAlign::Left, CaptionAlign::Centre, CaptionAlign::Right}) {
            const std::optional<std::int32_t> start = CaptionStart(*widths, around.width, align);
            if (!start || !FitsAndClearBefore(around, *widths, *start)) continue;
            if (ClearAfter(around, *widths, *start)) return {height, align, true};
            if (!fallback && align == CaptionAlign::Left) fallback = CaptionFont{height, align, false};
        }
    }
    return fallback.value_or(CaptionFont{naturalHeight, CaptionAlign::Left, false});
}

}  // namespace dustvale
