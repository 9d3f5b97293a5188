// Blinking: the blink timer swaps the shown picture between the standard icon and the blink
// icon until the caller stops it.

#include "tray/TrayErrors.h"
#include "tray/ctlSysTrayBalloon.h"

namespace dustvale {

namespace {
constexpr std::int32_t kShortestBlinkCycleMs = 200;
}  // namespace

void ctlSysTrayBalloon::BlinkIconPicture(const Picture& NewValue) {
    // Takes effect at the next swap to the blink icon.
    BlinkIcon_ = NewValue.Handle();
}

void ctlSysTrayBalloon::BlinkStart(std::int32_t CycleMilliSeconds) {
    BlinkCycle_ = CycleMilliSeconds >= kShortestBlinkCycleMs ? CycleMilliSeconds
                                                             : kShortestBlinkCycleMs;
    if (!IconLoaded_) {
        RaisePgmError(u"BlinkStart", trayerror::kWrongState, trayerror::kNotStartedText);
        return;
    }
    if (BlinkRunning_) {
        BlinkTimerStop();  // restart with the new cycle
    }
    BlinkTimerStart();
}

void ctlSysTrayBalloon::BlinkStop() {
    BlinkTimerStop();
    IconData_.hIcon = StandardIcon_;
    if (IconLoaded_) {
        SysTrayIconRefresh();
    }
}

void ctlSysTrayBalloon::BlinkSwapIcons() {
    // The phase is kept across stops and starts: blinking resumes where it left off.
    if (!BlinkPhase_) {
        BlinkPhase_ = true;
        IconData_.hIcon = BlinkIcon_;  // no blink icon shows no picture
    } else if (StandardIcon_ != 0) {
        BlinkPhase_ = false;
        IconData_.hIcon = StandardIcon_;
    } else {
        BlinkTimerStop();
        RaisePgmError(u"BlinkSwapIcons", trayerror::kNoStandardIcon,
                      trayerror::kNoStandardIconText);
        return;
    }
    if (IconLoaded_) {
        SysTrayIconRefresh();
    }
}

void ctlSysTrayBalloon::BlinkTimerStart() {
    if (BlinkCycle_ > 0) {
        StartTimer(BlinkTimerId_, BlinkCycle_, BlinkRunning_);
    }
}

void ctlSysTrayBalloon::BlinkTimerStop() { StopTimer(BlinkTimerId_, BlinkRunning_); }

}  // namespace dustvale
