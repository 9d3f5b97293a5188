// The simulated message loop: timer order on the virtual clock, re-entrant pumping, the
// taskbar's re-creation and the failures a test can inject.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/sim/SimClock.h"
#include "platform/sim/SimKernel.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUserInterface.h"
#include "platform/sim/SimWindowing.h"
#include "platform/sim/SimWindows.h"

namespace dustvale::sim {
namespace {

struct Tick {
    Hwnd hwnd;
    WParam id;
    std::uint64_t at;
    friend bool operator==(const Tick&, const Tick&) = default;
};

// Writes down every WM_TIMER with the virtual time it arrived at, then runs `onTimer`.
class TickLog final : public MessageHandler {
public:
    explicit TickLog(SimWindows& sim) : sim_(sim) {}
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam) noexcept override {
        if (message != msg::kTimer) return 0;
        ticks.push_back({hwnd, wParam, sim_.clock().Now()});
        if (onTimer) onTimer(hwnd, wParam);
        return 0;
    }
    std::vector<Tick> ticks;
    std::function<void(Hwnd, WParam)> onTimer;

private:
    SimWindows& sim_;
};

class SimWindowingTest : public ::testing::Test {
protected:
    SimWindows sim;
    SimWindowing& windows = sim.windows();
    TickLog log{sim};
    Hwnd first = windows.CreateWindow(WindowKind::HiddenOwner, 0, &log);
    Hwnd second = windows.CreateWindow(WindowKind::HiddenOwner, 0, &log);

    std::size_t Count(WParam id) const {
        std::size_t n = 0;
        for (const Tick& t : log.ticks) n += t.id == id;
        return n;
    }
};

TEST_F(SimWindowingTest, TimersFireInDueOrderAtTheirDueTimes) {
    windows.SetTimer(first, 1, 300);
    windows.SetTimer(second, 2, 200);
    windows.SetTimer(first, 3, 200);  // due with timer 2: the one set first goes first
    sim.Advance(600);
    EXPECT_EQ(log.ticks, (std::vector<Tick>{{second, 2, 200}, {first, 3, 200}, {first, 1, 300},
                                            {second, 2, 400}, {first, 3, 400}, {first, 1, 600},
                                            {second, 2, 600}, {first, 3, 600}}));
    EXPECT_EQ(sim.clock().Now(), 600u);
}

TEST_F(SimWindowingTest, SettingAnExistingTimerAgainRestartsItWithTheNewPeriod) {
    windows.SetTimer(first, 1, 100);
    sim.Advance(150);
    windows.SetTimer(first, 1, 500);
    sim.Advance(1000);
    EXPECT_EQ(log.ticks, (std::vector<Tick>{{first, 1, 100}, {first, 1, 650}, {first, 1, 1150}}));
}

TEST_F(SimWindowingTest, AHandlerThatPumpsNeverSeesItsOwnTickTwice) {
    windows.SetTimer(first, 1, 100);
    windows.SetTimer(second, 2, 100);
    log.onTimer = [&](Hwnd, WParam id) {
        if (id == 1) windows.ProcessPendingMessages();  // timer 2, due now, runs inside
    };
    sim.Advance(300);
    EXPECT_EQ(log.ticks, (std::vector<Tick>{{first, 1, 100}, {second, 2, 100}, {first, 1, 200},
                                            {second, 2, 200}, {first, 1, 300}, {second, 2, 300}}));
}

TEST_F(SimWindowingTest, AnAdvanceInsideAHandlerLetsTheOuterOneGoOnFromThere) {
    windows.SetTimer(first, 1, 100);
    bool nested = false;
    log.onTimer = [&](Hwnd, WParam) {
        if (!std::exchange(nested, true)) sim.Advance(250);  // as a modal box would, once
    };
    sim.Advance(1000);
    std::vector<std::uint64_t> times;
    for (const Tick& t : log.ticks) times.push_back(t.at);
    EXPECT_EQ(times, (std::vector<std::uint64_t>{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(sim.clock().Now(), 1000u);
}

TEST_F(SimWindowingTest, AModalScriptThatAdvancesTimeKeepsTimersRunning) {
    windows.SetTimer(first, 1, 1000);
    windows.SetTimer(second, 2, 400);
    int openDuringTicks = 0;
    sim.ui().AnswerMessageBox([&](const SimUserInterface::MessageBoxCall&) {
        sim.Advance(2000);
        return mb::kIdCancel;
    });
    log.onTimer = [&](Hwnd, WParam id) {
        if (sim.ui().OpenModalCount() > 0) ++openDuringTicks;
        if (id == 1 && Count(1) == 1) {
            EXPECT_EQ(sim.ui().MessageBox(first, u"Empty?", u"Dustvale", mb::kOkCancel), mb::kIdCancel);
        }
    };
    sim.Advance(1000);
    EXPECT_EQ(sim.clock().Now(), 3000u);
    EXPECT_EQ(Count(1), 3u);  // 1000 (opens the box), 2000, 3000 inside it
    EXPECT_EQ(openDuringTicks, 7);
    EXPECT_EQ(sim.ui().OpenModalCount(), 0);
}

TEST_F(SimWindowingTest, KillingOrDestroyingInsideAHandlerStopsTheTimer) {
    windows.SetTimer(first, 1, 100);
    windows.SetTimer(second, 2, 100);
    log.onTimer = [&](Hwnd hwnd, WParam id) {
        if (id == 1) windows.KillTimer(hwnd, 1);
        if (id == 2 && Count(2) == 2) windows.DestroyWindow(second);
    };
    sim.Advance(1000);
    EXPECT_EQ(Count(1), 1u);
    EXPECT_EQ(Count(2), 2u);
    EXPECT_FALSE(windows.Exists(second));
    EXPECT_TRUE(windows.Timers().empty());
}

TEST_F(SimWindowingTest, RunMessageLoopEndsAtQuitOrFailsLoudly) {
    windows.SetTimer(first, 1, 1000);
    windows.At(5500, [&] { windows.PostQuitMessage(3); });
    EXPECT_EQ(windows.RunMessageLoop(), 3);
    EXPECT_EQ(sim.clock().Now(), 5500u);
    EXPECT_EQ(Count(1), 5u);

    windows.SetRunLimit(10000);
    EXPECT_THROW(windows.RunMessageLoop(), std::runtime_error);  // the timer runs, nobody quits
    EXPECT_LE(sim.clock().Now(), 5500u + 10000u);

    windows.KillTimer(first, 1);
    EXPECT_THROW(windows.RunMessageLoop(), std::runtime_error);  // nothing can happen any more
}

TEST(SimTaskbarTest, ARecreatedTaskbarHasANewHandleAndAnEmptyTray) {
    SimWindows sim;
    SimWindowing& windows = sim.windows();
    SimShell& shell = sim.shell();
    const Hwnd original = windows.FindWindow(u"shell_traywnd");
    ASSERT_NE(original, 0u);
    Hwnd owner = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    NotifyIconRecord record;
    record.hWnd = owner;
    record.uID = 1;
    ASSERT_TRUE(shell.NotifyIcon(NotifyMessage::Add, record));

    windows.DestroyTaskbar();
    EXPECT_EQ(windows.FindWindow(u"Shell_TrayWnd"), 0u);
    EXPECT_TRUE(shell.Icons().empty());
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Add, record));  // no tray to take it

    const Hwnd recreated = windows.CreateTaskbar();
    EXPECT_NE(recreated, original);
    EXPECT_EQ(windows.FindWindow(u"Shell_TrayWnd"), recreated);
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Modify, record));  // the old icon is gone
    EXPECT_TRUE(shell.NotifyIcon(NotifyMessage::Add, record));
    EXPECT_NE(windows.CreateTaskbar(), recreated);  // Explorer restarting while running
    EXPECT_TRUE(shell.Icons().empty());
}

