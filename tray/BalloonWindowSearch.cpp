// Finding the balloon on the desktop: the shell shows it as a top-level tooltip window whose
// text is the balloon's text.

#include <algorithm>

#include "tray/TrayIcon.h"

namespace dustvale {

namespace {
constexpr const char16_t* kTooltipClass = u"tooltips_class32";
constexpr std::int32_t kLongestTextRead = 255;
}  // namespace

Hwnd TrayIcon::FindBalloonWindow(Text searchText) {
    Windowing& windows = platform_.windows;
    // Pending messages run during the walk: the control may be gone after any of them.
    const std::shared_ptr<bool> alive = alive_;
    Hwnd window = windows.GetWindow(windows.GetDesktopWindow(), WindowRelation::FirstChild);
    while (window != 0) {
        if (windows.GetClassName(window) == kTooltipClass) {
            const auto length = static_cast<std::int32_t>(std::min<LResult>(
                windows.SendMessage(window, msg::kGetTextLength, 0, 0), kLongestTextRead));
            // The buffer holds one character less than the length asked: the text arrives
            // one character short.
            Text read = windows.SendGetText(window, length);
            std::erase(read, u'\0');
            // A tooltip whose text reads empty would match any search; it is never the
            // balloon. The search text is cut to each window's text on its own, so one short
            // tooltip does not shorten the search for the windows after it.
            if (!read.empty() && searchText.substr(0, read.size()) == read) {
                return window;
            }
        }
        window = windows.GetWindow(window, WindowRelation::Next);
        windows.ProcessPendingMessages();
        if (!*alive) {
            return 0;
        }
    }
    return 0;
}

}  // namespace dustvale
