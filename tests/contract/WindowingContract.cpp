// Windows, procedures, messages and timers behave alike on every platform.

#include <gtest/gtest.h>

#include <vector>

#include "tests/contract/ContractFixture.h"

namespace dustvale::contract {
namespace {

struct Seen {
    Hwnd hwnd;
    std::int32_t message;
    WParam wParam;
    LParam lParam;
};

// Records what reaches it and, when told, hands the message on to the procedure it replaced.
class Recorder final : public MessageHandler {
public:
    Recorder(Windowing& windows, std::int32_t answer) : windows_(windows), answer_(answer) {}

    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam wParam,
                          LParam lParam) noexcept override {
        if (message == msg::kTimer || message == msg::kDestroy || message >= msg::kUser)
            seen.push_back({hwnd, message, wParam, lParam});
        if (previous != 0) return windows_.CallWindowProc(previous, hwnd, message, wParam, lParam);
        return message >= msg::kUser ? answer_ : 0;
    }

    std::vector<WParam> Messages(std::int32_t message) const {
        std::vector<WParam> wParams;
        for (const Seen& s : seen)
            if (s.message == message) wParams.push_back(s.wParam);
        return wParams;
    }

    std::vector<Seen> seen;
    WindowProc previous = 0;

private:
    Windowing& windows_;
    std::int32_t answer_;
};

template <class F>
class WindowingContract : public ::testing::Test {
protected:
    F fixture;
    Windowing& windows = fixture.platform().windows;
};

TYPED_TEST_SUITE_P(WindowingContract);

TYPED_TEST_P(WindowingContract, SendMessageRunsTheProcedureAndReturnsItsAnswer) {
    Recorder handler(this->windows, 77);
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, &handler);
    ASSERT_NE(hwnd, 0u);
    EXPECT_EQ(this->windows.SendMessage(hwnd, msg::kUser + 3, 11, -12), 77);
    ASSERT_EQ(handler.seen.size(), 1u);
    EXPECT_EQ(handler.seen[0].hwnd, hwnd);
    EXPECT_EQ(handler.seen[0].wParam, 11u);
    EXPECT_EQ(handler.seen[0].lParam, -12);
    this->windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(WindowingContract, SubclassingChainsToThePreviousProcedure) {
    Recorder original(this->windows, 5);
    Recorder hook(this->windows, 9);
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, &original);
    ASSERT_NE(hwnd, 0u);
    hook.previous = this->windows.SubclassWindow(hwnd, hook);
    ASSERT_NE(hook.previous, 0u);

    // The hook sees the message first and passes on the original procedure's answer.
    EXPECT_EQ(this->windows.SendMessage(hwnd, msg::kUser + 1, 1, 2), 5);
    EXPECT_EQ(hook.Messages(msg::kUser + 1).size(), 1u);
    EXPECT_EQ(original.Messages(msg::kUser + 1).size(), 1u);

    // A second subclass on top of the first is refused: it could only chain to itself.
    Recorder second(this->windows, 7);
    EXPECT_EQ(this->windows.SubclassWindow(hwnd, second), 0u);
    EXPECT_EQ(this->windows.SendMessage(hwnd, msg::kUser + 1, 1, 2), 5);
    EXPECT_TRUE(second.Messages(msg::kUser + 1).empty());

    // Giving the window its procedure back takes the hook out of the way.
    this->windows.RestoreWindowProc(hwnd, hook.previous);
    EXPECT_EQ(this->windows.SendMessage(hwnd, msg::kUser + 1, 1, 2), 5);
    EXPECT_EQ(hook.Messages(msg::kUser + 1).size(), 2u);
    EXPECT_EQ(original.Messages(msg::kUser + 1).size(), 3u);