TEST(SimTaskbarTest, ANewTaskbarTellsTopLevelWindowsAndAnElevatedProgramOnlyWhereItAsked) {
    for (const bool elevated : {false, true}) {
        SCOPED_TRACE(elevated ? "elevated" : "not elevated");
        SimWindows sim;
        SimWindowing& windows = sim.windows();
        sim.kernel().SetElevated(elevated);
        struct Heard final : MessageHandler {
            std::int32_t message = 0;
            int times = 0;
            LResult HandleMessage(Hwnd, std::int32_t m, WParam, LParam) noexcept override {
                times += m == message ? 1 : 0;
                return 0;
            }
        } asked, other, child;
        const std::int32_t created = windows.RegisterWindowMessage(u"TaskbarCreated");
        ASSERT_GE(created, 0xC000);
        EXPECT_EQ(windows.RegisterWindowMessage(u"taskbarcreated"), created);
        asked.message = other.message = child.message = created;
        const Hwnd top = windows.CreateWindow(WindowKind::HiddenOwner, 0, &asked);
        windows.CreateWindow(WindowKind::HiddenOwner, 0, &other);
        windows.CreateWindow(WindowKind::Child, top, &child);
        ASSERT_TRUE(windows.AllowMessageFromLowerIntegrity(top, created));

        windows.CreateTaskbar();
        EXPECT_EQ(asked.times, 0) << "sent before the program takes its messages";
        sim.Pump();
        EXPECT_EQ(asked.times, 1);
        EXPECT_EQ(other.times, elevated ? 0 : 1);
        EXPECT_EQ(child.times, 0);
    }
}

class Answer final : public MessageHandler {
public:
    LResult HandleMessage(Hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        seen.push_back({message, static_cast<std::int64_t>(wParam), lParam});
        return 0;
    }
    std::vector<std::vector<std::int64_t>> seen;
};

