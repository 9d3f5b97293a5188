#include "platform/sim/SimWindowing.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>

#include "platform/sim/SimWindowRecords.h"

namespace dustvale::sim {

namespace {

// SetTimer raises shorter periods to USER_TIMER_MINIMUM and caps longer ones.
constexpr std::uint32_t kTimerMinimum = 10;
constexpr std::uint32_t kTimerMaximum = 0x7FFFFFFF;
// A program that posts to itself without end would otherwise hang the test.
constexpr std::size_t kMessageStorm = 100000;

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? c - 32 : c; }

bool SameClassName(const Text& a, const Text& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return AsciiUpper(x) == AsciiUpper(y); });
}

}  // namespace

SimWindowing::SimWindowing(SimClock& clock) : clock_(clock) {
    procs_[kDefaultProc] = nullptr;
    taskbar_ = NewHandle();
    windows_[taskbar_] = TaskbarWindow();
}

SimWindowing::Window SimWindowing::TaskbarWindow() {
    Window taskbar;
    taskbar.proc = kDefaultProc;
    taskbar.className = u"Shell_TrayWnd";
    taskbar.visible = true;
    return taskbar;
}

Hwnd SimWindowing::NewHandle() {
    Hwnd h = nextHandle_;
    nextHandle_ += 2;  // handles are never reused within one simulation
    return h;
}

WindowProc SimWindowing::NewProc(MessageHandler* handler) {
    WindowProc id = nextProc_++;
    procs_[id] = handler;
    return id;
}

Hwnd SimWindowing::CreateWindow(WindowKind kind, Hwnd parent, MessageHandler* handler) {
    if (kind == WindowKind::Child && !Exists(parent)) return 0;  // a child needs a parent
    Hwnd h = NewHandle();
    Window w;
    w.kind = kind;
    w.parent = parent;
    w.proc = kDefaultProc;
    w.className = kProgramWindowClass;
    windows_[h] = w;
    // As the program's window class does on Windows: WM_NCCREATE goes to the default procedure,
    // which takes the window's first text from the record, and binds the handler, which hears
    // everything from then on.
    CreateStruct create{handler, parent, 0, 0, 0, 0, u""};
    SendSystemMessage(h, msg::kNcCreate, 0, reinterpret_cast<LParam>(&create));
    if (!Exists(h)) return 0;
    if (handler != nullptr) windows_[h].proc = NewProc(handler);
    Rect frame{create.x, create.y, create.x + create.cx, create.y + create.cy};
    SendSystemMessage(h, msg::kNcCalcSize, 0, reinterpret_cast<LParam>(&frame));
    SendSystemMessage(h, msg::kCreate, 0, reinterpret_cast<LParam>(&create));
    return Exists(h) ? h : 0;
}

void SimWindowing::DestroyWindow(Hwnd hwnd) {
    auto it = windows_.find(hwnd);
    if (it == windows_.end() || hwnd == taskbar_ || it->second.destroying) return;
    std::vector<Hwnd> doomed{hwnd};
    for (std::size_t i = 0; i < doomed.size(); ++i)
        for (const auto& [h, w] : windows_)
            if (w.kind == WindowKind::Child && w.parent == doomed[i] && !w.destroying) doomed.push_back(h);
    // As on Windows, the windows still exist while they hear WM_DESTROY, the parent before its
    // children: a handler may still unhook its procedure or kill its timers. Destroying them
    // again from there does nothing.
    for (Hwnd h : doomed) windows_[h].destroying = true;
    for (Hwnd h : doomed) SendSystemMessage(h, msg::kDestroy, 0, 0);
    for (Hwnd h : doomed) {
        windows_.erase(h);
        std::erase_if(timers_, [h](const auto& t) { return t.first.first == h; });
        std::erase_if(queue_, [h](const Posted& m) { return m.hwnd == h; });
        if (foreground_ == h) foreground_ = 0;
    }
}

WindowProc SimWindowing::SubclassWindow(Hwnd hwnd, MessageHandler& handler) {
    if (failSubclass_ > 0) {
        --failSubclass_;
        return 0;
    }
    auto it = windows_.find(hwnd);
    if (it == windows_.end() || it->second.subclassed) return 0;
    WindowProc previous = it->second.proc;
    it->second.proc = NewProc(&handler);
    it->second.subclassed = true;
    return previous;
}

void SimWindowing::RestoreWindowProc(Hwnd hwnd, WindowProc previous) {
    auto it = windows_.find(hwnd);
    if (it != windows_.end() && procs_.contains(previous)) {
        it->second.proc = previous;
        it->second.subclassed = false;
    }
}

