// Blinking: the cycle and its floor, the phase of the swaps that survives stops and starts,
// and blinking without one of the two pictures.

#include <gtest/gtest.h>

#include <vector>

#include "tests/unit/TrayTestScene.h"

namespace dustvale {
namespace {

using traytest::ErrorReport;
using traytest::kBlinkIcon;
using traytest::kEmptyIcon;
using traytest::kFullIcon;
using traytest::TrayScene;

HIcon Shown(TrayScene& s) { return s.sim.shell().Icon(s.controlWindow, 1000)->icon; }

// The pictures shown after each of `swaps` cycles.
std::vector<HIcon> ShownAfterEachSwap(TrayScene& s, std::uint32_t cycle, int swaps) {
    std::vector<HIcon> shown;
    for (int i = 0; i < swaps; ++i) {
        s.sim.Advance(cycle);
        shown.push_back(Shown(s));
    }
    return shown;
}

TEST(TrayBlink, CycleIsAtLeast200Milliseconds) {
    struct Case {
        std::int32_t asked;
        std::uint32_t used;
    };
    const Case cases[] = {{50, 200}, {0, 200}, {-40, 200}, {199, 200}, {200, 200}, {750, 750}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        TrayScene s;
        s.Register();
        s.control->StartBlinking(c.asked);
        EXPECT_TRUE(s.control->IsBlinking());
        EXPECT_EQ(s.TimerPeriod(1003), std::optional<std::uint32_t>(c.used));
    }
}

TEST(TrayBlink, SwapsAlternateFromTheBlinkIconOneCycleAfterTheStart) {
    TrayScene s;
    s.Register();
    s.control->SetBlinkIcon(s.blink);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());  // the blink picture alone sends nothing
    s.control->StartBlinking(300);
    s.sim.Advance(299);
    EXPECT_EQ(Shown(s), kFullIcon);
    s.sim.Advance(1);
    EXPECT_EQ(Shown(s), kBlinkIcon);
    EXPECT_EQ(ShownAfterEachSwap(s, 300, 3),
              (std::vector<HIcon>{kFullIcon, kBlinkIcon, kFullIcon}));
    for (const auto& call : s.sim.shell().NotifyCalls()) {
        EXPECT_EQ(call.message, NotifyMessage::Modify);
        EXPECT_EQ(call.record.uFlags, 7u);
    }
}

TEST(TrayBlink, WithoutABlinkIconTheIconAlternatesWithNoPicture) {
    TrayScene s;
    s.Register();
    s.control->StartBlinking(200);
    EXPECT_EQ(ShownAfterEachSwap(s, 200, 4), (std::vector<HIcon>{0, kFullIcon, 0, kFullIcon}));
}

TEST(TrayBlink, StopShowsTheStandardIconAndThePhaseCarriesOverToTheNextStart) {
    TrayScene s;
    s.Register();
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(250);
    s.sim.Advance(250);
    ASSERT_EQ(Shown(s), kBlinkIcon);

    s.control->StopBlinking();
    EXPECT_FALSE(s.control->IsBlinking());
    EXPECT_EQ(Shown(s), kFullIcon);
    EXPECT_FALSE(s.TimerPeriod(1003).has_value());

    // The blink icon was the last one swapped in, so the first swap now brings the standard.
    s.control->StartBlinking(250);
    EXPECT_EQ(ShownAfterEachSwap(s, 250, 2), (std::vector<HIcon>{kFullIcon, kBlinkIcon}));
}

TEST(TrayBlink, StartWhileBlinkingRestartsWithTheNewCycleAndKeepsThePhase) {
    TrayScene s;
    s.Register();
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(300);
    s.sim.Advance(300);
    ASSERT_EQ(Shown(s), kBlinkIcon);
    s.control->StartBlinking(500);
    EXPECT_EQ(s.TimerPeriod(1003), std::optional<std::uint32_t>(500));
    s.sim.Advance(499);
    EXPECT_EQ(Shown(s), kBlinkIcon);
    s.sim.Advance(1);
    EXPECT_EQ(Shown(s), kFullIcon);
}

TEST(TrayBlink, NewStandardPictureShowsAtOnceAndTheSwapsGoOnFromThePhase) {
    TrayScene s;
    s.Register();
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(200);
    s.sim.Advance(200);
    ASSERT_EQ(Shown(s), kBlinkIcon);
    s.control->SetIcon(s.empty);
    EXPECT_EQ(Shown(s), kEmptyIcon);
    EXPECT_EQ(ShownAfterEachSwap(s, 200, 2), (std::vector<HIcon>{kEmptyIcon, kBlinkIcon}));
}

TEST(TrayBlink, SwapBackWithoutAStandardIconStopsBlinkingAndReports) {
    TrayScene s;
    s.Register();
    traytest::FixedPicture none{0};
    s.control->SetIcon(none);
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(200);
    s.sim.Advance(200);
    EXPECT_EQ(Shown(s), kBlinkIcon);
    EXPECT_TRUE(s.host.errors.empty());
    s.sim.Advance(200);
    EXPECT_FALSE(s.control->IsBlinking());
    EXPECT_EQ(Shown(s), kBlinkIcon);
    EXPECT_EQ(s.host.errors,
              (std::vector<ErrorReport>{{u"BlinkSwapIcons", -2, u"Icône standard non définie"}}));
    s.sim.Advance(2000);
    EXPECT_EQ(s.host.errors.size(), 1u);
}

TEST(TrayBlink, RemovingTheIconStopsBlinkingAndTheNextAddShowsTheStandardIcon) {
    TrayScene s;
    s.Register();
    s.control->SetBlinkIcon(s.blink);
    s.control->StartBlinking(200);
    s.sim.Advance(200);
    ASSERT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    EXPECT_FALSE(s.control->IsBlinking());
    EXPECT_EQ(s.control->Record().hIcon, kBlinkIcon);  // left as it was
    ASSERT_TRUE(s.control->AddIcon());
    EXPECT_EQ(Shown(s), kFullIcon);
    EXPECT_FALSE(s.control->IsBlinking());
}

TEST(TrayBlink, StopOnAnUnregisteredIconSendsAndReportsNothing) {
    TrayScene s;
    s.control->SetIcon(s.full);
    s.control->StopBlinking();
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_TRUE(s.host.errors.empty());
}

TEST(TrayBlink, BlinkTimerTicksAfterRemovalAreIgnored) {
    TrayScene s;
    s.Register();
    s.control->StartBlinking(200);
    ASSERT_EQ(s.control->RemoveIcon(), std::optional<bool>(true));
    s.sim.shell().ClearNotifyCalls();
    // A tick already on its way when the timer was killed.
    s.control->OnWindowMessage(s.controlWindow, msg::kTimer, 1003, 0);
    EXPECT_TRUE(s.sim.shell().NotifyCalls().empty());
    EXPECT_TRUE(s.host.errors.empty());
}

}  // namespace
}  // namespace dustvale
