#pragma once

// What the tray demo does by itself at start-up, read from its command line, so that a
// script can show a balloon or start blinking without going through the menu:
//
//   TrayDemo.exe [/balloon <title> <text> <milliseconds>] [/blink <milliseconds>]

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "platform/Types.h"

namespace dustvale::demo {

struct BalloonRequest {
    Text title;
    Text message;
    std::int32_t timeoutMs = 0;
};

struct DemoOptions {
    std::optional<BalloonRequest> balloon;
    std::optional<std::int32_t> blinkCycleMs;
};

// The usage line shown when the command line cannot be read.
inline constexpr const char16_t* kDemoUsage =
    u"TrayDemo.exe [/balloon <title> <text> <milliseconds>] [/blink <milliseconds>]";

// Reads the arguments that follow the program's name. Switches are case-insensitive and may
// start with '/' or '-'; numbers are decimal and not negative. Either the options or a text
// saying what is wrong.
std::variant<DemoOptions, Text> ParseDemoOptions(const std::vector<Text>& args);

}  // namespace dustvale::demo
