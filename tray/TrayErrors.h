#pragma once

// The tray control's own error codes and texts, as its error event reports them.

#include <cstdint>

namespace dustvale::trayerror {

constexpr std::int32_t kWrongState = -1;
constexpr std::int32_t kNoStandardIcon = -2;
constexpr std::int32_t kCalledTwice = -3;

constexpr const char16_t* kNotLoadedText = u"SysTray non chargé";
constexpr const char16_t* kNotStartedText = u"SysTray non démarré";
constexpr const char16_t* kNoStandardIconText = u"Icône standard non définie";
constexpr const char16_t* kWrongUseText = u"Utilisation incorrecte de la fonction";

// Where an error arose, as the event names it. Hosts show these names (the tray demo puts them
// in its message box) and may compare them, so each stays as the control has always reported
// it, apart from the name of the method it stands for.
namespace source {
constexpr const char16_t* kFillRecord = u"Initialize";
constexpr const char16_t* kAddIcon = u"SysTrayAddIcon";
constexpr const char16_t* kRefreshIcon = u"SysTrayIconRefresh";
constexpr const char16_t* kRemoveIcon = u"SysTrayRemoveIcon";
constexpr const char16_t* kReturnFocus = u"SysTraySetFocus";
constexpr const char16_t* kShowBalloon = u"BalloonTipShow";
constexpr const char16_t* kCloseBalloon = u"BalloonTipClose";
constexpr const char16_t* kStartBlinking = u"BlinkStart";
constexpr const char16_t* kSwapBlinkIcons = u"BlinkSwapIcons";
constexpr const char16_t* kIncrementInstanceCount = u"SingletonIncrement";
constexpr const char16_t* kDecrementInstanceCount = u"SingletonDecrement";
}  // namespace source

}  // namespace dustvale::trayerror
