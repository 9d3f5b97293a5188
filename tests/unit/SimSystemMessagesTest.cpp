// The messages the simulated system sends on its own carry live addresses, as on Windows: the
// default procedure reads and writes what they point at, so a procedure that hands on a cut
// address fails here as the 64-bit program would on Windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/sim/SimWindowRecords.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"

namespace dustvale::sim {
namespace {

// Hands every message to the default procedure; `during` runs first, while the message's
// records are live.
class PassOn final : public MessageHandler {
public:
    explicit PassOn(Windowing& windows) : windows_(windows) {}
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        heard.push_back(message);
        if (during && during(message, lParam)) return 0;  // handled: not handed on
        return windows_.DefWindowProc(hwnd, message, wParam, lParam);
    }
    std::vector<std::int32_t> heard;
    std::function<bool(std::int32_t message, LParam lParam)> during;

private:
    Windowing& windows_;
};

std::vector<std::int32_t> Ids(const std::vector<SimWindowing::SystemMessage>& log) {
    std::vector<std::int32_t> ids;
    for (const auto& m : log) ids.push_back(m.message);
    return ids;
}

TEST(SimSystemMessages, CreationMovesActivationAndTextGoThroughTheProcedureAsOnWindows) {
    SimWindows sim;
    SimWindowing& windows = sim.windows();
    PassOn handler(windows);
    const Hwnd hwnd = windows.CreateWindow(WindowKind::HiddenOwner, 0, &handler);
    // WM_NCCREATE goes to the class's procedure, which binds the handler for what follows.
    EXPECT_EQ(Ids(windows.SystemMessages(hwnd)),
              (std::vector<std::int32_t>{msg::kNcCreate, msg::kNcCalcSize, msg::kCreate}));
    EXPECT_EQ(handler.heard, (std::vector<std::int32_t>{msg::kNcCalcSize, msg::kCreate}));

    // A procedure may change a move while it is announced: the default procedure then reports
    // the changed place, where the window is.
    handler.during = [](std::int32_t message, LParam lParam) {
        if (message == msg::kWindowPosChanging) reinterpret_cast<WindowPos*>(lParam)->x += 7;
        return false;
    };
    ASSERT_TRUE(windows.MoveWindow(hwnd, {-30000, -30000}));
    const std::vector<SimWindowing::SystemMessage> log = windows.SystemMessages(hwnd);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(Ids({log.begin() + 3, log.end()}),
              (std::vector<std::int32_t>{msg::kWindowPosChanging, msg::kWindowPosChanged,
                                         msg::kMove}));
    EXPECT_EQ(log[5].lParam, LParam{0x8AD08AD7});  // -29993 and -30000 as two 16-bit words
    EXPECT_EQ(windows.PositionOf(hwnd), (Point{-29993, -30000}));

    // The window losing activation hears of it before the one gaining it; each learns the
    // other. Activating the active window again says nothing.
    const Hwnd other = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_TRUE(windows.SetForegroundWindow(other));
    ASSERT_TRUE(windows.SetForegroundWindow(hwnd));
    ASSERT_TRUE(windows.SetForegroundWindow(hwnd));
    using Sent = SimWindowing::SystemMessage;
    const std::vector<Sent> otherLog = windows.SystemMessages(other);
    ASSERT_EQ(otherLog.size(), 9u);
    EXPECT_EQ(otherLog[7], (Sent{msg::kNcActivate, 0, 0}));
    EXPECT_EQ(otherLog[8], (Sent{msg::kActivate, 0, static_cast<LParam>(hwnd)}));
    const std::vector<Sent> ownLog = windows.SystemMessages(hwnd);
    ASSERT_EQ(ownLog.size(), 10u);
    EXPECT_EQ(Ids({ownLog.begin() + 6, ownLog.end()}),
              (std::vector<std::int32_t>{msg::kWindowPosChanging, msg::kWindowPosChanged,
                                         msg::kNcActivate, msg::kActivate}));
    EXPECT_EQ(ownLog[9], (Sent{msg::kActivate, 1, static_cast<LParam>(other)}));
    EXPECT_EQ(windows.PositionOf(hwnd), (Point{-29993, -30000})) << "activation moves nothing";

    // The text is the default procedure's to keep: a procedure that keeps WM_SETTEXT for
    // itself leaves the window's text as it was.
    handler.during = nullptr;
    windows.SetWindowText(hwnd, u"Corbeille \u2713");
    EXPECT_EQ(windows.SystemMessages(hwnd).back().message, msg::kSetText);
    EXPECT_EQ(windows.SendGetText(hwnd, 5), Text(u"Corb\0", 5));
    EXPECT_EQ(windows.SendMessage(hwnd, msg::kGetTextLength, 0, 0), 11);
    handler.during = [](std::int32_t message, LParam) { return message == msg::kSetText; };
    windows.SetWindowText(hwnd, u"other");
    EXPECT_EQ(windows.SendGetText(hwnd, 12), Text(u"Corbeille \u2713\0", 12));
}

// Hands every message on with its lParam cut to 32 bits.
class CutsAddresses final : public MessageHandler {
public:
    explicit CutsAddresses(Windowing& windows) : windows_(windows) {}
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        return windows_.DefWindowProc(hwnd, message, wParam, static_cast<std::int32_t>(lParam));
    }

private:
    Windowing& windows_;
};

