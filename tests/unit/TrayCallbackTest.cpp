// The control's window: the shell's callback messages become events in their exact order (one
// action of the user, one set of events), the timers, the taskbar watch, and what happens when
// hooking or a handler fails.

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/unit/TrayTestScene.h"

namespace dustvale {
namespace {

using traytest::OriginalProc;
using traytest::TrayScene;
using Log = std::vector<std::string>;

TEST(TrayCallback, EachNotificationRaisesItsEventsInOrderAndIsHandedOn) {
    struct Case {
        std::int32_t lParam;
        Log expected;
    };
    const Case cases[] = {
        {0x200, {"OnMouseMove"}},
        {0x201, {"Foreground", "OnMouseDown(1)"}},
        {0x202, {"Foreground", "OnClick", "OnMouseUp(1)"}},
        {0x203, {"Foreground", "OnDoubleClick(1)"}},
        {0x204, {"Foreground", "OnMouseDown(2)"}},
        {0x205, {"Foreground", "OnMouseUp(2)"}},
        {0x206, {"Foreground", "OnDoubleClick(2)"}},
        {0x207, {"Foreground", "OnMouseDown(4)"}},
        {0x208, {"Foreground", "OnMouseUp(4)"}},
        {0x209, {"Foreground", "OnDoubleClick(4)"}},
        {0x402, {"OnBalloonShown"}},
        {0x403, {"OnBalloonTimedOut"}},
        {0x404, {"OnBalloonClosed"}},
        {0x405, {"OnBalloonClicked"}},
        // The keyboard's selection and context menu, at the icon's centre; a left click's
        // NIN_SELECT has no event of its own.
        {0x401, {"Foreground", "OnKeySelect(1908,1060)"}},
        {0x7B, {"Foreground", "OnContextMenu(1908,1060)"}},
        {0x400, {}},
        {0x20A, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lParam);
        TrayScene s;
        s.Register();
        ASSERT_TRUE(s.sim.shell().SendCallback(s.controlWindow, 1000, c.lParam));
        EXPECT_EQ(s.host.Log(), c.expected);
        ASSERT_EQ(s.original.seen.size(), 1u);
        EXPECT_EQ(s.original.seen[0].message, msg::kTrayCallback);
        EXPECT_EQ(s.original.seen[0].wParam, 1000u);
        EXPECT_EQ(s.original.seen[0].lParam, c.lParam);
    }
}

// What the shell sends for one click or key, with its repeats: each action raises its events
// once, whether the repeat comes at once or while the handler of the first still runs (a menu
// is open); the same action again a second later is a new one.
TEST(TrayCallback, OneActionOfTheUserRaisesItsEventsOnce) {
    using Key = sim::SimShell::Key;
    const Log leftClick{"Foreground", "OnMouseDown(1)", "Foreground", "OnClick", "OnMouseUp(1)"};
    const Log rightClick{"Foreground", "OnMouseDown(2)", "Foreground", "OnMouseUp(2)"};
    const Log keySelect{"Foreground", "OnKeySelect(1908,1060)"};
    const Log contextMenu{"Foreground", "OnContextMenu(1908,1060)"};
    auto join = [](Log a, const Log& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        std::function<void(TrayScene&)> act;
        Log expected;
    };
    auto click = [](std::int16_t button) {
        return [button](TrayScene& s) { s.sim.shell().Click(s.controlWindow, 1000, button); };
    };
    auto press = [](Key key) {
        return [key](TrayScene& s) { s.sim.shell().PressKey(s.controlWindow, 1000, key); };
    };
    auto nestedRepeat = [](const char* first, std::int32_t repeat) {
        return [first, repeat](TrayScene& s) {
            s.host.onEvent = [&s, first, repeat, done = false](const std::string& event) mutable {
                if (done || event.rfind(first, 0) != 0) return;
                done = true;  // the handler's menu stays open for three seconds
                s.sim.Advance(3000);
                s.Callback(repeat);
            };
        };
    };
    const Case cases[] = {
        {"left click and its NIN_SELECT", click(1), leftClick},
        {"right click and its WM_CONTEXTMENU", click(2), rightClick},
        {"Enter's two NIN_KEYSELECT", press(Key::Enter), keySelect},
        {"Space", press(Key::Space), keySelect},
        {"menu key", press(Key::Menu), contextMenu},
        {"Enter twice, a second apart",
         [&](TrayScene& s) {
             press(Key::Enter)(s);
             s.sim.Advance(1000);
             press(Key::Enter)(s);
         },
         join(keySelect, keySelect)},
        {"menu key a second after a right click",
         [&](TrayScene& s) {
             click(2)(s);
             s.sim.Advance(1000);
             press(Key::Menu)(s);
         },
         join(rightClick, contextMenu)},
        {"Enter's repeat while its menu is open",
         [&](TrayScene& s) {
             nestedRepeat("OnKeySelect", msg::kKeySelect)(s);
             s.Callback(msg::kKeySelect);
         },
         keySelect},
        {"a right click's WM_CONTEXTMENU while its menu is open",
         [&](TrayScene& s) {
             nestedRepeat("OnMouseUp(2)", msg::kContextMenu)(s);
             s.Callback(msg::kRButtonUp);
         },
         {"Foreground", "OnMouseUp(2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrayScene s;
        s.Register();
        c.act(s);
        EXPECT_EQ(s.host.Log(), c.expected);
    }
}

TEST(TrayCallback, KeyboardAtAnIconTheShellCannotPlaceOpensAtTheCursor) {
    TrayScene s;
    s.Register();
    s.sim.windows().SetCursorPos({300, 200});
    s.sim.shell().ForgetIcons();  // the shell no longer tells where the icon is
    s.Callback(msg::kContextMenu);
    EXPECT_EQ(s.host.Log(), (Log{"Foreground", "OnContextMenu(300,200)"}));
}

TEST(TrayCallback, LeftClickGivesDownThenClickAndUpEachAfterTheForeground) {
    TrayScene s;
    s.Register();
    s.Callback(0x201);
    s.Callback(0x202);
    EXPECT_EQ(s.host.Log(),
              (Log{"Foreground", "OnMouseDown(1)", "Foreground", "OnClick", "OnMouseUp(1)"}));
    EXPECT_EQ(s.sim.windows().Foreground(), s.owner);
}

TEST(TrayCallback, CallbackAnswerIsThePreviousProceduresAnswer) {
    TrayScene s;
    s.Register();
    EXPECT_EQ(s.Callback(0x205), OriginalProc::kAnswer);
    EXPECT_EQ(s.sim.windows().SendMessage(s.controlWindow, 0x0100, 7, 9), OriginalProc::kAnswer);
    ASSERT_EQ(s.original.seen.size(), 2u);
    EXPECT_EQ(s.original.seen[1].message, 0x0100);
    EXPECT_EQ(s.original.seen[1].wParam, 7u);
    EXPECT_EQ(s.original.seen[1].lParam, 9);
}

TEST(TrayCallback, TimerMessageOfAnUnknownIdDoesNothingAndIsNotHandedOn) {
    TrayScene s;
    s.Register();
    EXPECT_EQ(s.sim.windows().SendMessage(s.controlWindow, msg::kTimer, 999, 0), 0);
    EXPECT_EQ(s.sim.windows().SendMessage(s.controlWindow, msg::kTimer, 1004, 0), 0);
    EXPECT_TRUE(s.original.seen.empty());
    EXPECT_TRUE(s.host.Log().empty());
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
}

TEST(TrayCallback, ErrorInAHandlerEndsTheMessageWithZeroAndIsNotHandedOn) {
    TrayScene s;
    s.Register();
    s.host.onEvent = [](const std::string& event) {
        if (event == "OnClick") {
            throw std::runtime_error("handler failed");
        }
    };
    EXPECT_EQ(s.Callback(0x202), 0);
    EXPECT_EQ(s.host.Log(), (Log{"Foreground", "OnClick"}));  // OnMouseUp never comes
    EXPECT_TRUE(s.original.seen.empty());

    // The next message is handled as usual.
    s.host.onEvent = nullptr;
    EXPECT_EQ(s.Callback(0x205), OriginalProc::kAnswer);
}

TEST(TrayCallback, AnythingThrownInAHandlerStaysInsideTheWindowProcedure) {
    TrayScene s;
    s.Register();
    s.host.onEvent = [](const std::string&) { throw 42; };
    EXPECT_EQ(s.Callback(0x200), 0);
    EXPECT_TRUE(s.original.seen.empty());
}

TEST(TrayCallback, HandlerMayRemoveTheIconInTheMiddleOfTheMessage) {
    TrayScene s;
    s.Register();
    s.host.onEvent = [&s](const std::string& event) {
        if (event == "OnClick") {
            EXPECT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
        }
    };
    // The window has its own procedure back: the message ends here.
    EXPECT_EQ(s.Callback(0x202), 0);
    EXPECT_EQ(s.host.Log(), (Log{"Foreground", "OnClick", "OnMouseUp(1)"}));
    EXPECT_TRUE(s.original.seen.empty());
    EXPECT_EQ(s.sim.windows().CurrentProc(s.controlWindow), s.originalProc);
    EXPECT_TRUE(s.sim.shell().Icons().empty());
    EXPECT_TRUE(s.sim.windows().Timers().empty());
}

TEST(TrayCallback, ControlDestroyedByAHandlerIsNotTouchedAfterwards) {
    struct Case {
        std::int32_t lParam;
        Log expected;
    };
    const Case cases[] = {
        {0x202, {"Foreground", "OnClick"}},  // no OnMouseUp from a control that is gone
        {0x205, {"Foreground", "OnMouseUp(2)"}},
        {0x402, {"OnBalloonShown"}},
        {0x405, {"OnBalloonClicked"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lParam);
        TrayScene s;
        s.Register();
        s.host.onEvent = [&s](const std::string&) { s.control.reset(); };
        EXPECT_EQ(s.Callback(c.lParam), 0);
        EXPECT_EQ(s.host.Log(), c.expected);
        EXPECT_TRUE(s.original.seen.empty());
        EXPECT_TRUE(s.sim.shell().Icons().empty());
        EXPECT_EQ(s.sim.windows().CurrentProc(s.controlWindow), s.originalProc);
    }
}

TEST(TrayCallback, ANestedCallbackDuringAHandlerIsHandledInFull) {
    TrayScene s;
    s.Register();
    bool nested = false;
    s.host.onEvent = [&](const std::string& event) {
        if (event == "OnMouseUp(2)" && !nested) {
            nested = true;  // as while a pop-up menu is open
            s.Callback(0x201);
        }
    };
    s.Callback(0x205);
    EXPECT_EQ(s.host.Log(), (Log{"Foreground", "OnMouseUp(2)", "Foreground", "OnMouseDown(1)"}));
    EXPECT_EQ(s.original.seen.size(), 2u);
}

TEST(TrayCallback, UnhookedControlAnswersZeroAndRaisesNothing) {
    TrayScene s;
    s.control->SetIcon(s.full);
    EXPECT_EQ(s.control->OnWindowMessage(s.controlWindow, msg::kTrayCallback, 1000, 0x205), 0);
    EXPECT_EQ(s.control->OnWindowMessage(s.controlWindow, msg::kTimer, 1001, 0), 0);
    EXPECT_TRUE(s.host.Log().empty());
    EXPECT_TRUE(s.original.seen.empty());
}

TEST(TrayCallback, FailedHookKeepsTheIconButRaisesNoEventsAndOnlyUpdatesBringItBack) {
    TrayScene s;
    s.sim.windows().FailNextSubclass();
    s.control->SetIcon(s.full);
    ASSERT_TRUE(s.control->AddIcon());
    EXPECT_EQ(s.sim.shell().Icons().size(), 1u);
    s.sim.shell().ClearNotifyCalls();

    EXPECT_TRUE(s.sim.shell().SendCallback(s.controlWindow, 1000, 0x205));
    EXPECT_TRUE(s.host.Log().empty());
    EXPECT_EQ(s.original.seen.size(), 1u);  // the window's own procedure still has it

    s.sim.windows().DestroyTaskbar();
    s.sim.windows().CreateTaskbar();
    s.sim.Advance(10000);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_TRUE(s.sim.shell().Icons().empty());  // the new taskbar does not know the icon

    // Without timers, each update of the icon tries the add itself.
    s.sim.shell().RefuseNextAdd();
    s.control->SetTooltip(u"Dustvale");
    EXPECT_TRUE(s.sim.shell().Icons().empty());
    s.control->SetTooltip(u"Dustvale");
    EXPECT_EQ(s.sim.shell().Icons().size(), 1u);
}

TEST(TrayCallback, TaskbarWatchRunsEveryTwoSecondsOnTheControlsWindow) {
    TrayScene s;
    s.Register();
    EXPECT_EQ(s.TimerPeriod(1001), std::optional<std::uint32_t>(2000));
}

TEST(TrayCallback, FailedTimerStartLeavesItStoppedAndTheNextStartTriesAgain) {
    TrayScene s;
    s.Register();
    s.sim.windows().FailNextSetTimer();
    s.control->StartBlinking(300);
    EXPECT_FALSE(s.control->IsBlinking());
    EXPECT_FALSE(s.TimerPeriod(1003).has_value());
    s.control->StartBlinking(300);
    EXPECT_TRUE(s.control->IsBlinking());
    EXPECT_EQ(s.TimerPeriod(1003), std::optional<std::uint32_t>(300));
}

TEST(TrayCallback, FailedWatchTimerIsStartedAgainByTheNextRegistration) {
    TrayScene s;
    s.control->SetIcon(s.full);
    s.sim.windows().FailNextSetTimer();
    ASSERT_TRUE(s.control->AddIcon());
    EXPECT_FALSE(s.TimerPeriod(1001).has_value());
    ASSERT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    ASSERT_TRUE(s.control->AddIcon());
    EXPECT_EQ(s.TimerPeriod(1001), std::optional<std::uint32_t>(2000));
}

TEST(TrayCallback, SameTaskbarWindowMeansNothingHappensHoweverOftenTheWatchRuns) {
    TrayScene s;
    s.Register();
    s.sim.Advance(20000);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayCallback, WhileNoTaskbarExistsTheWatchOnlyLooks) {
    TrayScene s;
    s.Register();
    s.sim.windows().DestroyTaskbar();
    s.sim.Advance(20000);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_TRUE(s.host.errors.empty());
    EXPECT_EQ(s.TimerPeriod(1001), std::optional<std::uint32_t>(2000));
}

TEST(TrayCallback, NewTaskbarGetsTheIconBackWithinTwoSeconds) {
    TrayScene s;
    s.Register();
    s.control->SetTooltip(u"Dustvale (2 items)");
    s.sim.windows().DestroyTaskbar();
    s.sim.Advance(5000);
    s.sim.windows().CreateTaskbar();
    s.sim.shell().ClearNotifyCalls();

    s.sim.Advance(2000);
    EXPECT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Delete,
                                                              NotifyMessage::Add,
                                                              NotifyMessage::SetVersion}));
    const auto icon = s.sim.shell().Icon(s.controlWindow, 1000);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->tip, u"Dustvale (2 items)");
    EXPECT_EQ(icon->icon, traytest::kFullIcon);

