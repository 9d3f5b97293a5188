// Blinking: the blink timer swaps the shown picture between the standard icon and the blink
// icon until the caller stops it.

#include "tray/TrayErrors.h"
#include "tray/TrayIcon.h"

namespace dustvale {

namespace {
constexpr std::int32_t kShortestBlinkCycleMs = 200;
}  // namespace

void TrayIcon::SetBlinkIcon(const Picture& picture) {
    // Takes effect at the next swap to the blink icon.
    blinkIcon_ = picture.Handle();
}

void TrayIcon::StartBlinking(std::int32_t cycleMs) {
    blinkCycle_ = cycleMs >= kShortestBlinkCycleMs ? cycleMs : kShortestBlinkCycleMs;
    if (!registered_) {
        RaiseError(trayerror::source::kStartBlinking, trayerror::kWrongState,
                   trayerror::kNotStartedText);
        return;
    }
    if (blinking_) {
        StopBlinkTimer();  // restart with the new cycle
    }
    StartBlinkTimer();
}

void TrayIcon::StopBlinking() {
    StopBlinkTimer();
    record_.hIcon = standardIcon_;
    if (registered_) {
        RefreshIcon();
    }
}

void TrayIcon::SwapBlinkIcons() {
    // The phase is kept across stops and starts: blinking resumes where it left off.
    if (!blinkPhase_) {
        blinkPhase_ = true;
        record_.hIcon = blinkIcon_;  // no blink icon shows no picture
    } else if (standardIcon_ != 0) {
        blinkPhase_ = false;
        record_.hIcon = standardIcon_;
    } else {
        StopBlinkTimer();
        RaiseError(trayerror::source::kSwapBlinkIcons, trayerror::kNoStandardIcon,
                   trayerror::kNoStandardIconText);
        return;
    }
    if (registered_) {
        RefreshIcon();
    }
}

void TrayIcon::StartBlinkTimer() {
    if (blinkCycle_ > 0) {
        StartTimer(blinkTimerId_, blinkCycle_, blinking_);
    }
}

void TrayIcon::StopBlinkTimer() { StopTimer(blinkTimerId_, blinking_); }

}  // namespace dustvale