// As MonitorFromWindow and GetDpiForWindow answer: a window lies on the monitor that holds its
// corner, else on the nearest; a child on its parent's. A change of scaling, or a move to a
// monitor of another scaling, is told to the top-level windows it concerns, after the move.
TEST(SimSystemMessages, ADpiChangeReachesTheTopLevelWindowsOfTheMonitorItConcerns) {
    SimWindows sim;
    SimWindowing& windows = sim.windows();
    const std::size_t right = windows.AddMonitor(Rect{1920, 0, 3840, 1080}, 144);
    PassOn onMain(windows), moved(windows);
    const Hwnd main = windows.CreateWindow(WindowKind::HiddenOwner, 0, &onMain);
    const Hwnd traveller = windows.CreateWindow(WindowKind::HiddenOwner, 0, &moved);
    const Hwnd child = windows.CreateWindow(WindowKind::Child, traveller, nullptr);
    ASSERT_TRUE(windows.MoveWindow(main, {-5000, 500}));  // off every screen: the nearest one
    EXPECT_EQ(windows.GetDpiForWindow(main), 96);

    ASSERT_TRUE(windows.MoveWindow(traveller, {1919, 0}));
    EXPECT_EQ(windows.GetDpiForWindow(child), 96);
    ASSERT_TRUE(windows.MoveWindow(traveller, {1920, 0}));
    EXPECT_EQ(windows.GetDpiForWindow(child), 144);
    const auto log = windows.SystemMessages(traveller);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().message, msg::kDpiChanged);
    EXPECT_EQ(log.back().wParam, WParam{144 | 144 << 16});
    EXPECT_EQ(std::count(moved.heard.begin(), moved.heard.end(), msg::kDpiChanged), 1);

    windows.SetMonitorDpi(right, 192);
    EXPECT_EQ(std::count(moved.heard.begin(), moved.heard.end(), msg::kDpiChanged), 2);
    EXPECT_EQ(std::count(onMain.heard.begin(), onMain.heard.end(), msg::kDpiChanged), 0);
    EXPECT_EQ(windows.ScreenDpi(), 96) << "the system's DPI stays that of the log-on";
    EXPECT_EQ(windows.GetDpiForWindow(0x7FFFFFFE), 0);
}

TEST(SimSystemMessagesDeathTest, AProcedureThatCutsAnAddressBringsTheProgramDown) {
    if (sizeof(LParam) < 8) GTEST_SKIP() << "addresses fit in 32 bits here";
    EXPECT_DEATH(
        {
            SimWindows sim;
            CutsAddresses handler(sim.windows());
            sim.windows().CreateWindow(WindowKind::HiddenOwner, 0, &handler);
        },
        "");
}

}  // namespace
}  // namespace dustvale::sim
