// The messages the simulated system sends windows on its own, when they are made, moved,
// activated or given a text, and the default window procedure that answers them. As on
// Windows, many carry the address of a record or a text that the default procedure reads and
// writes: an address cut on its way through a procedure points at nothing.

#include <algorithm>
#include <cstdint>

#include "platform/sim/SimWindowRecords.h"
#include "platform/sim/SimWindowing.h"

namespace dustvale::sim {

namespace {

constexpr std::int32_t kQueryEndSession = 0x0011;
constexpr std::int32_t kQueryOpen = 0x0013;
// WM_ACTIVATE's wParam.
constexpr WParam kInactive = 0;
constexpr WParam kActive = 1;

template <class Record>
LParam AddressOf(Record& record) {
    return reinterpret_cast<LParam>(&record);
}

template <class Record>
Record& RecordAt(LParam address) {
    return *reinterpret_cast<Record*>(address);
}

// MAKELPARAM of two signed 16-bit values, as WM_MOVE carries a position.
LParam PackPoint(std::int32_t x, std::int32_t y) {
    const std::uint32_t packed = static_cast<std::uint16_t>(x) |
                                 static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16;
    return static_cast<LParam>(packed);
}

}  // namespace

LResult SimWindowing::SendSystemMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                        LParam lParam) {
    if (!Exists(hwnd)) return 0;
    systemMessages_[hwnd].push_back({message, wParam, lParam});
    return Dispatch(hwnd, message, wParam, lParam);
}

std::vector<SimWindowing::SystemMessage> SimWindowing::SystemMessages(Hwnd hwnd) const {
    auto it = systemMessages_.find(hwnd);
    return it == systemMessages_.end() ? std::vector<SystemMessage>{} : it->second;
}

LResult SimWindowing::DefaultProc(Hwnd hwnd, std::int32_t message, WParam wParam,
                                  LParam lParam) {
    auto window = windows_.find(hwnd);
    switch (message) {
        case kQueryEndSession:
        case kQueryOpen:
            return 1;  // the session may end; a minimised window may open
        case msg::kClose:
            DestroyWindow(hwnd);
            return 0;
        case msg::kNcCreate: {
            const auto& create = RecordAt<const CreateStruct>(lParam);
            if (window != windows_.end()) window->second.text = create.name ? create.name : u"";
            return 1;
        }
        case msg::kNcCalcSize: {
            // No frame and no caption: the client area is the whole window rectangle, left
            // where it is; one turned inside out becomes empty.
            Rect& area = RecordAt<Rect>(lParam);
            area.right = std::max(area.right, area.left);
            area.bottom = std::max(area.bottom, area.top);
            return 0;
        }
        case msg::kWindowPosChanging: {
            // A new size is held to the window's limits: never less than nothing.
            WindowPos& pos = RecordAt<WindowPos>(lParam);
            if ((pos.flags & swp::kNoSize) == 0) {
                pos.cx = std::max(pos.cx, 0);
                pos.cy = std::max(pos.cy, 0);
            }
            return 0;
        }
        case msg::kWindowPosChanged: {
            // The window hears where its client area went.
            const auto& pos = RecordAt<const WindowPos>(lParam);
            if ((pos.flags & swp::kNoMove) == 0) {
                SendSystemMessage(hwnd, msg::kMove, 0, PackPoint(pos.x, pos.y));
            }
            return 0;
        }
        case msg::kNcActivate:
            return 1;  // the activation goes ahead
        case msg::kSetText: {
            if (window == windows_.end()) return 0;
            const auto* text = reinterpret_cast<const char16_t*>(lParam);
            window->second.text = text ? text : u"";
            return 1;
        }
        case msg::kGetText: {
            // What fits of the text, then a NUL; the answer counts the characters copied.
            if (window == windows_.end() || wParam == 0) return 0;
            auto* buffer = reinterpret_cast<char16_t*>(lParam);
            const Text& text = window->second.text;
            const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
            std::copy_n(text.begin(), copied, buffer);
            buffer[copied] = u'\0';
            return static_cast<LResult>(copied);
        }
        case msg::kGetTextLength:
            return window == windows_.end() ? 0 : static_cast<LResult>(window->second.text.size());
        default:
            return 0;
    }
}

bool SimWindowing::MoveWindow(Hwnd hwnd, Point topLeftPixels) {
    if (!Exists(hwnd)) return false;
    // SetWindowPos without size, z-order or activation: the window hears of the move before,
    // may change it then, and hears where it went.
    WindowPos pos{hwnd, 0, topLeftPixels.x, topLeftPixels.y, 0, 0,
                  swp::kNoSize | swp::kNoZOrder | swp::kNoActivate};
    const auto dpis = TopLevelDpis();
    SendSystemMessage(hwnd, msg::kWindowPosChanging, 0, AddressOf(pos));
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return false;
    if ((pos.flags & swp::kNoMove) == 0) it->second.position = {pos.x, pos.y};
    SendSystemMessage(hwnd, msg::kWindowPosChanged, 0, AddressOf(pos));
    TellDpiChanges(dpis);
    return true;
}

bool SimWindowing::SetForegroundWindow(Hwnd hwnd) {
    foregroundCalls_.push_back(hwnd);
    if (!Exists(hwnd)) return false;
    if (foreground_ == hwnd) return true;  // already active: nothing changes
    const Hwnd previous = foreground_;
    foreground_ = hwnd;
    // The window comes to the top (the simulated z-order stays the order of creation)...
    WindowPos pos{hwnd, 0, 0, 0, 0, 0, swp::kNoMove | swp::kNoSize};
    SendSystemMessage(hwnd, msg::kWindowPosChanging, 0, AddressOf(pos));
    SendSystemMessage(hwnd, msg::kWindowPosChanged, 0, AddressOf(pos));
    // ...then the window losing activation hears of it, then the one gaining it.
    if (Exists(previous)) {
        SendSystemMessage(previous, msg::kNcActivate, 0, 0);
        SendSystemMessage(previous, msg::kActivate, kInactive, static_cast<LParam>(hwnd));
    }
    SendSystemMessage(hwnd, msg::kNcActivate, 1, 0);
    SendSystemMessage(hwnd, msg::kActivate, kActive, static_cast<LParam>(previous));
    return true;
}

void SimWindowing::SetWindowText(Hwnd hwnd, const Text& text) {
    SendSystemMessage(hwnd, msg::kSetText, 0, reinterpret_cast<LParam>(text.c_str()));
}

Text SimWindowing::SendGetText(Hwnd hwnd, std::int32_t bufferChars) {
    if (bufferChars <= 0) return {};
    Text buffer(static_cast<std::size_t>(bufferChars), u'\0');
    if (WaitedOutHungWindow(hwnd)) return buffer;
    // The window's procedure fills the buffer, as another program's would.
    Dispatch(hwnd, msg::kGetText, static_cast<WParam>(bufferChars),
             reinterpret_cast<LParam>(buffer.data()));
    return buffer;
}

}  // namespace dustvale::sim
