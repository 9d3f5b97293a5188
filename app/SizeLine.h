#pragma once

// The texts the Recycle Bin monitor shows: the first line of the tray menu and the tooltip.

#include <cstdint>

#include "platform/Types.h"

namespace dustvale {

// "2500 bytes. (3 items)" below one megabyte (2^20 bytes), "5 Mb. (12 items)" from there on:
// whole megabytes, the fraction dropped. "items" whatever the count.
Text FormatSizeLine(std::uint64_t size, std::uint64_t items);

// A count as the size line writes it: plain decimal digits.
Text FormatCount(std::uint64_t count);

// The size alone, in the size line's units: "2500 bytes", "5 Mb".
Text FormatSize(std::uint64_t size);

// "Dustvale (7 items)": the tooltip of a Recycle Bin that holds something.
Text FormatTooltip(std::uint64_t items);

}  // namespace dustvale
