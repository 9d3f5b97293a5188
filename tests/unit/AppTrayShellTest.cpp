// The program and the shell of today's Windows: the icon outlives a shell that refuses it at
// log-on and Explorer restarts, and the keyboard opens the menu as the mouse does.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "AppTestScene.h"

namespace dustvale {
namespace {

using apptest::AppScene;
using Key = sim::SimShell::Key;

std::size_t FailedCalls(AppScene& scene) {
    std::size_t failed = 0;
    for (const auto& call : scene.sim.shell().NotifyCalls()) failed += call.result ? 0 : 1;
    return failed;
}

TEST(AppTrayShell, AnAddRefusedAtStartUpIsBackWithinASecondAndStays) {
    AppScene scene;
    scene.sim.shell().RefuseNextAdd();  // the shell still starting when the Run value starts us
    scene.Create();
    EXPECT_FALSE(scene.ShownIcon().has_value());
    scene.sim.Advance(1000);
    ASSERT_TRUE(scene.ShownIcon().has_value());
    EXPECT_EQ(scene.ShownIcon()->version, 3u);

    scene.sim.shell().ClearNotifyCalls();
    scene.sim.Advance(10 * 60 * 1000);
    EXPECT_EQ(scene.sim.shell().Icons().size(), 1u);
    EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale");
    EXPECT_EQ(FailedCalls(scene), 0u);
}

// Explorer ends, and its new taskbar takes no icon for a while: whatever the while, the icon is
// back within half a minute of the tray taking icons again, and at once when it takes them
// from the start, also for an elevated program (which hears the shell's broadcast only where
// it asked for it).
TEST(AppTrayShell, AfterExplorerRestartsTheIconIsBackWithinHalfAMinuteOfTheTrayTakingIcons) {
    for (const bool elevated : {false, true}) {
        for (const std::uint64_t refusedMs : {0u, 1500u, 7000u, 29000u, 95000u, 600000u}) {
            SCOPED_TRACE(::testing::Message() << (elevated ? "elevated, " : "") << "tray refuses for "
                                              << refusedMs << " ms");
            AppScene scene;
            scene.sim.kernel().SetElevated(elevated);
            scene.sim.shell().AddToRecycleBin(u'C', 100);
            scene.Create();
            scene.sim.Advance(1500);
            scene.sim.windows().DestroyTaskbar();
            scene.sim.Advance(4000);
            scene.sim.shell().RefuseAddsFor(refusedMs);
            scene.sim.windows().CreateTaskbar();
            const std::uint64_t takesIconsAt = scene.sim.clock().Now() + refusedMs;

            scene.sim.Pump();  // the broadcast, before the monitor's next tick
            if (refusedMs == 0) {
                EXPECT_TRUE(scene.ShownIcon().has_value()) << "not at once";
            }
            while (!scene.ShownIcon() && scene.sim.clock().Now() < takesIconsAt + 60000) {
                scene.sim.Advance(250);
            }
            ASSERT_TRUE(scene.ShownIcon().has_value());
            EXPECT_LE(scene.sim.clock().Now(), takesIconsAt + 30000);
            EXPECT_EQ(scene.sim.shell().Icons().size(), 1u);
            EXPECT_EQ(scene.ShownIcon()->tip, u"Dustvale (1 items)");
            EXPECT_EQ(scene.ShownIcon()->version, 3u);
        }
    }
}

TEST(AppTrayShell, TheKeyboardOpensTheMenuOnceAtTheIconAndTheFocusGoesBackWhenNothingIsChosen) {
    for (const Key key : {Key::Enter, Key::Space, Key::Menu}) {
        SCOPED_TRACE(static_cast<int>(key));
        AppScene scene;
        TrayApplication& app = scene.Create();
        scene.sim.windows().SetCursorPos({10, 10});
        const auto place = scene.sim.shell().NotifyIconRect(scene.TrayWindow(), scene.IconId());
        ASSERT_TRUE(place.has_value());

        ASSERT_TRUE(scene.sim.shell().PressKey(scene.TrayWindow(), scene.IconId(), key));
        ASSERT_EQ(scene.sim.ui().Menus().size(), 1u);
        EXPECT_EQ(scene.sim.ui().Menus()[0].position, place->Centre());
        EXPECT_EQ(scene.sim.ui().Menus()[0].owner, app.Window());
        EXPECT_EQ(scene.sim.windows().Foreground(), app.Window());
        EXPECT_EQ(scene.sim.shell().FocusedIcon(), std::pair(scene.TrayWindow(), scene.IconId()));

        // A command chosen: it runs, and the focus stays where the command took it.
        scene.sim.shell().ClearNotifyCalls();
        scene.AnswerMenuWith({u"About"});
        scene.sim.Advance(2000);
        ASSERT_TRUE(scene.sim.shell().PressKey(scene.TrayWindow(), scene.IconId(), key));
        EXPECT_EQ(scene.sim.ui().Menus().size(), 2u);
        ASSERT_EQ(scene.sim.ui().MessageBoxes().size(), 1u);
        for (const auto& call : scene.sim.shell().NotifyCalls()) {
            EXPECT_NE(call.message, NotifyMessage::SetFocus);
        }
    }
}

TEST(AppTrayShell, EveryButtonStillOpensOneMenuAtTheCursorAndLeavesTheFocusAlone) {
    for (const std::int16_t button : {1, 2, 4}) {
        SCOPED_TRACE(button);
        AppScene scene;
        scene.Create();
        scene.sim.windows().SetCursorPos({1210, 1005});
        ASSERT_TRUE(scene.sim.shell().Click(scene.TrayWindow(), scene.IconId(), button));
        ASSERT_EQ(scene.sim.ui().Menus().size(), 1u);
        EXPECT_EQ(scene.sim.ui().Menus()[0].position, (Point{1210, 1005}));
        EXPECT_FALSE(scene.sim.shell().FocusedIcon().has_value());
    }
}

}  // namespace
}  // namespace dustvale