    // Registered with the new taskbar: the watch is quiet again, and there is one hook only.
    s.sim.shell().ClearNotifyCalls();
    s.sim.Advance(10000);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    s.Callback(0x205);
    EXPECT_EQ(s.host.Log(), (Log{"Foreground", "OnMouseUp(2)"}));
    ASSERT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    EXPECT_EQ(s.sim.windows().CurrentProc(s.controlWindow), s.originalProc);
}

TEST(TrayCallback, TaskbarReplacedBetweenTwoLooksIsNoticed) {
    TrayScene s;
    s.Register();
    s.sim.windows().CreateTaskbar();  // destroys the old one and makes a new one at once
    s.sim.Advance(2000);
    EXPECT_EQ(s.sim.shell().Icons().size(), 1u);
}

TEST(TrayCallback, BlinkingResumesWithTheSameCycleOnTheNewTaskbar) {
    TrayScene s;
    s.Register();
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(700);
    s.sim.windows().DestroyTaskbar();
    s.sim.Advance(3000);
    s.sim.windows().CreateTaskbar();
    s.sim.Advance(2000);
    ASSERT_EQ(s.sim.shell().Icons().size(), 1u);
    EXPECT_TRUE(s.control->IsBlinking());
    EXPECT_EQ(s.TimerPeriod(1003), std::optional<std::uint32_t>(700));
}

TEST(TrayCallback, StoppedBlinkingStaysStoppedOnTheNewTaskbar) {
    TrayScene s;
    s.Register();
    s.control->StartBlinking(700);
    s.control->StopBlinking();
    s.sim.windows().CreateTaskbar();
    s.sim.Advance(2000);
    ASSERT_EQ(s.sim.shell().Icons().size(), 1u);
    EXPECT_FALSE(s.control->IsBlinking());
}

}  // namespace
}  // namespace dustvale
