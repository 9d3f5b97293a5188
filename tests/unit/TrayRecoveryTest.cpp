// Keeping the icon in the tray when the shell refuses or loses it: refused adds tried again
// with growing waits, an add the shell answered too late, updates of an icon the shell no
// longer knows, and a new taskbar.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "tests/unit/TrayTestScene.h"

namespace dustvale {
namespace {

using traytest::TrayScene;

std::size_t Count(TrayScene& s, NotifyMessage message) {
    const auto messages = s.NotifyMessages();
    return static_cast<std::size_t>(std::count(messages.begin(), messages.end(), message));
}

// The wait before the next try, if one is due: the timer bearing the icon's id.
std::optional<std::uint32_t> RetryWait(TrayScene& s) { return s.TimerPeriod(s.control->IconId()); }

TEST(TrayRecovery, ARefusedAddIsTriedAgainAfterOneTwoFourSecondsUpToHalfAMinute) {
    TrayScene s;
    s.sim.shell().RefuseAddsFor(200000);
    s.control->SetIcon(s.full);
    s.control->SetTooltip(u"Dustvale");
    ASSERT_TRUE(s.control->AddIcon());
    EXPECT_TRUE(s.host.errors.empty());  // a refusal is no error of the program's

    const std::uint32_t waits[] = {1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000};
    std::size_t adds = Count(s, NotifyMessage::Add);
    for (const std::uint32_t wait : waits) {
        ASSERT_EQ(RetryWait(s), std::optional<std::uint32_t>(wait));
        s.sim.Advance(wait - 1);
        EXPECT_EQ(Count(s, NotifyMessage::Add), adds) << "tried before its time";
        s.sim.Advance(1);
        EXPECT_EQ(Count(s, NotifyMessage::Add), ++adds);
    }
    // The tray takes icons from 200 s on: the tries at 151 s and 181 s are refused, the one
    // at 211 s brings the icon back, and no further try follows.
    s.sim.Advance(60000);
    EXPECT_TRUE(s.sim.shell().Icons().empty());
    s.sim.Advance(30000);
    const auto icon = s.sim.shell().Icon(s.controlWindow, 1000);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->tip, u"Dustvale");
    EXPECT_EQ(icon->version, 3u);
    EXPECT_FALSE(RetryWait(s).has_value());
    s.sim.shell().ClearNotifyCalls();
    s.sim.Advance(120000);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayRecovery, AnAddTheShellAnsweredTooLateIsNotMadeTwiceAndGetsItsVersion) {
    for (const bool updatedMeanwhile : {false, true}) {
        SCOPED_TRACE(updatedMeanwhile ? "updated before the retry" : "left alone");
        TrayScene s;
        s.sim.shell().TimeOutNextAdd();
        s.control->SetIcon(s.full);
        ASSERT_TRUE(s.control->AddIcon());
        ASSERT_EQ(s.sim.shell().Icons().size(), 1u);  // the shell did add it
        if (updatedMeanwhile) s.control->SetTooltip(u"Dustvale (1 items)");
        s.sim.Advance(60000);
        EXPECT_EQ(Count(s, NotifyMessage::Add), 1u);
        const auto icons = s.sim.shell().Icons();
        ASSERT_EQ(icons.size(), 1u);
        EXPECT_EQ(icons[0].version, 3u);
        EXPECT_FALSE(RetryWait(s).has_value());
    }
}

TEST(TrayRecovery, AnUpdateOfAnIconTheShellForgotAddsItAgain) {
    TrayScene s;
    s.Register();
    s.sim.shell().ForgetIcons();  // Explorer restarted behind the same taskbar window
    s.control->SetTooltip(u"Dustvale (4 items)");
    EXPECT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Modify,
                                                              NotifyMessage::Add,
                                                              NotifyMessage::SetVersion}));
    const auto icon = s.sim.shell().Icon(s.controlWindow, 1000);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->tip, u"Dustvale (4 items)");
    EXPECT_EQ(icon->version, 3u);
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayRecovery, UpdatesWhileTheTrayRefusesLeaveTheTriesToTheirTimes) {
    TrayScene s;
    s.Register();
    s.sim.shell().ForgetIcons();
    s.sim.shell().RefuseAddsFor(5000);
    // A tick's update every second, a blink every 200 ms: one add at the first refusal, then
    // only the timed tries (after 1 s and 2 s more); the one at 7 s gets through.
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(200);
    for (int second = 0; second < 8; ++second) {
        s.control->SetTooltip(u"Dustvale");
        s.sim.Advance(1000);
    }
    EXPECT_EQ(Count(s, NotifyMessage::Add), 4u);
    ASSERT_EQ(s.sim.shell().Icons().size(), 1u);
    EXPECT_TRUE(s.control->IsBlinking());
}

TEST(TrayRecovery, ANewTaskbarGetsTheIconAtOnceAndTheWatchLeavesItAlone) {
    TrayScene s;
    s.Register();
    s.control->SetTooltip(u"Dustvale (2 items)");
    s.sim.windows().CreateTaskbar();
    s.sim.shell().ClearNotifyCalls();

    s.control->OnTaskbarCreated();
    EXPECT_EQ(s.NotifyMessages(), (std::vector<NotifyMessage>{NotifyMessage::Modify,
                                                              NotifyMessage::Add,
                                                              NotifyMessage::SetVersion}));
    ASSERT_TRUE(s.sim.shell().Icon(s.controlWindow, 1000).has_value());
    EXPECT_EQ(s.sim.shell().Icon(s.controlWindow, 1000)->tip, u"Dustvale (2 items)");
    s.sim.shell().ClearNotifyCalls();
    s.sim.Advance(10000);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());

    // Told again while the tray shows the icon (another program may broadcast the message):
    // still one icon.
    s.control->OnTaskbarCreated();
    EXPECT_EQ(s.sim.shell().Icons().size(), 1u);
    EXPECT_EQ(Count(s, NotifyMessage::Add), 0u);
}

TEST(TrayRecovery, NothingIsTriedForAnIconThatIsNotRegistered) {
    TrayScene s;
    s.sim.shell().RefuseAddsFor(60000);
    s.control->SetIcon(s.full);
    ASSERT_TRUE(s.control->AddIcon());
    ASSERT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    s.control->OnTaskbarCreated();
    s.sim.Advance(120000);
    EXPECT_EQ(Count(s, NotifyMessage::Add), 1u);
    EXPECT_TRUE(s.sim.shell().Icons().empty());
    EXPECT_TRUE(s.sim.windows().Timers().empty());
}

}  // namespace
}  // namespace dustvale