LResult SimWindowing::CallWindowProc(WindowProc proc, Hwnd hwnd, std::int32_t message,
                                     WParam wParam, LParam lParam) {
    auto it = procs_.find(proc);
    if (it == procs_.end()) return 0;
    if (it->second) return it->second->HandleMessage(hwnd, message, wParam, lParam);
    return DefaultProc(hwnd, message, wParam, lParam);
}

LResult SimWindowing::DefWindowProc(Hwnd hwnd, std::int32_t message, WParam wParam,
                                    LParam lParam) {
    return CallWindowProc(kDefaultProc, hwnd, message, wParam, lParam);
}

LResult SimWindowing::Dispatch(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam) {
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return 0;
    return CallWindowProc(it->second.proc, hwnd, message, wParam, lParam);
}

std::uint32_t SimWindowing::SetTimer(Hwnd hwnd, std::uint32_t id, std::uint32_t periodMs) {
    if (failSetTimer_ > 0) {
        --failSetTimer_;
        return 0;
    }
    if (!Exists(hwnd)) return 0;
    std::uint32_t period = std::clamp(periodMs, kTimerMinimum, kTimerMaximum);
    timers_[{hwnd, id}] = Timer{period, clock_.Now() + period, nextOrder_++};
    return id != 0 ? id : 1;
}

bool SimWindowing::KillTimer(Hwnd hwnd, std::uint32_t id) { return timers_.erase({hwnd, id}) > 0; }

Hwnd SimWindowing::FindWindow(const Text& className) {
    if (className.empty()) return 0;
    for (const auto& [h, w] : windows_)
        if (SameClassName(w.className, className)) return h;
    return 0;
}

std::int32_t SimWindowing::RegisterWindowMessage(const Text& name) {
    constexpr std::size_t kLongestAtomName = 255;
    constexpr std::int32_t kLastRegisteredMessage = 0xFFFF;
    if (name.empty() || name.size() > kLongestAtomName) return 0;
    Text key = name;
    for (char16_t& c : key) c = AsciiUpper(c);
    if (const auto found = registeredMessages_.find(key); found != registeredMessages_.end())
        return found->second;
    if (nextRegisteredMessage_ > kLastRegisteredMessage) return 0;
    registeredMessages_[key] = nextRegisteredMessage_;
    return nextRegisteredMessage_++;
}

bool SimWindowing::AllowMessageFromLowerIntegrity(Hwnd hwnd, std::int32_t message) {
    const auto it = windows_.find(hwnd);
    if (it == windows_.end()) return false;
    it->second.allowedFromLowerIntegrity.push_back(message);
    return true;
}

void SimWindowing::BroadcastFromShell(std::int32_t message) {
    const bool elevated = ProcessElevated && ProcessElevated();
    for (const auto& [h, w] : windows_) {
        if (w.kind == WindowKind::Child || h == taskbar_ || w.destroying) continue;
        if (elevated && !AllowsFromLowerIntegrity(h, message)) continue;
        queue_.push_back(Posted{h, message, 0, 0});
    }
}

bool SimWindowing::PostMessage(Hwnd hwnd, std::int32_t message, WParam wParam, LParam lParam) {
    // hwnd 0 posts to the thread's own queue; no window procedure ever sees it.
    if (hwnd != 0 && !Exists(hwnd)) return false;
    queue_.push_back(Posted{hwnd, message, wParam, lParam});
    return true;
}

LResult SimWindowing::SendMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                                  LParam lParam) {
    if (WaitedOutHungWindow(hwnd)) return 0;
    return Dispatch(hwnd, message, wParam, lParam);
}

void SimWindowing::Hang(Hwnd hwnd) { windows_.at(hwnd).hung = true; }

bool SimWindowing::WaitedOutHungWindow(Hwnd hwnd) {
    const auto it = windows_.find(hwnd);
    if (it == windows_.end() || !it->second.hung) return false;
    clock_.Set(clock_.Now() + kSendTimeoutMs);
    return true;
}

std::int32_t SimWindowing::ScreenDpi() { return dpi_; }

Point SimWindowing::GetCursorPos() { return cursor_; }

namespace {
// The desktop is no window of the map: it is the parent of every top-level window.
constexpr Hwnd kDesktopWindow = 0x00010004;
}  // namespace

Hwnd SimWindowing::GetDesktopWindow() { return kDesktopWindow; }