TEST(SimFailureTest, InjectedFailuresHitOnlyTheCallsAskedFor) {
    SimWindows sim;
    SimWindowing& windows = sim.windows();
    Answer handler;
    Hwnd hwnd = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    windows.FailNextSubclass();
    windows.FailNextSetTimer(2);
    EXPECT_EQ(windows.SubclassWindow(hwnd, handler), 0u);
    EXPECT_NE(windows.SubclassWindow(hwnd, handler), 0u);
    EXPECT_EQ(windows.SetTimer(hwnd, 1, 100), 0u);
    EXPECT_EQ(windows.SetTimer(hwnd, 1, 100), 0u);
    EXPECT_EQ(windows.SetTimer(hwnd, 1, 100), 1u);

    SimShell& shell = sim.shell();
    NotifyIconRecord record;
    record.hWnd = hwnd;
    shell.RefuseNextAdd();
    EXPECT_FALSE(shell.NotifyIcon(NotifyMessage::Add, record));
    EXPECT_TRUE(shell.NotifyIcon(NotifyMessage::Add, record));
    ASSERT_EQ(shell.NotifyCalls().size(), 2u);
    EXPECT_FALSE(shell.NotifyCalls()[0].result);
    EXPECT_TRUE(shell.NotifyCalls()[1].result);

    shell.AddToRecycleBin(u'C', 500);
    RecycleBinInfo info;
    info.cbSize = 20;
    info.i64NumItems = 99;
    shell.FailQueries(true);
    EXPECT_EQ(shell.QueryRecycleBin(u"C:\\", info), static_cast<std::int32_t>(0x80004005));
    EXPECT_EQ(info.i64NumItems, 99u);
    shell.FailQueries(false);
    EXPECT_EQ(shell.QueryRecycleBin(u"C:\\", info), 0);
    EXPECT_EQ(info.i64NumItems, 1u);
    EXPECT_EQ(info.i64Size, 500u);
}

TEST(SimShellTest, ModifyTakesOnlyTheFlaggedFieldsAndCallbacksAreSentSynchronously) {
    SimWindows sim;
    Answer handler;
    Hwnd hwnd = sim.windows().CreateWindow(WindowKind::HiddenOwner, 0, &handler);
    handler.seen.clear();  // its creation
    SimShell& shell = sim.shell();
    NotifyIconRecord record;
    record.hWnd = hwnd;
    record.uID = 7;
    record.uFlags = nif::kIcon | nif::kTip | nif::kMessage;
    record.hIcon = 0x111;
    record.szTip[0] = u'A';
    record.uCallbackMessage = msg::kTrayCallback;
    ASSERT_TRUE(shell.NotifyIcon(NotifyMessage::Add, record));

    record.uFlags = nif::kIcon;
    record.hIcon = 0x222;
    record.szTip[0] = u'B';
    record.uCallbackMessage = 0;
    ASSERT_TRUE(shell.NotifyIcon(NotifyMessage::Modify, record));
    std::optional<SimShell::TrayIcon> icon = shell.Icon(hwnd, 7);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->icon, 0x222u);
    EXPECT_EQ(icon->tip, u"A");
    EXPECT_EQ(icon->callbackMessage, static_cast<std::uint32_t>(msg::kTrayCallback));

    EXPECT_TRUE(shell.SendCallback(hwnd, 7, msg::kRButtonUp));
    ASSERT_EQ(handler.seen.size(), 1u);  // before SendCallback returned
    EXPECT_EQ(handler.seen[0], (std::vector<std::int64_t>{msg::kTrayCallback, 7, msg::kRButtonUp}));
    EXPECT_FALSE(shell.SendCallback(hwnd, 8, msg::kRButtonUp));  // no such icon
}

TEST(SimShellTest, EachDriveHasItsOwnRecycleBin) {
    SimWindows sim;
    sim.files().AddDrive(u'D');
    SimShell& shell = sim.shell();
    shell.AddToRecycleBin(u'C', 100);
    shell.AddToRecycleBin(u'c', 50);
    shell.AddToRecycleBin(u'D', 7);
    RecycleBinInfo info;
    info.cbSize = 20;
    ASSERT_EQ(shell.QueryRecycleBin(u"d:\\", info), 0);
    EXPECT_EQ(info.i64NumItems, 1u);
    EXPECT_EQ(info.i64Size, 7u);
    info.cbSize = 24;
    EXPECT_EQ(shell.QueryRecycleBin(u"C:\\", info), static_cast<std::int32_t>(0x80070057));
    EXPECT_EQ(info.i64NumItems, 1u);  // left as it was

    EXPECT_EQ(shell.EmptyRecycleBin(0, u"D:\\", sherb::kNoConfirmation), 0);
    EXPECT_EQ(shell.RecycleBinItems(u'C'), 2u);
    EXPECT_EQ(shell.RecycleBinItems(u'D'), 0u);
    EXPECT_EQ(shell.EmptyRecycleBin(0, std::nullopt, 0), 0);
    EXPECT_EQ(shell.RecycleBinItems(u'C'), 0u);
    EXPECT_EQ(shell.RecycleBinBytes(u'C'), 0u);
    EXPECT_EQ(shell.EmptyCalls().size(), 2u);
}

}  // namespace
}  // namespace dustvale::sim
