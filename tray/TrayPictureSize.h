#pragma once

// The size at which a picture for the tray is loaded, so that the shell shows it as drawn
// rather than stretched: the small-icon size at the DPI of the taskbar whose notification area
// holds the icon.

#include <cstdint>

#include "platform/Windowing.h"

namespace dustvale {

// The DPI the tray icon is shown at: the taskbar's (its monitor's scaling, which may have
// changed since the log-on); the system's while there is no taskbar.
std::int32_t TrayIconDpi(Windowing& windows);

// The side, in pixels, of a picture for the tray: 16 at 100 % scaling, 24 at 150 %, ...
std::int32_t TrayPictureSize(Windowing& windows);

}  // namespace dustvale