Hwnd SimWindowing::GetWindow(Hwnd hwnd, WindowRelation relation) {
    // Top-level windows in z-order: the newest (highest handle) on top.
    auto isTopLevel = [](const auto& entry) { return entry.second.kind != WindowKind::Child; };
    if (relation == WindowRelation::FirstChild) {
        if (hwnd != kDesktopWindow) {
            for (const auto& [h, w] : windows_)
                if (w.kind == WindowKind::Child && w.parent == hwnd) return h;
            return 0;
        }
        auto top = std::find_if(windows_.rbegin(), windows_.rend(), isTopLevel);
        return top == windows_.rend() ? 0 : top->first;
    }
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return 0;
    if (it->second.kind == WindowKind::Child) {
        // The next sibling: the next child of the same parent.
        for (auto next = std::next(it); next != windows_.end(); ++next)
            if (next->second.kind == WindowKind::Child && next->second.parent == it->second.parent)
                return next->first;
        return 0;
    }
    auto below = std::find_if(std::make_reverse_iterator(it), windows_.rend(), isTopLevel);
    return below == windows_.rend() ? 0 : below->first;
}

Text SimWindowing::GetClassName(Hwnd hwnd) {
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return {};
    return it->second.className.substr(0, 255);
}

std::vector<Hwnd> SimWindowing::FindWindows(const Text& className) {
    // Top-level windows in z-order: the newest (highest handle) on top.
    std::vector<Hwnd> found;
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if (it->second.kind != WindowKind::Child && SameClassName(it->second.className, className))
            found.push_back(it->first);
    return found;
}

Text SimWindowing::DesktopName() { return desktopName_; }

void SimWindowing::SetDesktopName(const Text& name) { desktopName_ = name; }

bool SimWindowing::AllowsFromLowerIntegrity(Hwnd hwnd, std::int32_t message) const {
    const auto it = windows_.find(hwnd);
    return it != windows_.end() &&
           std::find(it->second.allowedFromLowerIntegrity.begin(),
                     it->second.allowedFromLowerIntegrity.end(),
                     message) != it->second.allowedFromLowerIntegrity.end();
}

Hwnd SimWindowing::CreateForeignWindow(const Text& className, const Text& text,
                                       MessageHandler* handler) {
    Hwnd h = NewHandle();
    Window w;
    w.kind = WindowKind::HiddenOwner;
    w.proc = handler ? NewProc(handler) : kDefaultProc;
    w.className = className;
    w.text = text;
    w.visible = true;
    windows_[h] = w;
    return h;
}

void SimWindowing::DispatchPosted() {
    std::size_t dispatched = 0;
    while (!queue_.empty()) {
        if (++dispatched > kMessageStorm)
            throw std::runtime_error("simulated Windows: messages keep being posted without end");
        Posted m = queue_.front();
        queue_.pop_front();
        if (m.hwnd != 0) Dispatch(m.hwnd, m.message, m.wParam, m.lParam);
    }
}

std::size_t SimWindowing::PendingMessages() const { return queue_.size(); }

bool SimWindowing::FireOneDue(std::uint64_t limit) {
    auto action = std::min_element(actions_.begin(), actions_.end(), [](const Action& a, const Action& b) {
        return a.time != b.time ? a.time < b.time : a.order < b.order;
    });
    auto timer = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
        return a.second.nextDue != b.second.nextDue ? a.second.nextDue < b.second.nextDue
                                                    : a.second.order < b.second.order;
    });
    bool actionDue = action != actions_.end() && action->time <= limit;
    bool timerDue = timer != timers_.end() && timer->second.nextDue <= limit;
    if (actionDue && (!timerDue || action->time <= timer->second.nextDue)) {
        clock_.Set(std::max(clock_.Now(), action->time));
        std::function<void()> run = std::move(action->run);
        actions_.erase(action);
        run();
        return true;
    }
    if (!timerDue) return false;
    // The timer is re-armed from its firing time before its procedure runs, so a handler that
    // lets messages run (or advances time) never sees the same tick twice.
    std::uint64_t firing = std::max(clock_.Now(), timer->second.nextDue);
    clock_.Set(firing);
    timer->second.nextDue = firing + timer->second.periodMs;
    auto [hwnd, id] = timer->first;
    Dispatch(hwnd, msg::kTimer, id, 0);
    return true;
}

std::optional<std::uint64_t> SimWindowing::NextEventTime() const {
    std::optional<std::uint64_t> next;
    for (const auto& [key, t] : timers_)
        if (!next || t.nextDue < *next) next = t.nextDue;
    for (const auto& a : actions_)
        if (!next || a.time < *next) next = a.time;
    return next;
}