    // ...after which the window can be subclassed again.
    second.previous = this->windows.SubclassWindow(hwnd, second);
    EXPECT_NE(second.previous, 0u);
    this->windows.RestoreWindowProc(hwnd, second.previous);
    this->windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(WindowingContract, TheDefaultProcedureAnswersZero) {
    Recorder hook(this->windows, 9);
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    hook.previous = this->windows.SubclassWindow(hwnd, hook);
    ASSERT_NE(hook.previous, 0u);
    EXPECT_EQ(this->windows.SendMessage(hwnd, msg::kUser + 1, 1, 2), 0);
    EXPECT_EQ(this->windows.CallWindowProc(hook.previous, hwnd, msg::kUser + 2, 0, 0), 0);
    this->windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(WindowingContract, PostedMessagesWaitForTheLoop) {
    Recorder handler(this->windows, 0);
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, &handler);
    ASSERT_NE(hwnd, 0u);
    ASSERT_TRUE(this->windows.PostMessage(hwnd, msg::kUser + 7, 1, 0));
    ASSERT_TRUE(this->windows.PostMessage(hwnd, msg::kUser + 7, 2, 0));
    EXPECT_TRUE(handler.seen.empty());
    this->windows.ProcessPendingMessages();
    EXPECT_EQ(handler.Messages(msg::kUser + 7), (std::vector<WParam>{1, 2}));
    this->windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(WindowingContract, TimersReachTheCurrentProcedureUntilKilled) {
    Recorder original(this->windows, 0);
    Recorder hook(this->windows, 0);
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, &original);
    ASSERT_NE(hwnd, 0u);
    hook.previous = this->windows.SubclassWindow(hwnd, hook);
    ASSERT_EQ(this->windows.SetTimer(hwnd, 7, 50), 7u);

    this->fixture.WaitForTimers(500);
    std::vector<WParam> ticks = hook.Messages(msg::kTimer);
    EXPECT_GE(ticks.size(), 3u);
    EXPECT_LE(ticks.size(), 11u);
    for (WParam id : ticks) EXPECT_EQ(id, 7u);
    EXPECT_EQ(original.Messages(msg::kTimer).size(), ticks.size());  // through CallWindowProc

    EXPECT_TRUE(this->windows.KillTimer(hwnd, 7));
    this->fixture.WaitForTimers(200);
    EXPECT_EQ(hook.Messages(msg::kTimer).size(), ticks.size());
    EXPECT_FALSE(this->windows.KillTimer(hwnd, 7));
    this->windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(WindowingContract, SettingATimerAgainReplacesIt) {
    Recorder handler(this->windows, 0);
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, &handler);
    ASSERT_NE(hwnd, 0u);
    ASSERT_EQ(this->windows.SetTimer(hwnd, 7, 50), 7u);
    ASSERT_EQ(this->windows.SetTimer(hwnd, 7, 5000), 7u);
    this->fixture.WaitForTimers(300);
    EXPECT_TRUE(handler.Messages(msg::kTimer).empty());
    this->windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(WindowingContract, TheDefaultProcedureDestroysAWindowAskedToClose) {
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    constexpr std::int32_t kQueryEndSession = 0x0011;  // the user logs off: agreed by default
    EXPECT_NE(this->windows.DefWindowProc(hwnd, kQueryEndSession, 0, 0), 0);
    EXPECT_EQ(this->windows.DefWindowProc(hwnd, msg::kUser + 9, 1, 2), 0);
    EXPECT_EQ(this->windows.SendMessage(hwnd, msg::kClose, 0, 0), 0);
    EXPECT_FALSE(this->windows.PostMessage(hwnd, msg::kUser, 0, 0));
}

TYPED_TEST_P(WindowingContract, ADestroyedWindowHearsWmDestroyAndTakesNothingMore) {
    Recorder parentHandler(this->windows, 0);
    Recorder childHandler(this->windows, 0);
    Hwnd parent = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, &parentHandler);
    Hwnd child = this->windows.CreateWindow(WindowKind::Child, parent, &childHandler);
    ASSERT_NE(parent, 0u);
    ASSERT_NE(child, 0u);
    ASSERT_EQ(this->windows.SetTimer(parent, 3, 20), 3u);

    this->windows.DestroyWindow(parent);
    EXPECT_EQ(parentHandler.Messages(msg::kDestroy).size(), 1u);
    EXPECT_EQ(childHandler.Messages(msg::kDestroy).size(), 1u);  // children go with it
    EXPECT_FALSE(this->windows.PostMessage(parent, msg::kUser, 0, 0));
    EXPECT_FALSE(this->windows.PostMessage(child, msg::kUser, 0, 0));
    EXPECT_EQ(this->windows.SetTimer(parent, 4, 20), 0u);
    this->fixture.WaitForTimers(100);
    EXPECT_TRUE(parentHandler.Messages(msg::kTimer).empty());
}

// Cleans up in WM_DESTROY, as the tray control's window does when it goes.
class CleanUpOnDestroy final : public MessageHandler {
public:
    explicit CleanUpOnDestroy(Windowing& windows) : windows_(windows) {}
    LResult HandleMessage(Hwnd hwnd, std::int32_t message, WParam, LParam) noexcept override {
        if (message == msg::kDestroy) {
            timerKilled = windows_.KillTimer(hwnd, 3);
            answered = windows_.SendMessage(hwnd, msg::kUser + 1, 0, 0);
        }
        return message == msg::kUser + 1 ? 42 : 0;
    }
    bool timerKilled = false;
    LResult answered = 0;

private:
    Windowing& windows_;
};

TYPED_TEST_P(WindowingContract, AWindowStillAnswersWhileHearingWmDestroy) {
    CleanUpOnDestroy handler(this->windows);
    Hwnd hwnd = this->windows.CreateWindow(WindowKind::HiddenOwner, 0, &handler);
    ASSERT_NE(hwnd, 0u);
    ASSERT_EQ(this->windows.SetTimer(hwnd, 3, 1000), 3u);
    this->windows.DestroyWindow(hwnd);
    EXPECT_TRUE(handler.timerKilled);
    EXPECT_EQ(handler.answered, 42);
}

TYPED_TEST_P(WindowingContract, AWindowThatStoppedAnsweringCostsASecondNotAHang) {
    Kernel& kernel = this->fixture.platform().kernel;
    const Hwnd hung = this->fixture.HungWindow();
    ASSERT_NE(hung, 0u);
    const std::uint64_t started = kernel.TickCount();
    EXPECT_EQ(this->windows.SendMessage(hung, msg::kMButtonDown, 0, 0), 0);
    EXPECT_EQ(this->windows.SendGetText(hung, 8), Text(8, u'\0'));
    // Two sends, each given a second at most.
    EXPECT_LE(kernel.TickCount() - started, 3500u);
}

TYPED_TEST_P(WindowingContract, TheTaskbarIsFoundByItsClassName) {
    if (!this->fixture.HasTray()) GTEST_SKIP() << "no taskbar on this desktop";
    EXPECT_NE(this->windows.FindWindow(u"Shell_TrayWnd"), 0u);
    EXPECT_EQ(this->windows.FindWindow(u"Dustvale_NoSuchClass_4711"), 0u);
}

TYPED_TEST_P(WindowingContract, ARegisteredMessageIsOneForItsNameInAnyCase) {
    Windowing& windows = this->windows;
    const std::int32_t created = windows.RegisterWindowMessage(u"TaskbarCreated");
    EXPECT_GE(created, 0xC000);
    EXPECT_LE(created, 0xFFFF);
    EXPECT_EQ(windows.RegisterWindowMessage(u"TASKBARCREATED"), created);
    const std::int32_t other = windows.RegisterWindowMessage(u"Dustvale.Contract.Message");
    EXPECT_GE(other, 0xC000);
    EXPECT_NE(other, created);
    EXPECT_EQ(windows.RegisterWindowMessage(Text(256, u'x')), 0);  // longer than an atom

    // Let through to a window of ours from lower integrity: granted, whether or not the
    // process runs elevated.
    const Hwnd hwnd = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    EXPECT_TRUE(windows.AllowMessageFromLowerIntegrity(hwnd, created));
    windows.DestroyWindow(hwnd);
}

TYPED_TEST_P(WindowingContract, SmallIconsGrowWithTheDpiOfTheWindowsMonitor) {
    Windowing& windows = this->windows;
    // The small-icon sizes of 100, 125, 150, 175, 200, 250 and 300 % scaling.
    const std::pair<std::int32_t, std::int32_t> sizes[] = {
        {96, 16}, {120, 20}, {144, 24}, {168, 28}, {192, 32}, {240, 40}, {288, 48}};
    for (const auto& [dpi, side] : sizes) EXPECT_EQ(windows.SmallIconSizeForDpi(dpi), side) << dpi;

    // One monitor, at the scaling of the log-on: a window's DPI is the system's.
    const Hwnd hwnd = windows.CreateWindow(WindowKind::HiddenOwner, 0, nullptr);
    ASSERT_NE(hwnd, 0u);
    EXPECT_EQ(windows.GetDpiForWindow(hwnd), windows.ScreenDpi());
    windows.DestroyWindow(hwnd);
    EXPECT_EQ(windows.GetDpiForWindow(hwnd), 0) << "a window that is gone";
    if (this->fixture.HasTray()) {
        EXPECT_EQ(windows.GetDpiForWindow(windows.FindWindow(u"Shell_TrayWnd")),
                  windows.ScreenDpi());
    }
}

REGISTER_TYPED_TEST_SUITE_P(WindowingContract, SendMessageRunsTheProcedureAndReturnsItsAnswer,
                            SubclassingChainsToThePreviousProcedure, TheDefaultProcedureAnswersZero,
                            PostedMessagesWaitForTheLoop, TimersReachTheCurrentProcedureUntilKilled,
                            SettingATimerAgainReplacesIt, TheDefaultProcedureDestroysAWindowAskedToClose,
                            ADestroyedWindowHearsWmDestroyAndTakesNothingMore,
                            AWindowStillAnswersWhileHearingWmDestroy,
                            AWindowThatStoppedAnsweringCostsASecondNotAHang,
                            TheTaskbarIsFoundByItsClassName,
                            ARegisteredMessageIsOneForItsNameInAnyCase,
                            SmallIconsGrowWithTheDpiOfTheWindowsMonitor);
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, WindowingContract, PlatformUnderTest, PlatformName);

}  // namespace
}  // namespace dustvale::contract
