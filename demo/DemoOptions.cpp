#include "demo/DemoOptions.h"

#include <limits>

namespace dustvale::demo {

namespace {

Text Lower(Text text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return text;
}

// A decimal count of milliseconds that fits the control's signed 32-bit arguments.
std::optional<std::int32_t> Milliseconds(const Text& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::variant<DemoOptions, Text> ParseDemoOptions(const std::vector<Text>& args) {
    DemoOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Text& arg = args[i];
        const Text name = arg.size() > 1 && (arg[0] == u'/' || arg[0] == u'-')
                              ? Lower(arg.substr(1))
                              : Text{};
        const std::size_t left = args.size() - i - 1;
        if (name == u"balloon") {
            if (left < 3) return Text(u"/balloon needs a title, a text and milliseconds");
            const std::optional<std::int32_t> timeout = Milliseconds(args[i + 3]);
            if (!timeout) return u"not a number of milliseconds: " + args[i + 3];
            options.balloon = BalloonRequest{args[i + 1], args[i + 2], *timeout};
            i += 3;
        } else if (name == u"blink") {
            if (left < 1) return Text(u"/blink needs milliseconds");
            const std::optional<std::int32_t> cycle = Milliseconds(args[i + 1]);
            if (!cycle) return u"not a number of milliseconds: " + args[i + 1];
            options.blinkCycleMs = *cycle;
            i += 1;
        } else {
            return u"unknown argument: " + arg;
        }
    }
    return options;
}

}  // namespace dustvale::demo