void SimWindowing::AdvanceTo(std::uint64_t time) {
    DispatchPosted();
    while (FireOneDue(time)) DispatchPosted();
    if (clock_.Now() < time) clock_.Set(time);
    DispatchPosted();
}

void SimWindowing::ProcessPendingMessages() {
    DispatchPosted();
    while (FireOneDue(clock_.Now())) DispatchPosted();
}

std::int32_t SimWindowing::RunMessageLoop() {
    const std::uint64_t start = clock_.Now();
    for (;;) {
        DispatchPosted();
        if (quitPending_) {
            quitPending_ = false;
            return quitCode_;
        }
        if (FireOneDue(clock_.Now())) continue;
        std::optional<std::uint64_t> next = NextEventTime();
        if (!next)
            throw std::runtime_error(
                "simulated message loop: nothing can ever happen again (no timer, no scripted "
                "action, no message) and nobody posted WM_QUIT");
        if (*next > start + runLimit_)
            throw std::runtime_error("simulated message loop: no WM_QUIT within the run limit of " +
                                     std::to_string(runLimit_) + " ms of virtual time");
        FireOneDue(*next);
    }
}

void SimWindowing::PostQuitMessage(std::int32_t exitCode) {
    quitPending_ = true;
    quitEver_ = true;
    quitCode_ = exitCode;
}

bool SimWindowing::Exists(Hwnd hwnd) const { return windows_.contains(hwnd); }

WindowKind SimWindowing::KindOf(Hwnd hwnd) const { return windows_.at(hwnd).kind; }

bool SimWindowing::IsVisible(Hwnd hwnd) const {
    auto it = windows_.find(hwnd);
    return it != windows_.end() && it->second.visible;
}

std::optional<Point> SimWindowing::PositionOf(Hwnd hwnd) const {
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return std::nullopt;
    return it->second.position;
}

WindowProc SimWindowing::CurrentProc(Hwnd hwnd) const {
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? 0 : it->second.proc;
}

std::vector<SimWindowing::TimerInfo> SimWindowing::Timers() const {
    std::vector<TimerInfo> result;
    for (const auto& [key, t] : timers_) result.push_back({key.first, key.second, t.periodMs, t.nextDue});
    std::sort(result.begin(), result.end(),
              [](const TimerInfo& a, const TimerInfo& b) { return a.nextDue < b.nextDue; });
    return result;
}

bool SimWindowing::TimerRunning(Hwnd hwnd, std::uint32_t id) const { return timers_.contains({hwnd, id}); }

Hwnd SimWindowing::Foreground() const { return foreground_; }

const std::vector<Hwnd>& SimWindowing::ForegroundCalls() const { return foregroundCalls_; }

Hwnd SimWindowing::CreateTaskbar() {
    if (taskbar_ != 0) DestroyTaskbar();
    taskbar_ = NewHandle();
    windows_[taskbar_] = TaskbarWindow();
    if (OnTaskbarCreated) OnTaskbarCreated();
    BroadcastFromShell(RegisterWindowMessage(u"TaskbarCreated"));
    return taskbar_;
}

void SimWindowing::DestroyTaskbar() {
    if (taskbar_ == 0) return;
    Hwnd old = taskbar_;
    taskbar_ = 0;
    windows_.erase(old);
    std::erase_if(timers_, [old](const auto& t) { return t.first.first == old; });
    if (OnTaskbarDestroyed) OnTaskbarDestroyed();
}

Hwnd SimWindowing::Taskbar() const { return taskbar_; }

void SimWindowing::SetCursorPos(Point p) { cursor_ = p; }

void SimWindowing::SetScreenDpi(std::int32_t dpi) {
    dpi_ = dpi;
    monitors_.front().dpi = dpi;
}

void SimWindowing::FailNextSubclass(int n) { failSubclass_ = n; }

void SimWindowing::FailNextSetTimer(int n) { failSetTimer_ = n; }

bool SimWindowing::QuitPosted() const { return quitEver_; }

std::int32_t SimWindowing::QuitCode() const { return quitCode_; }

void SimWindowing::SetRunLimit(std::uint64_t ms) { runLimit_ = ms; }

void SimWindowing::At(std::uint64_t time, std::function<void()> action) {
    actions_.push_back(Action{time, nextOrder_++, std::move(action)});
}

}  // namespace dustvale::sim
