// The simulated desktop's monitors and their DPI: which monitor a window lies on, the DPI and
// the small-icon size there, and the messages a change of scaling sends.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/sim/SimWindowing.h"

namespace dustvale::sim {

namespace {

constexpr std::int32_t kDefaultDpi = 96;
constexpr std::int32_t kSmallIconAtDefaultDpi = 16;  // SM_CXSMICON at 100 %

// How far a point lies outside a rectangle, squared; 0 inside (the right and bottom edges
// belong to the next rectangle, as on Windows).
std::int64_t DistanceSquared(Point p, const Rect& r) {
    const std::int64_t dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
    const std::int64_t dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

// MAKEWPARAM(dpi, dpi), as WM_DPICHANGED carries the new DPI.
WParam PackDpi(std::int32_t dpi) {
    const auto word = static_cast<std::uint16_t>(dpi);
    return static_cast<WParam>(word | static_cast<std::uint32_t>(word) << 16);
}

}  // namespace

std::size_t SimWindowing::MonitorOf(Hwnd hwnd) const {
    auto it = windows_.find(hwnd);
    while (it != windows_.end() && it->second.kind == WindowKind::Child) {
        it = windows_.find(it->second.parent);
    }
    if (it == windows_.end()) return 0;
    const Point corner = it->second.position;
    std::size_t nearest = 0;
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        const std::int64_t distance = DistanceSquared(corner, monitors_[i].bounds);
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

std::int32_t SimWindowing::GetDpiForWindow(Hwnd hwnd) {
    if (!Exists(hwnd)) return 0;
    return monitors_[MonitorOf(hwnd)].dpi;
}

std::int32_t SimWindowing::SmallIconSizeForDpi(std::int32_t dpi) {
    if (dpi <= 0) return 0;
    // The size at 100 % scaled to the DPI, rounded as MulDiv rounds.
    return (kSmallIconAtDefaultDpi * dpi + kDefaultDpi / 2) / kDefaultDpi;
}

std::size_t SimWindowing::AddMonitor(Rect bounds, std::int32_t dpi) {
    monitors_.push_back(Monitor{bounds, dpi});
    return monitors_.size() - 1;
}

std::vector<std::pair<Hwnd, std::int32_t>> SimWindowing::TopLevelDpis() const {
    std::vector<std::pair<Hwnd, std::int32_t>> dpis;
    for (const auto& [hwnd, window] : windows_) {
        if (window.kind == WindowKind::Child) continue;
        dpis.emplace_back(hwnd, monitors_[MonitorOf(hwnd)].dpi);
    }
    return dpis;
}

void SimWindowing::TellDpiChanges(const std::vector<std::pair<Hwnd, std::int32_t>>& before) {
    for (const auto& [hwnd, dpi] : before) {
        // A handler may have destroyed this window, or others, meanwhile.
        auto it = windows_.find(hwnd);
        if (it == windows_.end() || it->second.destroying) continue;
        const std::int32_t now = monitors_[MonitorOf(hwnd)].dpi;
        if (now == dpi) continue;
        // The suggested rectangle: the window where it is (the simulation keeps no sizes).
        const Point at = it->second.position;
        Rect suggested{at.x, at.y, at.x, at.y};
        SendSystemMessage(hwnd, msg::kDpiChanged, PackDpi(now),
                          reinterpret_cast<LParam>(&suggested));
    }
}

void SimWindowing::SetMonitorDpi(std::size_t monitor, std::int32_t dpi) {
    const auto before = TopLevelDpis();
    monitors_.at(monitor).dpi = dpi;
    TellDpiChanges(before);
}

void SimWindowing::BroadcastSettingChange(WParam action) {
    std::vector<Hwnd> topLevel;
    for (const auto& [hwnd, window] : windows_) {
        if (window.kind != WindowKind::Child) topLevel.push_back(hwnd);
    }
    for (Hwnd hwnd : topLevel) {
        if (Exists(hwnd)) SendSystemMessage(hwnd, msg::kSettingChange, action, 0);
    }
}

}  // namespace dustvale::sim
